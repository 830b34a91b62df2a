#include "native/database_files.h"

#include <fmt/xchar.h>

#include <algorithm>
#include <thread>

#include "native/crc.h"
#include "native/file_access.h"
#include "native/physical_name.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {
namespace {

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

Status DatabaseFiles::open(const std::filesystem::path& iniPath, const ReaderOptions& options,
                           std::unique_ptr<DatabaseFiles>* out) {
  std::unique_ptr<DatabaseFiles> files(new DatabaseFiles());
  files->iniPath_ = iniPath;
  files->options_ = options;
  std::string name = options.codePage.empty() ? CodePage::configuredName() : options.codePage;
  if (Status status = CodePage::open(name, &files->codePage_); !status.ok()) return status;
  if (Status status = files->untorn([&] {
        std::string text;
        if (Status read = files->readFile(iniPath, kMaxSettingsFileSize, &text); !read.ok()) return read;
        return parseSrcSafeIni(text, displayPath(iniPath), &files->ini_);
      });
      !status.ok()) {
    return status;
  }
  if (Status status = locateDataFolder(files->ini_, iniPath, files->codePage_, &files->dataFolder_); !status.ok()) {
    return status;
  }
  *out = std::move(files);
  return success();
}

Status DatabaseFiles::readFile(const std::filesystem::path& path, std::string* bytes) const {
  return readFile(path, options_.maxFileSize, bytes);
}

Status DatabaseFiles::readFile(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes) const {
  ++filesRead_;
  return readFileBytes(path, std::min(maxSize, options_.maxFileSize), bytes);
}

Status DatabaseFiles::untorn(const std::function<Status()>& attempt) const {
  std::chrono::milliseconds pause = options_.retryPause;
  for (int tries = 1;; ++tries) {
    Status status = attempt();
    if (status.code != ESS_CORRUPT || tries >= options_.readAttempts) return status;
    std::this_thread::sleep_for(pause);
    pause *= 2;
  }
}

Status DatabaseFiles::findItemPath(std::string_view physical, std::string_view extension,
                                   std::filesystem::path* path) const {
  if (!isPhysicalName(physical)) {
    return failure(ESS_CORRUPT, fmt::format(L"\"{}\" is not a physical item name", decode(physical)));
  }
  std::string fileName = lowerAscii(physical);
  if (!extension.empty()) {
    fileName += '.';
    fileName += lowerAscii(extension);
  }
  std::filesystem::path letterFolder;
  if (!findEntry(dataFolder_.path, fileName.substr(0, 1), &letterFolder).ok()) {
    // SourceSafe leaves letter folders empty; copies often drop empty folders.
    return failure(ESS_FILE_NOTFOUND, fmt::format(L"File \"{}\" not found",
                                                  displayPath(dataFolder_.path / fileName.substr(0, 1) / fileName)));
  }
  return findEntry(letterFolder, fileName, path);
}

Status DatabaseFiles::readItem(std::string_view physical, ItemFile* item) const {
  return untorn([&] { return readItemOnce(physical, item); });
}

Status DatabaseFiles::readItemOnce(std::string_view physical, ItemFile* item) const {
  std::filesystem::path path;
  if (Status status = findItemPath(physical, "", &path); !status.ok()) return status;
  std::string bytes;
  if (Status status = readFile(path, &bytes); !status.ok()) return status;
  ItemFile parsed;
  if (Status status = parseItemFile(std::move(bytes), displayPath(path), &parsed); !status.ok()) return status;
  parsed.physical = std::string(physical);
  for (char& c : parsed.physical) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  *item = std::move(parsed);
  return success();
}

Status DatabaseFiles::readDataFile(const ItemFile& item, std::string* bytes) const {
  std::filesystem::path path;
  if (Status status = findItemPath(item.physical, std::string(1, item.header.dataExtension), &path); !status.ok()) {
    return status;
  }
  return readFile(path, bytes);
}

Status DatabaseFiles::readProjectEntries(const ItemFile& project, std::vector<ProjectEntry>* entries,
                                         std::wstring* dataFile) const {
  return untorn([&] { return readProjectEntriesOnce(project, entries, dataFile); });
}

Status DatabaseFiles::readProject(std::string_view physical, ItemFile* project, std::vector<ProjectEntry>* entries,
                                  std::wstring* dataFile) const {
  return untorn([&] {
    if (Status status = readItemOnce(physical, project); !status.ok()) return status;
    if (!project->header.isProject()) return success();
    return readProjectEntriesOnce(*project, entries, dataFile);
  });
}

Status DatabaseFiles::readProjectEntriesOnce(const ItemFile& project, std::vector<ProjectEntry>* entries,
                                             std::wstring* dataFile) const {
  if (!project.header.isProject()) {
    return failure(ESS_VS_WANT_PRJ, fmt::format(L"File \"{}\" is not a project", project.path));
  }
  std::filesystem::path path;
  if (Status status = findItemPath(project.physical, std::string(1, project.header.dataExtension), &path);
      !status.ok()) {
    return status;
  }
  std::string bytes;
  if (Status status = readFile(path, &bytes); !status.ok()) return status;
  std::wstring name = displayPath(path);
  std::vector<ProjectEntry> parsed;
  if (Status status = parseProjectEntries(bytes, name, &parsed); !status.ok()) return status;
  if (Status status = checkEntryCounts(project.header.project, parsed, name); !status.ok()) return status;
  *entries = std::move(parsed);
  if (dataFile) *dataFile = std::move(name);
  return success();
}

Status DatabaseFiles::readCurrentContent(const ItemFile& file, std::string* content) const {
  if (file.header.isProject()) {
    return failure(ESS_VS_WANT_FILE, fmt::format(L"File \"{}\" is a project, which has no content", file.path));
  }
  return untorn([&] {
    std::string bytes;
    if (Status status = readDataFile(file, &bytes); !status.ok()) return status;
    std::uint32_t crc = crc32(bytes);
    if (crc != file.header.file.dataCrc) {
      return corrupt(file.path,
                     fmt::format(L"its data file's checksum 0x{:08x} differs from the one recorded, 0x{:08x}", crc,
                                 file.header.file.dataCrc));
    }
    *content = std::move(bytes);
    return success();
  });
}

Status DatabaseFiles::walkVersions(const ItemFile& file, std::int32_t oldest, const VersionVisitor& visit) const {
  std::string content;
  if (Status status = readCurrentContent(file, &content); !status.ok()) return status;
  bool stopped = false;
  VersionVisitor watch = [&](std::int32_t version, const std::string& bytes) {
    stopped = !visit(version, bytes);
    return !stopped;
  };
  const ItemFile* current = &file;
  std::unique_ptr<ItemFile> source;
  std::int32_t from = file.header.lastVersion;
  while (true) {
    if (Status status = native::walkVersions(*current, from, oldest, options_.maxContentSize, &content, watch);
        !status.ok()) {
      return status;
    }
    if (stopped || oldest >= current->header.firstVersion) return success();
    // The branch's content at its first version is its source's at the
    // branch point; from there on the source's deltas apply. Every step
    // goes to a lower version, so a loop of sources cannot go on for ever.
    const std::string& sourceName = current->header.file.branchSource;
    if (sourceName.empty()) {
      return corrupt(current->path, fmt::format(L"its history starts at version {} but it names no branch source",
                                                current->header.firstVersion));
    }
    from = current->header.firstVersion - 1;
    auto next = std::make_unique<ItemFile>();
    if (Status status = readItem(sourceName, next.get()); !status.ok()) return status;
    if (next->header.isProject() || from < next->header.firstVersion || from > next->header.lastVersion) {
      return corrupt(current->path, fmt::format(L"its branch source {} has no version {}", decode(sourceName), from));
    }
    source = std::move(next);
    current = source.get();
  }
}

Status DatabaseFiles::contentAt(const ItemFile& file, std::int32_t version, std::string* content) const {
  if (version < 1 || version > file.header.lastVersion) {
    return failure(ESS_VS_VERS_NOT_FOUND, fmt::format(L"File \"{}\" has no version {}", file.path, version));
  }
  bool found = false;
  Status status = walkVersions(file, version, [&](std::int32_t v, const std::string& bytes) {
    if (v != version) return true;
    *content = bytes;
    found = true;
    return false;
  });
  if (!status.ok()) return status;
  if (!found) return failure(ESS_VS_VERS_NOT_FOUND, fmt::format(L"File \"{}\" has no version {}", file.path, version));
  return success();
}

Status DatabaseFiles::loadNames() const {
  if (namesLoaded_) return namesFailure_;
  std::filesystem::path path;
  if (!findEntry(dataFolder_.path, "names.dat", &path).ok()) {
    namesLoaded_ = true;  // old databases have none: every name is in its field
    return success();
  }
  NamesFile names;
  if (Status status = untorn([&] {
        std::string bytes;
        if (Status read = readFile(path, &bytes); !read.ok()) return read;
        return NamesFile::parse(std::move(bytes), displayPath(path), &names);
      });
      !status.ok()) {
    // Once: every name of the database would read it again.
    namesLoaded_ = true;
    namesFailure_ = status;
    return status;
  }
  names_ = std::move(names);
  namesLoaded_ = true;
  return success();
}

Status DatabaseFiles::resolveName(const VssName& name, std::wstring* text) const {
  std::string bytes = name.shortName;
  if (name.namesOffset != 0) {
    if (Status status = loadNames(); !status.ok()) return status;
    if (Status status = native::resolveName(name, names_ ? &*names_ : nullptr, &bytes); !status.ok()) return status;
  }
  *text = decode(bytes);
  return success();
}

Status DatabaseFiles::readUsers(std::vector<UserRecord>* users) const {
  std::filesystem::path path;
  if (Status status = findEntry(dataFolder_.path, "um.dat", &path); !status.ok()) return status;
  return untorn([&] {
    std::string bytes;
    if (Status status = readFile(path, kMaxSettingsFileSize, &bytes); !status.ok()) return status;
    return parseUsersFile(bytes, displayPath(path), users);
  });
}

Status DatabaseFiles::checkLogin(std::wstring_view user, std::wstring_view password) const {
  std::vector<UserRecord> users;
  if (Status status = readUsers(&users); !status.ok()) return status;
  return checkLogin(users, user, password);
}

Status DatabaseFiles::checkLogin(const std::vector<UserRecord>& users, std::wstring_view user,
                                 std::wstring_view password) const {
  std::wstring wanted = upperCaseText(user);
  for (const UserRecord& record : users) {
    if (upperCaseText(decode(record.name)) != wanted) continue;
    std::string bytes;
    if (!codePage_.encode(upperCaseText(password), &bytes) || passwordHash(bytes) != record.passwordHash) {
      return failure(ESS_UM_BAD_PASSWORD, L"Invalid password");
    }
    return success();
  }
  return failure(ESS_UM_USER_NOT_FOUND, fmt::format(L"User \"{}\" not found", user));
}

Status DatabaseFiles::listItemFiles(std::vector<std::string>* physicals) const {
  std::vector<std::string> found;
  std::error_code error;
  for (std::filesystem::directory_iterator letters(dataFolder_.path, error), end; !error && letters != end;
       letters.increment(error)) {
    std::string letter = letters->path().filename().string();
    std::error_code kind;
    if (letter.size() != 1 || !letters->is_directory(kind)) continue;
    std::error_code inner;
    for (std::filesystem::directory_iterator it(letters->path(), inner); !inner && it != end; it.increment(inner)) {
      std::string name = it->path().filename().string();
      if (!isPhysicalName(name) || lowerAscii(name.substr(0, 1)) != lowerAscii(letter)) continue;
      for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
      found.push_back(std::move(name));
    }
  }
  if (error) {
    return failure(ESS_FILE_NOTFOUND, fmt::format(L"Folder \"{}\" cannot be listed", displayPath(dataFolder_.path)));
  }
  std::sort(found.begin(), found.end());
  *physicals = std::move(found);
  return success();
}

}  // namespace ssapi::native
