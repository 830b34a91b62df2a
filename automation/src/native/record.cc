#include "native/record.h"

#include <fmt/xchar.h>

#include <algorithm>

#include "native/bytes.h"
#include "native/crc.h"

namespace ssapi::native {
namespace {

// The fuzz build lets mutated records past the checksum, so that the
// parsers behind it are reached; every other build checks it.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckCrc = false;
#else
constexpr bool kCheckCrc = true;
#endif

}  // namespace

std::wstring signatureText(std::string_view signature) {
  std::wstring text;
  for (char c : signature) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
      text += static_cast<wchar_t>(byte);
    } else {
      text += fmt::format(L"\\x{:02X}", byte);
    }
  }
  return text;
}

Status readRecord(std::string_view file, std::uint64_t offset, std::uint64_t limit, std::string_view expected,
                  std::wstring_view fileName, Record* record) {
  limit = std::min<std::uint64_t>(limit, file.size());
  std::wstring name = expected.empty() ? L"record" : fmt::format(L"\"{}\" record", signatureText(expected));
  if (offset > limit || limit - offset < kRecordHeaderSize) {
    return corruptAt(fileName, offset,
                     fmt::format(L"the header of the {} runs past the end of the data (0x{:x})", name, limit));
  }
  Record found;
  found.offset = static_cast<std::uint32_t>(offset);
  found.length = readU32(file, offset);
  found.signature = {file[offset + 4], file[offset + 5]};
  found.storedCrc = readU16(file, offset + 6);
  std::string_view signature(found.signature.data(), 2);
  if (!expected.empty() && signature != expected) {
    return corruptAt(
        fileName, offset,
        fmt::format(L"expected a \"{}\" record, found \"{}\"", signatureText(expected), signatureText(signature)));
  }
  if (found.length > limit - offset - kRecordHeaderSize) {
    return corruptAt(fileName, offset,
                     fmt::format(L"the \"{}\" record of 0x{:x} bytes runs past the end of the data (0x{:x})",
                                 signatureText(signature), found.length, limit));
  }
  found.body = file.substr(offset + kRecordHeaderSize, found.length);
  if (kCheckCrc && !found.is("MC") && found.storedCrc != 0) {
    std::uint16_t computed = recordCrc(found.body);
    if (computed != found.storedCrc) {
      return corruptAt(fileName, offset,
                       fmt::format(L"bad checksum of the \"{}\" record (stored 0x{:04x}, computed 0x{:04x})",
                                   signatureText(signature), found.storedCrc, computed));
    }
  }
  *record = found;
  return success();
}

}  // namespace ssapi::native
