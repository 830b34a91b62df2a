// The layout of one fuzz input, shared by the fuzz target and the program
// that makes seeds from real databases: a selector byte names the parser,
// the rest is its input.
#pragma once

#include <cstdint>

namespace quillgate::fuzz {

enum Target : std::uint8_t {
  kItemFile = 0,        // u32 length, item file, then the current data file
  kDelta = 1,           // u32 length, newer version, then an FD record's body
  kNamesFile = 2,       // names.dat
  kUsersFile = 3,       // um.dat
  kProjectEntries = 4,  // a project's data file
  kSrcSafeIni = 5,      // srcsafe.ini
  kTargetCount = 6,
};

}  // namespace quillgate::fuzz
