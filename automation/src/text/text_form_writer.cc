#include "text/text_form_writer.h"

#include <stdexcept>

#include "text/journal_format.h"

namespace ssapi::text {
namespace {

namespace fs = std::filesystem;

void writeWhole(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string journalLine(const model::Change& c, const std::string& contentName) {
  std::string line = formatUtc(c.time);
  line += ' ';
  line += encodeWord(c.user);
  line += ' ';
  line += encodeWord(model::changeKeyword(c.kind));
  line += ' ';
  line += encodeWord(c.spec);
  switch (c.kind) {
    case model::ChangeKind::kAddFile:
    case model::ChangeKind::kCheckIn: line += ' ' + contentName; break;
    case model::ChangeKind::kRename:
    case model::ChangeKind::kMove:
    case model::ChangeKind::kShare:
    case model::ChangeKind::kLabel: line += ' ' + encodeWord(c.argument); break;
    case model::ChangeKind::kPin:
    case model::ChangeKind::kRollback: line += ' ' + std::to_string(c.version); break;
    default: break;
  }
  if (c.kind == model::ChangeKind::kLabel && !c.labelComment.empty()) {
    line += " label-comment " + encodeWord(c.labelComment);
  }
  if (!c.comment.empty()) line += " comment " + encodeWord(c.comment);
  return line;
}

TextFormWriter::TextFormWriter(const fs::path& folder, const std::vector<model::User>& users) : data_(folder / "data") {
  std::error_code error;
  fs::create_directories(data_ / kContentsFolder, error);
  if (error) throw std::runtime_error("cannot create " + data_.string() + ": " + error.message());
  writeWhole(folder / "srcsafe.ini",
             "; SourceSafe database in quillgate's text form (see automation/README.md)\r\n"
             "Data_Path = data\r\n");
  std::string usersText =
      "# SourceSafe users: name, salt, SHA-256 of \"<salt>:<password>\" (UTF-8)\n";
  usersText += kUsersHeader;
  usersText += '\n';
  for (const model::User& user : users) usersText += encodeWord(user.name) + ' ' + user.salt + ' ' + user.passwordHash + '\n';
  writeWhole(data_ / kUsersFile, usersText);
  journal_.open(data_ / kJournalFile, std::ios::binary | std::ios::trunc);
  if (!journal_) throw std::runtime_error("cannot write " + (data_ / kJournalFile).string());
  journal_ << "# SourceSafe journal: one change per line, in the order made.\n"
              "# <time, UTC> <user> <change> <spec> <argument> [label-comment <text>] [comment <text>]\n"
           << kJournalHeader << '\n';
}

TextFormWriter::~TextFormWriter() {
  if (!finished_) {
    try {
      finish();
    } catch (...) {
      // A destructor cannot report it; finish() does for callers that ask.
    }
  }
}

std::string TextFormWriter::contentName(const std::string& content) {
  auto known = names_.find(content);
  if (known != names_.end()) return known->second;
  std::string hash = contentHash(content);
  std::string name = hash;
  for (int n = 1; taken_.count(name); ++n) name = hash + "-" + std::to_string(n);
  fs::path path = data_ / contentPath(name);
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  writeWhole(path, content);
  taken_.insert(name);
  names_.emplace(content, name);
  return name;
}

void TextFormWriter::write(const model::Change& change, const std::string& content) {
  std::string name;
  if (change.kind == model::ChangeKind::kAddFile || change.kind == model::ChangeKind::kCheckIn) {
    name = contentName(content);
  }
  journal_ << journalLine(change, name) << '\n';
  if (!journal_) throw std::runtime_error("cannot write " + (data_ / kJournalFile).string());
}

void TextFormWriter::finish() {
  finished_ = true;
  journal_.close();
  if (!journal_) throw std::runtime_error("cannot write " + (data_ / kJournalFile).string());
}

}  // namespace ssapi::text
