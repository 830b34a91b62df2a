#include "file_builder.h"

#include "native/crc.h"

namespace nativetest {

namespace {
constexpr std::uint32_t kFirstRecord = 0x1A0;
}

std::string u16(std::uint16_t value) {
  std::string bytes(2, '\0');
  put16(bytes, 0, value);
  return bytes;
}

std::string u32(std::uint32_t value) {
  std::string bytes(4, '\0');
  put32(bytes, 0, value);
  return bytes;
}

void put16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  if (bytes.size() < offset + 2) bytes.resize(offset + 2);
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  put16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void putText(std::string& bytes, std::size_t offset, std::string_view text, std::size_t size) {
  if (bytes.size() < offset + size) bytes.resize(offset + size);
  for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = i < text.size() ? text[i] : '\0';
}

void putName(std::string& bytes, std::size_t offset, std::string_view shortName, bool project,
             std::uint32_t namesOffset) {
  put16(bytes, offset, project ? 1 : 0);
  putText(bytes, offset + 2, shortName, 34);
  put32(bytes, offset + 0x24, namesOffset);
}

std::string record(std::string_view signature, std::string_view body) {
  std::string bytes = u32(static_cast<std::uint32_t>(body.size()));
  bytes += signature;
  bytes += u16(signature == "MC" ? 0 : ssapi::native::recordCrc(body));
  bytes += body;
  return bytes;
}

void refreshCrc(std::string& file, std::uint32_t offset) {
  std::uint32_t length = static_cast<std::uint8_t>(file[offset]) | (static_cast<std::uint8_t>(file[offset + 1]) << 8) |
                         (static_cast<std::uint8_t>(file[offset + 2]) << 16) |
                         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(file[offset + 3])) << 24);
  put16(file, offset + 6, ssapi::native::recordCrc(std::string_view(file).substr(offset + 8, length)));
}

std::string historyBody(std::uint16_t action, std::string_view user, std::uint32_t time) {
  std::string body(0x194, '\0');
  put16(body, 0x04, action);
  put32(body, 0x08, time);
  putText(body, 0x0C, user, 32);
  return body;
}

ItemFileBuilder::ItemFileBuilder(std::uint16_t type, std::uint16_t firstVersion)
    : header(0x164, '\0'), type_(type), firstVersion_(firstVersion) {
  putText(header, 0x2E, ".A", 2);
  if (type == kFile) add("CF", std::string(0x29C, '\0'));
}

std::uint32_t ItemFileBuilder::nextOffset() const { return kFirstRecord + static_cast<std::uint32_t>(records_.size()); }

std::uint32_t ItemFileBuilder::add(std::string_view signature, std::string_view body) {
  std::uint32_t offset = nextOffset();
  records_ += record(signature, body);
  return offset;
}

std::uint32_t ItemFileBuilder::addHistory(std::string body, std::string_view comment, std::string_view labelComment) {
  Comments comments;
  if (!comment.empty()) comments.comment = std::string(comment);
  if (!labelComment.empty()) comments.labelComment = std::string(labelComment);
  return addHistoryWith(std::move(body), comments);
}

std::uint32_t ItemFileBuilder::addHistoryWith(std::string body, const Comments& written) {
  std::uint32_t offset = nextOffset();
  std::uint32_t after = offset + 8 + static_cast<std::uint32_t>(body.size());
  put32(body, 0x00, lastHistory_);
  put16(body, 0x06, static_cast<std::uint16_t>(firstVersion_ + versions_));
  std::string comments;
  put32(body, 0x4C, after);  // SourceSafe leaves the next record's offset when there is no comment
  if (written.comment) {
    std::string text = *written.comment + '\0';
    put16(body, 0x54, static_cast<std::uint16_t>(text.size()));
    comments += record("MC", text);
  }
  if (written.labelComment) {
    std::string text = *written.labelComment + '\0';
    put32(body, 0x50, after + static_cast<std::uint32_t>(comments.size()));
    put16(body, 0x56, static_cast<std::uint16_t>(text.size()));
    comments += record("MC", text);
  }
  records_ += record("EL", body);
  records_ += comments;
  if (versions_ == 0) firstHistory_ = offset;
  lastHistory_ = offset;
  ++versions_;
  return offset;
}

std::uint32_t ItemFileBuilder::addParent(std::string_view physical) {
  std::string body(0x10, '\0');
  put32(body, 0, lastParent_);
  putText(body, 4, physical, 12);
  lastParent_ = add("PF", body);
  return lastParent_;
}

void ItemFileBuilder::blankParent(std::string_view physical) {
  std::size_t at = 0;
  while (at + 8 <= records_.size()) {
    std::uint32_t length = static_cast<std::uint8_t>(records_[at]) |
                           (static_cast<std::uint8_t>(records_[at + 1]) << 8) |
                           (static_cast<std::uint8_t>(records_[at + 2]) << 16) |
                           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(records_[at + 3])) << 24);
    if (records_.compare(at + 4, 2, "PF") == 0 && records_.compare(at + 12, physical.size(), physical) == 0 &&
        records_[at + 12 + physical.size()] == '\0') {
      putText(records_, at + 12, "", 12);
      refreshCrc(records_, static_cast<std::uint32_t>(at));
    }
    at += 8 + length;
  }
}

std::uint32_t ItemFileBuilder::addBranch(std::string_view physical) {
  std::string body(0x10, '\0');
  put32(body, 0, lastBranch_);
  putText(body, 4, physical, 12);
  lastBranch_ = add("BF", body);
  ++branches_;
  return lastBranch_;
}

std::string ItemFileBuilder::build() const {
  std::string file(0x34, '\0');
  putText(file, 0, "SourceSafe@Microsoft", 32);
  put16(file, 0x20, type_);
  put16(file, 0x22, 6);
  std::string dh = header;
  put16(dh, 0x00, type_);
  put16(dh, 0x02, static_cast<std::uint16_t>(firstVersion_ + versions_ - 1));
  put16(dh, 0x2C, firstVersion_);
  put32(dh, 0x30, firstHistory_);
  put32(dh, 0x34, lastHistory_);
  put32(dh, 0x38, kFirstRecord + static_cast<std::uint32_t>(records_.size()));
  if (type_ == kFile && lastParent_ != 0) put32(dh, 0x60, lastParent_);
  if (type_ == kFile && lastBranch_ != 0) {
    put32(dh, 0x5C, lastBranch_);
    put16(dh, 0x64, branches_);
  }
  file += record("DH", dh);
  file += records_;
  return file;
}

std::string insertOp(std::string_view literal) {
  return u16(0) + u16(0x1234) + u32(0xDEAD) + u32(static_cast<std::uint32_t>(literal.size())) + std::string(literal);
}

std::string copyOp(std::uint32_t offset, std::uint32_t count) {
  return u16(1) + u16(0x1234) + u32(offset) + u32(count);
}

// The stop operation keeps leftover values in its offset and count.
std::string stopOp() { return u16(2) + u16(0x1234) + u32(0x77) + u32(0x99); }

std::string entryRecord(std::uint16_t type, std::string_view name, std::string_view physical, std::uint16_t flags,
                        std::uint16_t pinned, std::uint32_t namesOffset) {
  std::string body(0x38, '\0');
  put16(body, 0, type);
  put16(body, 2, flags);
  putName(body, 4, name, type == 1, namesOffset);
  put16(body, 0x2C, pinned);
  putText(body, 0x2E, physical, 10);
  return record("JP", body);
}

std::string usersFile(const std::vector<std::pair<std::string, std::uint16_t>>& users, std::uint16_t count) {
  std::string file(0x34, '\0');
  putText(file, 0, "UserManagement@Microsoft", 32);
  put16(file, 0x20, 8);
  std::string header(0x40, '\0');
  put16(header, 0, count);
  file += record("HU", header);
  for (const auto& [name, hash] : users) {
    std::string body(0x38, '\0');
    putText(body, 0, name, 32);
    put16(body, 0x20, hash);
    file += record("UU", body);
  }
  return file;
}

std::string namesFile(const std::vector<std::vector<std::pair<std::uint16_t, std::string>>>& sets,
                      std::vector<std::uint32_t>* offsets) {
  std::string records;
  offsets->clear();
  for (const auto& set : sets) {
    std::string body = u16(static_cast<std::uint16_t>(set.size())) + u16(0);
    std::string strings;
    for (const auto& [kind, text] : set) {
      body += u16(kind) + u16(static_cast<std::uint16_t>(strings.size()));
      strings += text + '\0';
    }
    offsets->push_back(0x58 + static_cast<std::uint32_t>(records.size()));
    records += record("SN", body + strings);
  }
  std::string header(0x50, '\0');
  put32(header, 0x10, 0x58 + static_cast<std::uint32_t>(records.size()));
  return record("HN", header) + records;
}

}  // namespace nativetest
