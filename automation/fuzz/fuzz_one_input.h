// One fuzz input run through the parser its selector byte names (see
// fuzz_input.h). Shared by the libFuzzer target and the test that replays
// the inputs kept in tests/native/fuzz_regressions/, so that both exercise
// exactly the same calls.
#pragma once

#include <string_view>

#include "native/status.h"

namespace quillgate::fuzz {

// Runs `input` (selector byte first) through its parsers. Returns the
// outcome of the first step that failed, success when all of them passed or
// the input is empty. Only crashes, sanitizer reports, hangs and unbounded
// allocations are defects: failing cleanly is what damaged input should do.
ssapi::native::Status fuzzOneInput(std::string_view input);

}  // namespace quillgate::fuzz
