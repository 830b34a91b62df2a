// The 40-byte name structure used wherever an item's name is stored: a flag
// word, the name as it fits into 34 bytes, and a pointer into names.dat for
// the names that do not fit (see names_file.h for the lookup).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ssapi::native {

constexpr std::size_t kVssNameSize = 0x28;

struct VssName {
  std::uint16_t flags = 0;        // only bit 0 (a project's name) means anything
  std::string shortName;          // ANSI bytes; spaces and a leading dot are mangled here
  std::uint32_t namesOffset = 0;  // file offset of the name's SN record in names.dat, 0 for none

  bool isProject() const { return (flags & 1) != 0; }
  friend bool operator==(const VssName&, const VssName&) = default;
};

VssName readVssName(std::string_view bytes, std::size_t offset);

}  // namespace ssapi::native
