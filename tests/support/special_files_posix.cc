#include "support/special_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace testsupport {
namespace {

std::string failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::string makeFifo(const std::filesystem::path& at) {
  return plantingResult(mkfifo(at.c_str(), 0600) == 0 ? "" : failure("mkfifo"));
}

std::string makeSymlink(const std::filesystem::path& target, const std::filesystem::path& at) {
  return plantingResult(symlink(target.c_str(), at.c_str()) == 0 ? "" : failure("symlink"));
}

std::string makeReadOnly(const std::filesystem::path& at) {
  const mode_t mode = std::filesystem::is_directory(at) ? 0555 : 0444;
  return plantingResult(chmod(at.c_str(), mode) == 0 ? "" : failure("chmod"));
}

std::string makeUnwritableFolder(const std::filesystem::path& at) {
  if (geteuid() == 0) return plantingResult("root writes into read-only folders");
  return plantingResult(chmod(at.c_str(), 0500) == 0 ? "" : failure("chmod"));
}

std::string makeUnreadable(const std::filesystem::path& at) {
  if (geteuid() == 0) return plantingResult("root reads every file");
  return plantingResult(chmod(at.c_str(), 0) == 0 ? "" : failure("chmod"));
}

}  // namespace testsupport
