// The "patch3" command: the whole project as it stood at the time "to",
// reached by a walk over the item tree, one download per file.
#pragma once

#include <string>
#include <vector>

#include "navigation/item_logger.h"
#include "output/output_channels.h"
#include "patch/patch_builder_base.h"
#include "patch/patch_file.h"
#include "util/java_time.h"
#include "util/path_map.h"

namespace patch {

// Every folder becomes an add-dir entry as the walk meets it (pre-order);
// the files are collected on the way and downloaded afterwards, each into
// its own temp file. No delete entries are written.
template <class A>
class TreeBasedCleanPatchBuilder {
 public:
  using Database = typename A::Database;
  using ItemPtr = navigation::ItemPtr<A>;
  using FileList = std::vector<ItemPtr>;

  // from is accepted for the command's sake and ignored.
  TreeBasedCleanPatchBuilder(output::OutputChannels& channels, std::wstring outputFileMask, util::JavaTime from,
                             util::JavaTime to);
  virtual ~TreeBasedCleanPatchBuilder() = default;
  TreeBasedCleanPatchBuilder(const TreeBasedCleanPatchBuilder&) = delete;
  TreeBasedCleanPatchBuilder& operator=(const TreeBasedCleanPatchBuilder&) = delete;

  HRESULT run(Database& database, const std::wstring& path);

  // An item whose type cannot be read is taken for a folder.
  bool isFolder(const ItemPtr& item);
  // A folder whose children cannot be listed keeps its add-dir entry; only
  // the listing of the item passed in here decides the result.
  HRESULT collectFiles(const ItemPtr& item, FileList& list);
  // E_FAIL when any file is left out, after all others were written.
  HRESULT downloadFiles(const FileList& list);

 private:
  PatchBuilderBase<A> patchBase_;
  PatchFile patchFile_;
  navigation::ItemLogger<A> log_;
  util::JavaTime to_;
  [[maybe_unused]] output::OutputChannels& channels_;
  util::PathMap pathMap_;
};

extern template class TreeBasedCleanPatchBuilder<ssapi::Automation60>;
extern template class TreeBasedCleanPatchBuilder<ssapi::Automation2005>;

}  // namespace patch
