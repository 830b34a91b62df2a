# Cross build of the Windows program with Debian's mingw-w64 (posix thread
# model, for std::thread and std::mutex). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Headers and libraries come from the mingw tree and the prefixes given in
# CMAKE_PREFIX_PATH (the cross-built GoogleTest), never from Linux's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Test discovery and ctest start the programs through Wine.
find_program(QUILLGATE_WINE NAMES wine wine64)
if(QUILLGATE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLGATE_WINE})
endif()
