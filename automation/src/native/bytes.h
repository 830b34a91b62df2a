// Little-endian fields and fixed-size text fields read from a byte buffer.
// Every read is bounds-checked: a field that lies (partly) beyond the buffer
// reads as zero or is cut at the buffer's end, so a parser that forgot a
// length check produces wrong values, never an out-of-bounds read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ssapi::native {

inline bool fits(std::string_view bytes, std::size_t offset, std::size_t size) {
  return offset <= bytes.size() && size <= bytes.size() - offset;
}

inline std::uint8_t readU8(std::string_view bytes, std::size_t offset) {
  return fits(bytes, offset, 1) ? static_cast<std::uint8_t>(bytes[offset]) : 0;
}

inline std::uint16_t readU16(std::string_view bytes, std::size_t offset) {
  if (!fits(bytes, offset, 2)) return 0;
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                    (static_cast<std::uint8_t>(bytes[offset + 1]) << 8));
}

inline std::int16_t readI16(std::string_view bytes, std::size_t offset) {
  return static_cast<std::int16_t>(readU16(bytes, offset));
}

inline std::uint32_t readU32(std::string_view bytes, std::size_t offset) {
  if (!fits(bytes, offset, 4)) return 0;
  return static_cast<std::uint32_t>(readU16(bytes, offset)) |
         (static_cast<std::uint32_t>(readU16(bytes, offset + 2)) << 16);
}

// The text of a NUL-terminated field of `size` bytes: everything before the
// first NUL. SourceSafe leaves whatever was in memory after the NUL, so the
// rest of the field is never looked at. A field without a NUL ends with the
// field.
std::string readText(std::string_view bytes, std::size_t offset, std::size_t size);

}  // namespace ssapi::native
