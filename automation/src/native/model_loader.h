// Loads a SourceSafe database's own files into the model, one item at a time
// and only when the item is first looked at: opening a database costs its
// root project, a path costs the projects along it, and a file's content is
// rebuilt from its deltas only when something extracts it.
//
// A project's revisions replay the records of its own item file forwards;
// the entries they leave are then checked against the project's data file,
// which SourceSafe keeps as the truth about the current children, and put
// right where the records fall short (records lost to archiving, repairs).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/database.h"
#include "native/database_files.h"
#include "native/entry_identity.h"

namespace ssapi::native {

class ModelLoader final : public model::ItemLoader {
 public:
  explicit ModelLoader(std::unique_ptr<DatabaseFiles> files) : files_(std::move(files)) {}

  // Makes the root project known to the model (not read yet).
  model::ItemId attachRoot(model::Database& db);

  void load(model::Database& db, model::ItemId id) override;
  void loadContent(const model::Database& db, model::ItemId file, std::int32_t version, std::string* bytes,
                   model::LoadFailure* failure) override;

  const DatabaseFiles& files() const { return *files_; }

 private:
  void loadItem(model::Database& db, model::ItemId id);
  void loadVersionContent(const model::Database& db, model::ItemId file, std::int32_t version, std::string* bytes,
                          model::LoadFailure* failure);
  model::ItemId stubFor(model::Database& db, const std::string& physical, model::ItemType type);
  void loadProject(model::Database& db, model::ItemId id, const ItemFile& item, const std::vector<ProjectEntry>& entries,
                   const std::wstring& dataFile);
  void loadFile(model::Database& db, model::ItemId id, const ItemFile& item);
  std::wstring nameOf(const VssName& name) const;
  // Checks a child against what its project's entry says, now when the
  // child was read already, else when it is. A child read already agreed
  // with the project that held it first (or is the root): the project whose
  // entry disagrees is the damaged one, as when it lists a project above it.
  void claim(model::Database& db, model::ItemId project, const std::string& physical,
             EntryClaim claim);
  model::Revision common(model::Database& db, const HistoryRecord& record, std::uint64_t* seq) const;

  std::unique_ptr<DatabaseFiles> files_;
  int depth_ = 0;  // loads in progress: one item's load can start its parents'
  std::unordered_map<std::string, model::ItemId> byPhysical_;
  // The item files of files read so far: older contents are rebuilt from them.
  std::unordered_map<model::ItemId, std::shared_ptr<const ItemFile>> fileItems_;
  // What the items read so far say about themselves, and the entries that
  // point at items not read yet.
  std::unordered_map<std::string, ItemIdentity> identities_;
  std::unordered_map<std::string, std::vector<EntryClaim>> claims_;
};

}  // namespace ssapi::native
