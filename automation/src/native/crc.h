// SourceSafe's checksums. Records carry a 16-bit value folded from a CRC-32
// of their body; item headers carry the CRC-32 of the current content. The
// CRC-32 uses zlib's polynomial but starts from 0 and is not inverted at the
// end, so zlib's crc32() gives different values.
#pragma once

#include <cstdint>
#include <string_view>

namespace ssapi::native {

// Continues a CRC-32 over more bytes; start with 0.
std::uint32_t updateCrc32(std::uint32_t crc, std::string_view bytes);
inline std::uint32_t crc32(std::string_view bytes) { return updateCrc32(0, bytes); }

// The value stored in a record header for a body.
inline std::uint16_t foldCrc(std::uint32_t crc) { return static_cast<std::uint16_t>((crc ^ (crc >> 16)) & 0xFFFF); }
inline std::uint16_t recordCrc(std::string_view body) { return foldCrc(crc32(body)); }

}  // namespace ssapi::native
