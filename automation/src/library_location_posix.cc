#include "library_location.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/text_encoding.h"

namespace ssapi {

std::wstring libraryLocation(const void* code) {
  Dl_info info{};
  std::filesystem::path location;
  if (dladdr(code, &info) != 0 && info.dli_fname) location = info.dli_fname;
  // Linked into the program itself, the loader may only know the name it was started by.
  std::error_code error;
  if (location.empty() || !location.is_absolute()) location = std::filesystem::read_symlink("/proc/self/exe", error);
  return platform::utf8ToWide(location.string());
}

}  // namespace ssapi
