#include "native/users_file.h"

#include <fmt/xchar.h>

#include "native/bytes.h"
#include "native/record.h"

namespace ssapi::native {
namespace {

constexpr std::string_view kSignature = "UserManagement@Microsoft";
constexpr std::uint32_t kHeaderRecordOffset = 0x34;
constexpr std::uint32_t kUserBodySize = 0x38;
constexpr std::string_view kFiller = "BrianDavidHarry";

}  // namespace

Status parseUsersFile(std::string_view bytes, std::wstring_view fileName, std::vector<UserRecord>* users) {
  if (bytes.size() < kHeaderRecordOffset) {
    return corrupt(fileName, fmt::format(L"the file has 0x{:x} bytes, too few for its header", bytes.size()));
  }
  if (readText(bytes, 0, 32) != kSignature) return corruptAt(fileName, 0, L"the file has no user-file signature");
  Record header;
  if (Status status = readRecord(bytes, kHeaderRecordOffset, bytes.size(), "HU", fileName, &header); !status.ok()) {
    return status;
  }
  if (header.length < 2) return corruptAt(fileName, header.offset, L"the users header is too short");
  std::uint32_t count = readU16(header.body, 0);
  std::vector<UserRecord> parsed;
  std::uint64_t offset = header.end();
  for (std::uint32_t i = 0; i < count; ++i) {
    Record record;
    if (Status status = readRecord(bytes, offset, bytes.size(), "UU", fileName, &record); !status.ok()) return status;
    if (record.length < kUserBodySize) {
      return corruptAt(fileName, record.offset,
                       fmt::format(L"the user record of 0x{:x} bytes is too short", record.length));
    }
    UserRecord user;
    user.name = readText(record.body, 0, 32);
    user.passwordHash = readU16(record.body, 0x20);
    user.flags = readU16(record.body, 0x22);
    user.rightsOffset = readU32(record.body, 0x24);
    parsed.push_back(std::move(user));
    offset = record.end();
  }
  *users = std::move(parsed);
  return success();
}

std::uint16_t passwordHash(std::string_view upperCasedPassword) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < kFiller.size(); ++i) {
    char c = i < upperCasedPassword.size() ? upperCasedPassword[i] : kFiller[i - upperCasedPassword.size()];
    auto value = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    sum += static_cast<std::uint32_t>(i + 1) * (value ^ 0x96u);
  }
  return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::wstring upperCaseText(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
      c = static_cast<wchar_t>(c - 0x20);
    } else if (c >= 0x450 && c <= 0x45F) {
      c = static_cast<wchar_t>(c - 0x50);
    } else if (c == 0xFF) {
      c = 0x178;
    } else if (c == 0x161 || c == 0x153 || c == 0x17E) {
      c = static_cast<wchar_t>(c - 1);
    }
  }
  return upper;
}

}  // namespace ssapi::native
