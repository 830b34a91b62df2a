// Feeds arbitrary bytes to every parser of the reader of SourceSafe's own
// files. A crash, a sanitizer report, a hang or an allocation beyond
// libFuzzer's limits is a defect; a parser refusing the input is not.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_one_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)quillgate::fuzz::fuzzOneInput(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
