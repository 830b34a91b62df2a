// Test tooling: a database in SourceSafe's own files, made change by change
// the way SourceSafe writes each change (the records appended to each item
// file, the project entries rewritten, names.dat, um.dat), and written to a
// folder as srcsafe.ini and a data folder. The changes take the same specs
// as ssapi::DatabaseBuilder, so one script can make the same database in
// both forms:
//
//   NativeDatabaseBuilder db;
//   db.createProject(L"$/p").addFile(L"$/p/a.txt", "one").checkIn(L"$/p/a.txt", "two");
//   db.writeTo(dir);  // dir/srcsafe.ini, dir/data/...
//
// Every user has an empty password. Names are written in Windows-1252.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "file_builder.h"

namespace nativetest {

class NativeDatabaseBuilder {
 public:
  // 2000-01-01 00:00:00 UTC, as DatabaseBuilder starts.
  static constexpr std::int64_t kDefaultStart = 946684800;

  NativeDatabaseBuilder();  // the root project, created by "Admin"

  // Time of the next change (UTC); without it each change is 1 s after the
  // previous. It is stored as the wall clock of this process's time zone,
  // as a SourceSafe client in that zone would store it.
  NativeDatabaseBuilder& at(std::int64_t utcSeconds);
  NativeDatabaseBuilder& by(const std::wstring& user);
  // Comment of the next change: SourceSafe keeps it in the records of the
  // item's own file (creation, check-in, branch), not in its project's.
  NativeDatabaseBuilder& withComment(const std::wstring& comment);

  NativeDatabaseBuilder& createProject(const std::wstring& spec);
  NativeDatabaseBuilder& addFile(const std::wstring& spec, const std::string& content);
  NativeDatabaseBuilder& checkIn(const std::wstring& spec, const std::string& content);
  NativeDatabaseBuilder& rename(const std::wstring& spec, const std::wstring& newName);
  NativeDatabaseBuilder& move(const std::wstring& projectSpec, const std::wstring& newParentSpec);
  NativeDatabaseBuilder& share(const std::wstring& fileSpec, const std::wstring& intoProjectSpec);
  NativeDatabaseBuilder& branch(const std::wstring& spec);
  NativeDatabaseBuilder& pin(const std::wstring& spec, int version);
  NativeDatabaseBuilder& unpin(const std::wstring& spec);
  NativeDatabaseBuilder& remove(const std::wstring& spec);
  NativeDatabaseBuilder& recover(const std::wstring& spec);
  NativeDatabaseBuilder& destroy(const std::wstring& spec);  // a live item
  NativeDatabaseBuilder& purge(const std::wstring& spec);    // destroy of a deleted item
  NativeDatabaseBuilder& label(const std::wstring& spec, const std::wstring& label,
                               const std::wstring& labelComment = L"");
  NativeDatabaseBuilder& archive(const std::wstring& spec);  // a project or a file held by one project
  NativeDatabaseBuilder& restore(const std::wstring& spec);

  // A file whose name is stored exactly as given, for names no SourceSafe
  // client would accept (a damaged or hostile database). rename() takes
  // any name as well.
  NativeDatabaseBuilder& addFileNamed(const std::wstring& parentSpec, const std::string& rawName,
                                      const std::string& content);

  // The physical name of the item a spec names now (a deleted one when asked).
  std::string physicalOf(const std::wstring& spec, bool deleted = false) const;
  std::size_t itemCount() const { return items_.size(); }

  // srcsafe.ini ("Data_Path = data") and the data folder. Items no longer
  // in the tree (destroyed, archived) have no files, as SourceSafe removes them.
  void writeTo(const std::filesystem::path& folder) const;
  // Where writeTo put an item's file and its current data file.
  static std::filesystem::path itemFilePath(const std::filesystem::path& folder, const std::string& physical);
  std::filesystem::path dataFilePath(const std::filesystem::path& folder, const std::string& physical) const;

 private:
  struct Entry {
    bool project = false;
    std::string name;
    std::string physical;
    bool deleted = false;
    bool shared = false;
    bool binary = false;
    std::uint16_t pinned = 0;
    std::string nameField;  // the name as stored: 40 bytes, names.dat offset included
  };
  struct Item {
    Item(bool isProject, std::uint16_t firstVersion);
    bool project;
    ItemFileBuilder file;
    std::string name;  // the latest name given to the item
    std::string nameField;
    char extension = 'A';
    // Projects.
    std::vector<Entry> entries;
    std::string parent;  // the holding project, "" for the root
    std::uint32_t rightsOffset = 0;
    // Files.
    bool binary = false;
    bool shared = false;
    std::vector<std::string> parents;  // projects linked now, in the order they were linked
    std::string branchSource;
    std::map<int, std::string> contents;  // by version, own versions only
    std::uint32_t lastRevisionTime = 0;
  };
  struct Place {
    std::string project;
    std::size_t index = 0;
  };
  enum class Want { kLive, kDeleted };

  Item& item(const std::string& physical) { return items_.at(physical); }
  const Item& item(const std::string& physical) const { return items_.at(physical); }
  Entry& entry(const Place& place) { return item(place.project).entries[place.index]; }
  std::optional<Place> find(const std::wstring& spec, Want want) const;
  Place findOrThrow(const std::wstring& spec, Want want, const char* change) const;
  std::string projectOrThrow(const std::wstring& spec, const char* change) const;
  std::string specOf(const std::string& project) const;
  std::string contentOf(const std::string& file, int version) const;
  int lastVersion(const std::string& physical) const;

  std::string allocate(bool project, std::uint16_t firstVersion = 1);
  // A history record body of the change being made; its time and user.
  std::string recordBody(std::uint16_t action) const;
  // The 40-byte name structure of a name; a name that does not fit its short
  // field also gets a record in names.dat.
  std::string nameField(const std::string& name, bool project);
  void putNameField(std::string& bytes, std::size_t offset, const std::string& name, bool project);
  Entry newEntry(bool project, const std::string& name, const std::string& physical);
  void setName(const std::string& physical, const std::string& name);
  std::uint16_t sortedIndex(const std::string& project, const std::string& physical) const;
  void entriesChanged(const std::string& project);
  // The item leaves the project: its links and files go unless it is held elsewhere.
  void unlink(const std::string& project, const std::string& physical);
  void finishChange();

  NativeDatabaseBuilder& addProjectTo(const std::string& parent, const std::string& name);
  NativeDatabaseBuilder& addFileTo(const std::string& parent, const std::string& name, const std::string& content);
  NativeDatabaseBuilder& destroyAt(const Place& place);

  std::map<std::string, Item> items_;
  std::uint64_t nextNumber_ = 0;
  std::uint32_t nextRights_ = 0x114;
  std::int64_t next_ = kDefaultStart;
  std::string user_ = "Admin";
  std::optional<std::string> comment_;
  std::vector<std::string> users_{"Admin"};
  std::string namesRecords_;  // SN records of names.dat, from offset 0x58
  std::map<std::pair<bool, std::string>, std::uint32_t> nameOffsets_;
  std::map<std::string, std::vector<Entry>> archived_;  // by project: entries archived away
};

}  // namespace nativetest
