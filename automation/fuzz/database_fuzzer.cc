// Feeds arbitrary small databases to the loader of SourceSafe's own files.
// A crash, a sanitizer report, a hang or an allocation beyond libFuzzer's
// limits is a defect; failing to read an item is not.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "database_fuzz_input.h"

namespace {

// A folder of this process's own, in memory where the system has one.
std::filesystem::path scratchFolder() {
  std::error_code error;
  std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                   ? std::filesystem::path("/dev/shm")
                                   : std::filesystem::temp_directory_path();
  return base / ("quillgate-database-fuzz-" + std::to_string(getpid()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path scratch = scratchFolder();
  (void)quillgate::fuzz::fuzzDatabase(std::string_view(reinterpret_cast<const char*>(data), size), scratch);
  return 0;
}
