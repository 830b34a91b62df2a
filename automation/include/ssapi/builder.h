// Test tooling: makes a SourceSafe database in a few lines, opens it in
// process through either generation's interfaces, or writes it to disk in the
// text form that the library's Open reads.
//
//   DatabaseBuilder db;
//   db.createProject(L"$/proj").addFile(L"$/proj/a.txt", "one").checkIn(L"$/proj/a.txt", "two");
//   ComPtr<IVSSDatabaseT<Vss2005>> database = db.open<Vss2005>();
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "ssapi/fault_injector.h"
#include "ssapi/ssapi.h"

namespace ssapi {

namespace model {
class Database;
}

class DatabaseBuilder {
 public:
  // Time of the root's creation when at() is never called: 2000-01-01 00:00:00 UTC.
  static constexpr std::int64_t kDefaultStart = 946684800;

  DatabaseBuilder();  // database with the root "$/" created by "Admin" (password "")
  ~DatabaseBuilder();
  DatabaseBuilder(const DatabaseBuilder&) = delete;
  DatabaseBuilder& operator=(const DatabaseBuilder&) = delete;

  DatabaseBuilder& at(std::int64_t utcSeconds);        // time of the next change; without it each change is 1 s after the previous
  DatabaseBuilder& by(const std::wstring& user);       // user of the following changes (default "Admin"); an unknown user is added with password ""
  DatabaseBuilder& withComment(const std::wstring& c); // comment of the next change only
  DatabaseBuilder& addUser(const std::wstring& name, const std::wstring& password);  // or sets the password of a known one
  DatabaseBuilder& createProject(const std::wstring& spec);               // "$/a/b": parent must exist
  DatabaseBuilder& addFile(const std::wstring& spec, const std::string& content);
  DatabaseBuilder& checkIn(const std::wstring& spec, const std::string& content);
  DatabaseBuilder& rename(const std::wstring& spec, const std::wstring& newName);
  DatabaseBuilder& move(const std::wstring& projectSpec, const std::wstring& newParentSpec);
  DatabaseBuilder& share(const std::wstring& fileSpec, const std::wstring& intoProjectSpec);
  DatabaseBuilder& branch(const std::wstring& spec);   // a shared copy becomes its own file
  DatabaseBuilder& pin(const std::wstring& spec, int version);
  DatabaseBuilder& unpin(const std::wstring& spec);
  DatabaseBuilder& remove(const std::wstring& spec);   // delete
  DatabaseBuilder& recover(const std::wstring& spec);  // spec of a deleted item
  DatabaseBuilder& destroy(const std::wstring& spec);  // a live item
  DatabaseBuilder& purge(const std::wstring& spec);    // destroy of a deleted item
  DatabaseBuilder& label(const std::wstring& spec, const std::wstring& label, const std::wstring& labelComment = L"");
  DatabaseBuilder& archive(const std::wstring& spec);  // the item leaves the database, kept aside for restore
  DatabaseBuilder& restore(const std::wstring& spec);  // brings an archived item back where it was
  DatabaseBuilder& rollback(const std::wstring& spec, int version);
  // An impossible change throws std::logic_error naming the change and the reason (the builder is test tooling;
  // the model operations underneath return a status and a description instead).

  // In-process database, already opened as "Admin", for either generation (Vss60, Vss2005). It shares the
  // builder's fault injector; later changes to the builder do not reach databases opened before them.
  template <class G> ComPtr<IVSSDatabaseT<G>> open() const;
  // srcsafe.ini + data folder in the text form; creates the folder when missing.
  void writeTo(const std::filesystem::path& folder) const;
  FaultInjector& faults();

  // The model itself, for the generator and the loader tests.
  const model::Database& database() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

extern template ComPtr<IVSSDatabaseT<Vss60>> DatabaseBuilder::open<Vss60>() const;
extern template ComPtr<IVSSDatabaseT<Vss2005>> DatabaseBuilder::open<Vss2005>() const;

}  // namespace ssapi
