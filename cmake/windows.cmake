# The Windows build (cross-compiled with cmake/mingw-w64-x86_64.cmake).

# Debian ships fmt for Linux only; its headers work alone with
# FMT_HEADER_ONLY. They are reached through a folder of their own so that
# the rest of Linux's /usr/include never meets the Windows compiler.
set(QUILLGATE_FMT_INCLUDE "/usr/include" CACHE PATH "Folder holding fmt/format.h")
set(fmt_only_include ${CMAKE_BINARY_DIR}/fmt-include)
file(MAKE_DIRECTORY ${fmt_only_include})
file(CREATE_LINK ${QUILLGATE_FMT_INCLUDE}/fmt ${fmt_only_include}/fmt SYMBOLIC)
add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt SYSTEM INTERFACE ${fmt_only_include})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY)

# Windows 7 is the oldest system the program's calls need.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
# One file to copy to a server: the C++ runtime and the thread library are linked in.
add_link_options(-static)

# No Windows build of Google Benchmark exists here.
set(QUILLGATE_BENCHMARKS OFF CACHE BOOL "" FORCE)

# Test programs are listed when ctest runs them (under Wine, in the prefix
# the caller set up), not while building.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# OLE dates (oleaut32) and the registry (advapi32).
set(QUILLGATE_SYSTEM_LIBRARIES oleaut32 advapi32)
