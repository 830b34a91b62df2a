#include "support/special_files.h"

#include <windows.h>

namespace testsupport {

std::string makeFifo(const std::filesystem::path&) { return plantingResult("Windows file systems hold no FIFO"); }

std::string makeSymlink(const std::filesystem::path&, const std::filesystem::path&) {
  return plantingResult("symbolic links on Windows need a privilege that ordinary users lack, and there is no /dev");
}

std::string makeReadOnly(const std::filesystem::path& at) {
  const DWORD attributes = GetFileAttributesW(at.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return plantingResult("no such file");
  const bool set = SetFileAttributesW(at.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
  return plantingResult(set ? "" : "cannot set the read-only attribute");
}

std::string makeUnwritableFolder(const std::filesystem::path&) {
  return plantingResult("the read-only attribute keeps no file out of a Windows folder");
}

std::string makeUnreadable(const std::filesystem::path&) {
  return plantingResult("keeping a file's owner from reading it takes access control lists");
}

}  // namespace testsupport
