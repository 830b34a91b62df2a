// A SourceSafe database read from its own files: srcsafe.ini, the data
// folder's item files and data files, names.dat and um.dat. Opening reads
// srcsafe.ini only; every other file is read when something asks for it,
// so reading one item costs the files of that item. Nothing is ever
// written and every file is opened read-only.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/code_page.h"
#include "native/delta.h"
#include "native/item_file.h"
#include "native/names_file.h"
#include "native/project_entries.h"
#include "native/srcsafe_ini.h"
#include "native/status.h"
#include "native/users_file.h"
#include "native/version_walk.h"

namespace ssapi::native {

struct ReaderOptions {
  std::string codePage;  // empty: CodePage::configuredName()
  std::size_t maxFileSize = std::size_t{1} << 30;
  std::size_t maxContentSize = kMaxContentSize;
  // SourceSafe rewrites its files in place. A read that meets such a write
  // half-way sees bytes that do not hold together (a bad checksum, a record
  // past the end, a header that disagrees with its records or its data
  // file, a file that changed while it was read); it is read again up to
  // this many times in all, after a pause that doubles each time, before
  // the file counts as damaged.
  int readAttempts = 4;
  std::chrono::milliseconds retryPause{5};
};

class DatabaseFiles {
 public:
  static Status open(const std::filesystem::path& iniPath, const ReaderOptions& options,
                     std::unique_ptr<DatabaseFiles>* out);

  const std::filesystem::path& iniPath() const { return iniPath_; }
  const SrcSafeIni& ini() const { return ini_; }
  const DataFolder& dataFolder() const { return dataFolder_; }
  const CodePage& codePage() const { return codePage_; }
  std::wstring decode(std::string_view ansi) const { return codePage_.decode(ansi); }

  // The item file of a physical name ("AAAAAAAA" is the root project).
  Status readItem(std::string_view physical, ItemFile* item) const;
  // The entries of a project, from its current data file, which must agree
  // with the counts in the project's header. `dataFile` (when given) names
  // the data file for messages.
  Status readProjectEntries(const ItemFile& project, std::vector<ProjectEntry>* entries,
                            std::wstring* dataFile = nullptr) const;
  // A project's item file with its entries, read again together when the
  // two do not agree: SourceSafe writes them one after the other.
  Status readProject(std::string_view physical, ItemFile* project, std::vector<ProjectEntry>* entries,
                     std::wstring* dataFile = nullptr) const;
  // A file's latest content, checked against the checksum in its header.
  Status readCurrentContent(const ItemFile& file, std::string* content) const;
  // Every version of a file with its content, newest first, down to
  // `oldest`; versions older than a branch come from the branch's source.
  Status walkVersions(const ItemFile& file, std::int32_t oldest, const VersionVisitor& visit) const;
  Status contentAt(const ItemFile& file, std::int32_t version, std::string* content) const;

  // The name to show for a name field, from names.dat where needed.
  Status resolveName(const VssName& name, std::wstring* text) const;

  Status readUsers(std::vector<UserRecord>* users) const;
  // S_OK, ESS_UM_USER_NOT_FOUND or ESS_UM_BAD_PASSWORD. User names are
  // compared without regard to letter case, like the password.
  Status checkLogin(std::wstring_view user, std::wstring_view password) const;
  // The same against a user list read before.
  Status checkLogin(const std::vector<UserRecord>& users, std::wstring_view user, std::wstring_view password) const;

  // Physical names of the item files present in the data folder; for
  // checks and tools (it lists every letter folder).
  Status listItemFiles(std::vector<std::string>* physicals) const;

  // How many files were read so far (srcsafe.ini included).
  std::size_t filesRead() const { return filesRead_; }

 private:
  DatabaseFiles() = default;
  Status readFile(const std::filesystem::path& path, std::string* bytes) const;
  Status readFile(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes) const;
  // Runs `attempt` again while it fails with ESS_CORRUPT, as ReaderOptions says.
  Status untorn(const std::function<Status()>& attempt) const;
  Status readItemOnce(std::string_view physical, ItemFile* item) const;
  Status readProjectEntriesOnce(const ItemFile& project, std::vector<ProjectEntry>* entries,
                                std::wstring* dataFile) const;
  Status findItemPath(std::string_view physical, std::string_view extension, std::filesystem::path* path) const;
  Status readDataFile(const ItemFile& item, std::string* bytes) const;
  Status loadNames() const;

  std::filesystem::path iniPath_;
  ReaderOptions options_;
  SrcSafeIni ini_;
  DataFolder dataFolder_;
  CodePage codePage_;
  mutable bool namesLoaded_ = false;
  mutable std::optional<NamesFile> names_;
  mutable Status namesFailure_;
  mutable std::size_t filesRead_ = 0;
};

}  // namespace ssapi::native
