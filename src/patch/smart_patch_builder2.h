// The "patch" command: the patch that turns a project as it stood at "from"
// into the project as it stood at "to", worked out from the change log.
#pragma once

#include <string>

#include "history/generation_history.h"
#include "patch/patch_builder_base.h"
#include "patch/patch_file.h"
#include "util/path_map.h"

namespace patch {

// A change-log loader: the walk runs from the newest change to the oldest,
// and every visit is written at once. So the first visit that concerns a
// path decides what the patch says about it; the PathMap records what was
// written, and older visits that meet a recorded path (or a path inside a
// deleted folder, or inside a folder whose whole content was written) are
// skipped. Content comes from the item version the loader hands over, which
// for the first visit of a path is its newest version in the window.
template <class A>
class SmartPatchBuilder2 : public history::GenerationHistory<A> {
 public:
  using Base = history::GenerationHistory<A>;
  using Item = typename Base::Item;
  using Version = typename Base::Version;
  using Database = typename A::Database;

  SmartPatchBuilder2(output::OutputChannels& channels, std::wstring outputFileMask, util::JavaTime from,
                     util::JavaTime to);
  ~SmartPatchBuilder2() override;

  // The loader's run. A file whose download failed for good makes the
  // command fail once the walk is done, even when an older entry added the
  // same file (with older content): a CI server must not build from an
  // incomplete patch that says it succeeded.
  HRESULT run(Database* database, const std::wstring& path);

  using Base::getIsDeleted;
  // The own deleted flag, as this builder understands it: deleted as of the
  // time of the entry being decoded (see isDeletedAtEntryTime).
  HRESULT getIsDeleted(const Item& item, bool* deleted) override;

 protected:
  HRESULT OnStart(const Item& item) override;
  HRESULT OnFinish(const Item& item) override;

  HRESULT visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder, const std::wstring& spec,
                                   bool fromFuture) override;
  HRESULT visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) override;
  HRESULT visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) override;
  HRESULT visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) override;
  HRESULT visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath, const Item& item,
                                 bool fromFuture) override;
  HRESULT visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time) override;

  // Entries about an item that, with every link of it inside the project,
  // is already gone are not decoded at all.
  HRESULT getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                            const util::JavaTime& time, bool fromFuture) override;

  // The time-aware deleted test at the entry's time. That test asks the own
  // flag of the item through getIsDeleted again; the guard sends that inner
  // question to the plain flag.
  HRESULT isDeletedAtEntryTime(const Item& item, bool* deleted);

 private:
  // Writes the folder and its whole current content, depth-first, and marks
  // the folder covered.
  HRESULT addFolderContents(const Item& item);
  bool alreadyDeleted(const Item& item);
  std::wstring mappedSpec(const std::wstring& spec) const { return this->renames().mapPath(spec); }

  PatchBuilderBase<A> patchBase_;
  PatchFile patchFile_;
  util::PathMap pathMap_;
  navigation::ItemLogger<A> log_;
  util::JavaTime entryTime_ = util::EPOCH;
  bool inDeletedTest_ = false;
  bool downloadFailed_ = false;
};

extern template class SmartPatchBuilder2<ssapi::Automation60>;
extern template class SmartPatchBuilder2<ssapi::Automation2005>;

}  // namespace patch
