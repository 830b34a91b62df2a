#include "text/open_database.h"

#include <fstream>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "model/names.h"
#include "model/operations.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"
#include "text/journal_format.h"

namespace ssapi::text {
namespace {

namespace fs = std::filesystem;

std::wstring wide(const fs::path& path) { return platform::utf8ToWide(path.string()); }

bool readWhole(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool failed(OpenError* error, HRESULT code, std::wstring description) {
  error->code = code;
  error->description = std::move(description);
  return false;
}

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
    if (!readWhole(file, &text)) return failed(error_, ESS_FILE_NOTFOUND, L"File \"" + wide(file) + L"\" not found");
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
    // Read line by line: the journal of a large database need not be in memory at once.
    std::ifstream in(file_, std::ios::binary);
    if (!in) return failed(error_, ESS_FILE_NOTFOUND, L"File \"" + wide(file_) + L"\" not found");
    std::vector<char> buffer(1 << 20);
    in.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    bool header = false;
    std::vector<std::wstring> words;
    std::string text;
    long number = 0;
    while (std::getline(in, text)) {
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
    if (in.bad()) return failed(error_, ESS_FILE_NOTFOUND, L"File \"" + wide(file_) + L"\" cannot be read");
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
    fs::path path = data_ / contentPath(key);
    std::string bytes;
    if (!readWhole(path, &bytes) || fs::is_directory(path)) {
      return failed(error_, ESS_FILE_NOTFOUND, at(file_, number) + L"content file \"" + wide(path) + L"\" not found");
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
  std::error_code ignored;
  if (fs::is_directory(ini, ignored) || !readWhole(ini, &text)) {
    return failed(error, ESS_FILE_NOTFOUND, L"File \"" + wide(ini) + L"\" not found");
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
  for (char& c : dataPath)
    if (c == '\\') c = '/';
  fs::path folder(dataPath);
  if (folder.is_relative()) folder = ini.parent_path() / folder;
  if (!fs::is_directory(folder, ignored)) {
    return failed(error, ESS_DATABASE_NOT_FOUND,
                  L"The SourceSafe database path " + wide(folder) + L" does not exist. Please select another database.");
  }
  *dataFolder = folder;
  return true;
}

bool openDatabase(const fs::path& ini, const std::wstring& user, const std::wstring& password,
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

}  // namespace ssapi::text
