// The framing shared by SourceSafe's record files: an 8-byte header (body
// length, two signature letters, 16-bit checksum) followed by the body.
// Records are packed without padding and found through file offsets stored
// in other records, so every offset is checked before it is followed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

constexpr std::uint32_t kRecordHeaderSize = 8;

struct Record {
  std::uint32_t offset = 0;  // file offset of the header
  std::uint32_t length = 0;  // of the body, without the header
  std::array<char, 2> signature{};
  std::uint16_t storedCrc = 0;
  std::string_view body;  // points into the file's bytes

  std::uint32_t bodyOffset() const { return offset + kRecordHeaderSize; }
  std::uint32_t end() const { return offset + kRecordHeaderSize + length; }
  bool is(std::string_view sig) const { return sig.size() == 2 && signature[0] == sig[0] && signature[1] == sig[1]; }
};

// The record whose header is at `offset`, after checking that header and
// body end at or before `limit` (and the file's end), that the signature is
// `expected` (any signature when empty) and that the checksum matches. A
// stored checksum of 0 is accepted as "not computed", and comment records
// (`MC`) are never checked: SourceSafe always stores 0 for them.
Status readRecord(std::string_view file, std::uint64_t offset, std::uint64_t limit, std::string_view expected,
                  std::wstring_view fileName, Record* record);

// The two signature letters as text; bytes that are not printable ASCII as
// "\xNN", since a damaged file may hold anything there.
std::wstring signatureText(std::string_view signature);

}  // namespace ssapi::native
