// The "patch" command: the patch that turns a project as it stood at "from"
// into the project as it stood at "to", worked out from the change log.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "history/generation_history.h"
#include "patch/patch_builder_base.h"
#include "patch/patch_file.h"

namespace patch {

// A change-log loader. The walk tells which items arrived or got new content
// in the window; the patch itself is the difference between the project as
// it stood at "from" and as it stood at "to", both read from SourceSafe as
// of those times, so that applying it in document order to the first gives
// the second however renames, moves, shares and pins mixed in the window:
// first the removals, then folders and files, each folder before what it
// holds. A file found at the same path at both times is written when it
// shows another version, or when the walk saw an item arrive there or get
// new content (a different file may show the same version number); a folder
// the walk saw arrive is written with everything in it.
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

  // The loader's run. A file whose download failed for good, or a folder
  // that could not be listed, makes the command fail once the document is
  // written: a CI server must not build from an incomplete patch that says
  // it succeeded.
  HRESULT run(Database* database, const std::wstring& path);

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

 private:
  // The live tree of the project at one time: paths inside the project as
  // spelled then, with the version each file showed.
  struct Node {
    std::wstring path;  // inside the project, "" for the project itself
    bool folder = false;
    LONG version = 0;
    Item item;
    std::vector<std::size_t> children;
  };
  struct Snapshot {
    std::vector<Node> nodes;  // nodes[0] is the project itself, when it existed
    std::unordered_map<std::wstring, std::size_t> byKey;  // by path in lower case
    const Node* find(const std::wstring& path) const;
  };

  // Marks where the item stood at "to": its content is written even when the
  // same path showed the same version number at "from".
  HRESULT markArrived(const Item& item);
  bool takeSnapshot(const Item& project, Snapshot* snapshot);
  void snapshotChildren(const Item& folder, std::size_t index, Snapshot* snapshot);
  void writeDifference();
  void writeRemovals(const Snapshot& before, const Snapshot& after, std::size_t index);
  void writeAdditions(const Snapshot& before, const Snapshot& after, std::size_t index, bool allNew,
                      bool writeAllFiles);
  std::wstring specOf(const std::wstring& path) const;

  PatchBuilderBase<A> patchBase_;
  PatchFile patchFile_;
  navigation::ItemLogger<A> log_;
  std::wstring prefix_;  // the project's spec the entries are written under
  std::set<std::wstring> arrivedFiles_;    // paths at "to", lower case
  std::set<std::wstring> arrivedFolders_;  // the same; everything in them is written
  bool failed_ = false;
};

extern template class SmartPatchBuilder2<ssapi::Automation60>;
extern template class SmartPatchBuilder2<ssapi::Automation2005>;

}  // namespace patch
