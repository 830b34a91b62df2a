// The words of the text form's files: bare words, quoted words with
// escapes, UTC times, and content names. Shared by the writer and the reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ssapi::text {

constexpr const char* kJournalFile = "journal.txt";
constexpr const char* kUsersFile = "users.txt";
constexpr const char* kContentsFolder = "contents";
constexpr const char* kJournalHeader = "journal-format 1";
constexpr const char* kUsersHeader = "users-format 1";

// A word as written: bare when it can be, else in double quotes with \\, \",
// \n, \r, \t and \xHH escapes. UTF-8.
std::string encodeWord(std::wstring_view word);

// Splits a line into words, undoing encodeWord. False with a reason on a
// malformed line.
bool splitLine(std::string_view line, std::vector<std::wstring>* words, std::wstring* problem);

// "2000-01-01T00:00:00Z" and back; parsing is strict.
std::string formatUtc(std::int64_t seconds);
bool parseUtc(std::wstring_view text, std::int64_t* seconds);

// The name under which a content is kept: 16 hex digits of its FNV-1a hash,
// with "-N" appended when another content has the same hash.
std::string contentHash(std::string_view bytes);
bool validContentName(std::wstring_view name);
// contents/<first two hex digits>/<name>, relative to the data folder.
std::string contentPath(std::string_view name);

// Salted password hash of the users file.
std::string saltFor(std::wstring_view user);
std::string passwordHash(std::string_view salt, std::wstring_view password);

}  // namespace ssapi::text
