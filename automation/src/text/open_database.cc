#include "text/open_database.h"

#include <cstring>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "model/names.h"
#include "model/operations.h"
#include "native/file_access.h"
#include "platform/file_system.h"
#include "platform/regular_file.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"
#include "text/journal_format.h"

namespace ssapi::text {
namespace {

namespace fs = std::filesystem;

std::wstring wide(const fs::path& path) { return platform::wideFromPath(path); }

// Bounds of what the text form reads: the ini and the users are small
// files; a content is bounded as SourceSafe's own files bound a version;
// the journal of the largest database we generate is a few hundred MB.
constexpr std::uint64_t kMaxJournalSize = std::uint64_t{4} << 30;
constexpr std::uint64_t kMaxContentSize = std::uint64_t{1} << 30;

bool failed(OpenError* error, HRESULT code, std::wstring description) {
  error->code = code;
  error->description = std::move(description);
  return false;
}

// A failed read as the reader of SourceSafe's own files reports it.
bool failedRead(OpenError* error, const fs::path& path, const platform::FileReadStatus& read, std::uint64_t maxSize,
                const std::wstring& prefix = L"") {
  native::Status status = native::readFailure(path, read, static_cast<std::size_t>(maxSize));
  return failed(error, status.code, prefix + status.description);
}

// The journal, line by line: the journal of a large database need not be
// in memory at once. Lines are handed on without their line break.
class LineReader {
 public:
  explicit LineReader(platform::RegularFile file) : file_(std::move(file)), buffer_(1 << 20) {}

  // False at the end or on a failure (see status()).
  bool next(std::string* line) {
    line->clear();
    while (true) {
      if (at_ < filled_) {
        const char* start = buffer_.data() + at_;
        const void* end = std::memchr(start, '\n', filled_ - at_);
        std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - start) : filled_ - at_;
        line->append(start, length);
        at_ += length;
        if (end) {
          ++at_;
          return true;
        }
      }
      std::size_t got = 0;
      status_ = file_.read(buffer_.data(), buffer_.size(), &got);
      if (!status_.ok()) return false;
      at_ = 0;
      filled_ = got;
      if (got == 0) {
        if (!line->empty()) return true;
        status_ = file_.checkUnchanged();
        return false;
      }
    }
  }
  const platform::FileReadStatus& status() const { return status_; }

 private:
  platform::RegularFile file_;
  std::vector<char> buffer_;
  std::size_t at_ = 0;
  std::size_t filled_ = 0;
  platform::FileReadStatus status_;
};

// Calls f(lineNumber, line) for each line of a text, without its line break.
template <class F>
bool forEachLine(std::string_view text, F&& f) {
  long number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!f(++number, line)) return false;
    start = end + 1;
  }
  return true;
}

bool skippable(std::string_view line) {
  std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos || line[first] == '#';
}

// Reads the text form's files into a fresh database; the caller publishes it
// only when everything succeeded.
class Loader {
 public:
  Loader(const fs::path& data, OpenError* error) : data_(data), error_(error) {}

  bool loadUsers(model::Database* db) {
    fs::path file = data_ / kUsersFile;
    std::string text;
    if (platform::FileReadStatus read = platform::readRegularFile(file, native::kMaxSettingsFileSize, &text);
        !read.ok()) {
      return failedRead(error_, file, read, native::kMaxSettingsFileSize);
    }
    bool header = false;
    return forEachLine(text, [&](long number, std::string_view line) {
      if (skippable(line)) return true;
      auto bad = [&](const std::wstring& reason) { return failed(error_, ESS_CORRUPT, at(file, number) + reason); };
      if (!header) {
        if (line != kUsersHeader) return bad(L"expected \"" + platform::utf8ToWide(kUsersHeader) + L"\"");
        header = true;
        return true;
      }
      std::vector<std::wstring> words;
      std::wstring problem;
      if (!splitLine(line, &words, &problem)) return bad(problem);
      if (words.size() != 3) return bad(L"expected a user name, a salt and a password hash");
      if (words[0].empty()) return bad(L"the user name is empty");
      if (db->findUser(words[0])) return bad(L"user \"" + words[0] + L"\" is listed twice");
      db->users.push_back({words[0], platform::wideToUtf8(words[1]), platform::wideToUtf8(words[2])});
      return true;
    }) && (header || failed(error_, ESS_CORRUPT, at(file, 1) + L"the file is empty"));
  }

  bool loadJournal(model::Database* db) {
    file_ = data_ / kJournalFile;
    platform::RegularFile journal;
    if (platform::FileReadStatus read = platform::RegularFile::open(file_, kMaxJournalSize, &journal); !read.ok()) {
      return failedRead(error_, file_, read, kMaxJournalSize);
    }
    LineReader in(std::move(journal));
    bool header = false;
    std::vector<std::wstring> words;
    std::string text;
    long number = 0;
    while (in.next(&text)) {
      ++number;
      std::string_view line(text);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (skippable(line)) continue;
      if (!header) {
        if (line != kJournalHeader) {
          return failed(error_, ESS_CORRUPT,
                        at(file_, number) + L"expected \"" + platform::utf8ToWide(kJournalHeader) + L"\"");
        }
        header = true;
        continue;
      }
      if (!replay(db, number, line, &words)) return false;
    }
    if (!in.status().ok()) return failedRead(error_, file_, in.status(), kMaxJournalSize);
    if (db->root() == model::kNoItem) return failed(error_, ESS_CORRUPT, wide(file_) + L": the journal creates no root project");
    return true;
  }

 private:
  static std::wstring at(const fs::path& file, long line) {
    return L"File \"" + wide(file) + L"\", line " + std::to_wstring(line) + L": ";
  }

  bool replay(model::Database* db, long number, std::string_view line, std::vector<std::wstring>* words) {
    auto bad = [&](HRESULT code, const std::wstring& reason) { return failed(error_, code, at(file_, number) + reason); };
    std::wstring problem;
    if (!splitLine(line, words, &problem)) return bad(ESS_CORRUPT, problem);
    const std::vector<std::wstring>& w = *words;
    if (w.size() < 4) return bad(ESS_CORRUPT, L"expected a time, a user, a change and a spec");
    model::Change change;
    if (!parseUtc(w[0], &change.time)) return bad(ESS_CORRUPT, L"\"" + w[0] + L"\" is not a time like 2000-01-31T23:59:00Z");
    change.user = w[1];
    if (!model::changeFromKeyword(w[2], &change.kind)) return bad(ESS_CORRUPT, L"unknown change \"" + w[2] + L"\"");
    change.spec = w[3];
    std::size_t next = 4;
    auto argument = [&](std::wstring* out) {
      if (next >= w.size()) return false;
      *out = w[next++];
      return true;
    };
    std::wstring text;
    switch (change.kind) {
      case model::ChangeKind::kAddFile:
      case model::ChangeKind::kCheckIn: {
        if (!argument(&text)) return bad(ESS_CORRUPT, L"the content name is missing");
        if (!loadContent(db, text, &change.content, number)) return false;
        break;
      }
      case model::ChangeKind::kRename:
      case model::ChangeKind::kMove:
      case model::ChangeKind::kShare:
      case model::ChangeKind::kLabel:
        if (!argument(&change.argument)) return bad(ESS_CORRUPT, L"an argument is missing");
        break;
      case model::ChangeKind::kPin:
      case model::ChangeKind::kRollback: {
        if (!argument(&text)) return bad(ESS_CORRUPT, L"the version number is missing");
        long version = 0;
        for (wchar_t c : text) {
          if (c < L'0' || c > L'9' || version > 100000000) return bad(ESS_CORRUPT, L"\"" + text + L"\" is not a version number");
          version = version * 10 + (c - L'0');
        }
        change.version = static_cast<std::int32_t>(version);
        break;
      }
      default: break;
    }
    while (next < w.size()) {
      const std::wstring& key = w[next];
      if (next + 1 >= w.size()) return bad(ESS_CORRUPT, L"\"" + key + L"\" has no value");
      if (key == L"comment") {
        change.comment = w[next + 1];
      } else if (key == L"label-comment" && change.kind == model::ChangeKind::kLabel) {
        change.labelComment = w[next + 1];
      } else {
        return bad(ESS_CORRUPT, L"unexpected \"" + key + L"\"");
      }
      next += 2;
    }
    model::Status status = model::apply(*db, change);
    if (!status.ok()) {
      return bad(ESS_CORRUPT, L"cannot " + model::describeChange(change) + L": " + status.reason);
    }
    return true;
  }

  bool loadContent(model::Database* db, const std::wstring& name, model::ContentId* id, long number) {
    if (!validContentName(name)) {
      return failed(error_, ESS_CORRUPT, at(file_, number) + L"\"" + name + L"\" is not a content name");
    }
    std::string key = platform::wideToUtf8(name);
    auto known = contents_.find(key);
    if (known != contents_.end()) {
      *id = known->second;
      return true;
    }
    // Inside the data folder only: a link could make a get deliver any file
    // of the machine.
    fs::path relative = contentPath(key);
    fs::path path = data_ / relative;
    std::string bytes;
    if (platform::FileReadStatus read = platform::readRegularFileBelow(data_, relative, kMaxContentSize, &bytes);
        !read.ok()) {
      if (read.error == platform::FileReadError::kNotFound) {
        return failed(error_, ESS_FILE_NOTFOUND, at(file_, number) + L"content file \"" + wide(path) + L"\" not found");
      }
      return failedRead(error_, path, read, kMaxContentSize, at(file_, number));
    }
    // The name is the content's hash: a content file that was changed or
    // swapped since it was written is damage.
    if (std::string hash = contentHash(bytes); key.compare(0, hash.size(), hash) != 0) {
      return failed(error_, ESS_CORRUPT,
                    at(file_, number) + L"content file \"" + wide(path) + L"\" does not match its name: its hash is " +
                        platform::utf8ToWide(hash));
    }
    *id = db->addContent(std::move(bytes));
    contents_.emplace(std::move(key), *id);
    return true;
  }

  fs::path data_;
  fs::path file_;
  OpenError* error_;
  std::unordered_map<std::string, model::ContentId> contents_;
};

std::string trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

bool readDataPath(const fs::path& ini, fs::path* dataFolder, OpenError* error) {
  std::string text;
  if (platform::FileReadStatus read = platform::readRegularFile(ini, native::kMaxSettingsFileSize, &text);
      !read.ok()) {
    // A folder named as the ini is no ini, as when nothing is there.
    std::error_code ignoredError;
    if (read.error == platform::FileReadError::kNotRegularFile && fs::is_directory(ini, ignoredError)) {
      read.error = platform::FileReadError::kNotFound;
    }
    return failedRead(error, ini, read, native::kMaxSettingsFileSize);
  }
  std::string dataPath;
  bool inSection = false;
  bool ok = forEachLine(text, [&](long number, std::string_view raw) {
    std::string line = trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') return true;
    if (line.front() == '[') {
      if (line.back() != ']') {
        return failed(error, ESS_INI_BADLINE,
                      L"Invalid syntax on line " + std::to_wstring(number) + L" of file " + wide(ini));
      }
      inSection = true;  // Data_Path belongs before the first section
      return true;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      return failed(error, ESS_INI_BADLINE, L"Invalid syntax on line " + std::to_wstring(number) + L" of file " + wide(ini));
    }
    std::string key = trim(std::string_view(line).substr(0, equals));
    if (!inSection && model::sameName(platform::utf8ToWide(key), L"Data_Path")) {
      dataPath = trim(std::string_view(line).substr(equals + 1));
    }
    return true;
  });
  if (!ok) return false;
  if (dataPath.empty()) {
    return failed(error, ESS_INI_BADLINE, L"File \"" + wide(ini) + L"\" names no Data_Path");
  }
  if (dataPath.find('\0') != std::string::npos) {
    return failed(error, ESS_INI_BADLINE, L"File \"" + wide(ini) + L"\": Data_Path holds a NUL character");
  }
  for (char& c : dataPath)
    if (c == '\\') c = '/';
  fs::path folder = platform::pathFromUtf8(dataPath);
  if (folder.is_relative()) folder = ini.parent_path() / folder;
  std::error_code ignored;
  if (!fs::is_directory(folder, ignored)) {
    return failed(error, ESS_DATABASE_NOT_FOUND,
                  L"The SourceSafe database path " + wide(folder) + L" does not exist. Please select another database.");
  }
  *dataFolder = folder;
  return true;
}

namespace {

bool openWhole(const fs::path& ini, const std::wstring& user, const std::wstring& password,
               std::shared_ptr<model::Database>* db, OpenError* error) {
  fs::path data;
  if (!readDataPath(ini, &data, error)) return false;
  auto loaded = std::make_shared<model::Database>();
  Loader loader(data, error);
  if (!loader.loadUsers(loaded.get())) return false;
  const model::User* account = loaded->findUser(user);
  if (!account) return failed(error, ESS_UM_USER_NOT_FOUND, L"User \"" + user + L"\" not found");
  if (passwordHash(account->salt, password) != account->passwordHash) {
    return failed(error, ESS_UM_BAD_PASSWORD, L"Invalid password");
  }
  if (!loader.loadJournal(loaded.get())) return false;
  *db = std::move(loaded);
  return true;
}

}  // namespace

// No exception leaves the library: what a load throws becomes a status.
bool openDatabase(const fs::path& ini, const std::wstring& user, const std::wstring& password,
                  std::shared_ptr<model::Database>* db, OpenError* error) {
  try {
    return openWhole(ini, user, password, db, error);
  } catch (const std::bad_alloc&) {
    return failed(error, E_OUTOFMEMORY, L"Not enough memory to load \"" + wide(ini) + L"\"");
  } catch (const std::exception& thrown) {
    return failed(error, E_FAIL, L"Loading \"" + wide(ini) + L"\" failed: " + platform::utf8ToWide(thrown.what()));
  }
}

}  // namespace ssapi::text
