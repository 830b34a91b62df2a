// um.dat: the database's users, with a 16-bit check value of each password
// (a checksum, not a secure hash: it only lets a reader honour a login the
// way SourceSafe does).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/status.h"

namespace ssapi::native {

constexpr std::uint16_t kEmptyPasswordHash = 0x6E90;

struct UserRecord {
  std::string name;  // ANSI bytes
  std::uint16_t passwordHash = 0;
  std::uint16_t flags = 0;
  std::uint32_t rightsOffset = 0;  // of the user's slot in rights.dat

  bool readOnly() const { return (flags & 1) != 0; }
};

// Reads exactly as many user records as the header counts: deleting a user
// leaves a stale copy of a record behind the last one counted.
Status parseUsersFile(std::string_view bytes, std::wstring_view fileName, std::vector<UserRecord>* users);

// SourceSafe's check value of a password given in the database's code page:
// the password upper-cased, cut or filled to 15 bytes with the bytes of
// "BrianDavidHarry", each byte (sign-extended, as SourceSafe's compiler
// did) XOR 0x96 times its 1-based position, summed to 16 bits. The caller
// upper-cases: SourceSafe does so in the code page, see upperCaseText.
std::uint16_t passwordHash(std::string_view upperCasedPassword);

// Text upper-cased as SourceSafe does before hashing a password or
// comparing user names: ASCII letters and the letters of Latin-1, the
// Latin Extended ones of Windows-1252, Greek and Cyrillic; scripts without
// letter case stay as they are.
std::wstring upperCaseText(std::wstring_view text);

}  // namespace ssapi::native
