// Hand-made SourceSafe files for tests: records with correct checksums,
// item files whose header is filled in from the records added, deltas.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nativetest {

std::string u16(std::uint16_t value);
std::string u32(std::uint32_t value);
void put16(std::string& bytes, std::size_t offset, std::uint16_t value);
void put32(std::string& bytes, std::size_t offset, std::uint32_t value);
// Writes text into a field of `size` bytes (NUL-padded).
void putText(std::string& bytes, std::size_t offset, std::string_view text, std::size_t size);
// A 40-byte name structure.
void putName(std::string& bytes, std::size_t offset, std::string_view shortName, bool project = false,
             std::uint32_t namesOffset = 0);

// A record with its checksum computed.
std::string record(std::string_view signature, std::string_view body);
// Recomputes the checksum of the record whose header is at `offset`.
void refreshCrc(std::string& file, std::uint32_t offset);

// The body of a history record: common part filled, payload zero.
std::string historyBody(std::uint16_t action, std::string_view user = "Admin", std::uint32_t time = 1500000000);

class ItemFileBuilder {
 public:
  static constexpr std::uint16_t kProject = 1;
  static constexpr std::uint16_t kFile = 2;

  explicit ItemFileBuilder(std::uint16_t type, std::uint16_t firstVersion = 1);

  std::string header;  // the DH body, 0x164 bytes, editable

  std::uint32_t nextOffset() const;
  // Appends a record; returns its offset.
  std::uint32_t add(std::string_view signature, std::string_view body);
  // Appends a history record of the next version (previous link, version,
  // comment pointers filled in), followed by its comments.
  std::uint32_t addHistory(std::string body, std::string_view comment = {}, std::string_view labelComment = {});
  // The same, with each comment written when given, also when it is empty
  // (SourceSafe stores an empty comment as a lone NUL).
  struct Comments {
    std::optional<std::string> comment;
    std::optional<std::string> labelComment;
  };
  std::uint32_t addHistoryWith(std::string body, const Comments& comments);
  // Appends a parent link after the latest one.
  std::uint32_t addParent(std::string_view physical);
  // Blanks the name in every parent link to `physical`, as SourceSafe does
  // when that project's entry stops holding the file (branch, destroy).
  void blankParent(std::string_view physical);
  // Appends a branch link after the latest one.
  std::uint32_t addBranch(std::string_view physical);
  // The version the next history record gets.
  std::uint16_t nextVersion() const { return static_cast<std::uint16_t>(firstVersion_ + versions_); }
  // The whole file; version numbers, record offsets and end come from
  // what was added.
  std::string build() const;

 private:
  std::string records_;
  std::uint16_t type_;
  std::uint16_t firstVersion_;
  std::uint16_t versions_ = 0;
  std::uint32_t firstHistory_ = 0;
  std::uint32_t lastHistory_ = 0;
  std::uint32_t lastParent_ = 0;
  std::uint32_t lastBranch_ = 0;
  std::uint16_t branches_ = 0;
};

// Delta operations.
std::string insertOp(std::string_view literal);
std::string copyOp(std::uint32_t offset, std::uint32_t count);
std::string stopOp();

// A project entry record.
std::string entryRecord(std::uint16_t type, std::string_view name, std::string_view physical, std::uint16_t flags = 0,
                        std::uint16_t pinned = 0, std::uint32_t namesOffset = 0);

// um.dat with the given users (name, password hash).
std::string usersFile(const std::vector<std::pair<std::string, std::uint16_t>>& users, std::uint16_t count);

// names.dat with name sets; each set's offset is returned in `offsets`.
std::string namesFile(const std::vector<std::vector<std::pair<std::uint16_t, std::string>>>& sets,
                      std::vector<std::uint32_t>* offsets);

}  // namespace nativetest
