#include "patch/smart_patch_builder2.h"

#include "history/history_xml.h"
#include "navigation/item_helpers.h"
#include "navigation/item_iterator.h"
#include "navigation/name_case.h"
#include "navigation/versioned_item.h"

namespace patch {

template <class A>
SmartPatchBuilder2<A>::SmartPatchBuilder2(output::OutputChannels& channels, std::wstring outputFileMask,
                                          util::JavaTime from, util::JavaTime to)
    : Base(channels, from, to),
      patchBase_(std::move(outputFileMask)),
      patchFile_(channels),
      log_(L"SmartPatchBuilder2") {}

template <class A>
SmartPatchBuilder2<A>::~SmartPatchBuilder2() = default;

template <class A>
HRESULT SmartPatchBuilder2<A>::run(Database* database, const std::wstring& path) {
  HRESULT hr = Base::run(database, path);
  if (SUCCEEDED(hr) && failed_) {
    log_.error(L"Files that could not be downloaded are missing from the patch");
    return E_FAIL;
  }
  return hr;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::OnStart(const Item& item) {
  this->channels().writeXml(history::historyOpening(this->from(), this->to()));
  return Base::OnStart(item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::OnFinish(const Item& item) {
  writeDifference();
  Base::OnFinish(item);
  this->channels().writeXml(history::historyClosing());
  return S_OK;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::markArrived(const Item& item) {
  if (!this->rootAtTo()) return S_OK;
  std::wstring projectSpec;
  if (FAILED(navigation::getSpec<A>(this->rootAtTo(), &projectSpec))) return S_OK;
  Item then;
  // An item that is no longer there at "to" leaves nothing to write.
  if (FAILED(navigation::getVersionedItemToTime<A>(item, this->to(), &then))) return S_OK;
  if (navigation::isProject<A>(then)) {
    std::wstring spec;
    if (SUCCEEDED(navigation::getSpec<A>(then, &spec)) && navigation::isInsideProject(spec, projectSpec)) {
      arrivedFolders_.insert(navigation::lowerCaseName(navigation::pathInsideProject(spec, projectSpec)));
    }
    return S_OK;
  }
  navigation::VSSItemIterator<A> links;
  HRESULT hr = navigation::GetLinksIterator<A>(projectSpec, then, links);
  if (FAILED(hr)) {
    log_.error(then, L"Failed to get links", hr);
    return hr;
  }
  for (const Item& link : links.items()) {
    std::wstring spec;
    if (link && SUCCEEDED(navigation::getSpec<A>(link, &spec))) {
      arrivedFiles_.insert(navigation::lowerCaseName(navigation::pathInsideProject(spec, projectSpec)));
    }
  }
  return S_OK;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAdded(bool /*changed*/, const util::JavaTime& /*time*/,
                                                     const Item& item) {
  return markArrived(item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAddedTree(const util::JavaTime& /*time*/, const Item& item) {
  return markArrived(item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& /*time*/) {
  return markArrived(link);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRename(const util::JavaTime& /*time*/, const std::wstring& /*oldPath*/,
                                                      const Item& item, bool /*fromFuture*/) {
  return markArrived(item);
}

// What left the project shows in the difference itself.
template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRemove(const util::JavaTime&, const Item&, bool) {
  return S_OK;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRemoveEx(const util::JavaTime&, bool, const std::wstring&, bool) {
  return S_OK;
}

template <class A>
const typename SmartPatchBuilder2<A>::Node* SmartPatchBuilder2<A>::Snapshot::find(const std::wstring& path) const {
  auto found = byKey.find(navigation::lowerCaseName(path));
  return found == byKey.end() ? nullptr : &nodes[found->second];
}

// A project deleted at that time holds nothing live.
template <class A>
bool SmartPatchBuilder2<A>::takeSnapshot(const Item& project, Snapshot* snapshot) {
  bool deleted = false;
  navigation::getDeleted<A>(log_, project, &deleted);
  if (deleted) return true;
  Node root;
  root.folder = navigation::isProject<A>(project);
  root.item = project;
  project->get_VersionNumber(&root.version);
  snapshot->nodes.push_back(std::move(root));
  snapshot->byKey.emplace(L"", 0);
  if (snapshot->nodes[0].folder) snapshotChildren(project, 0, snapshot);
  return true;
}

template <class A>
void SmartPatchBuilder2<A>::snapshotChildren(const Item& folder, std::size_t index, Snapshot* snapshot) {
  navigation::VSSItemIterator<A> children;
  HRESULT hr = navigation::GetItemIterator<A>(folder, VARIANT_FALSE, children);
  if (FAILED(hr)) {
    log_.error(folder, L"Failed to getItemIterator", hr);
    failed_ = true;
    return;
  }
  for (const Item& child : children.items()) {
    std::wstring name;
    hr = child ? child->get_Name(&name) : E_POINTER;
    if (FAILED(hr)) {
      log_.error(folder, L"Failed to get name of item", hr);
      failed_ = true;
      continue;
    }
    Node node;
    const std::wstring& parentPath = snapshot->nodes[index].path;
    node.path = parentPath.empty() ? name : parentPath + L"/" + name;
    node.folder = navigation::isProject<A>(child);
    node.item = child;
    child->get_VersionNumber(&node.version);
    const std::size_t added = snapshot->nodes.size();
    snapshot->byKey.emplace(navigation::lowerCaseName(node.path), added);
    snapshot->nodes.push_back(std::move(node));
    snapshot->nodes[index].children.push_back(added);
    if (snapshot->nodes[added].folder) snapshotChildren(child, added, snapshot);
  }
}

template <class A>
std::wstring SmartPatchBuilder2<A>::specOf(const std::wstring& path) const {
  return path.empty() ? prefix_ : navigation::childSpec(prefix_, path);
}

// Removals come first, and only the topmost of what goes: a folder that is
// no longer there (or now spelled otherwise, or now a file) goes with all it
// held.
template <class A>
void SmartPatchBuilder2<A>::writeRemovals(const Snapshot& before, const Snapshot& after, std::size_t index) {
  for (std::size_t child : before.nodes[index].children) {
    const Node& old = before.nodes[child];
    const Node* now = after.find(old.path);
    if (!now || now->folder != old.folder || now->path != old.path) {
      if (old.folder) {
        patchFile_.deleteDir(specOf(old.path));
      } else {
        patchFile_.deleteFile(specOf(old.path));
      }
    } else if (old.folder) {
      writeRemovals(before, after, child);
    }
  }
}

template <class A>
void SmartPatchBuilder2<A>::writeAdditions(const Snapshot& before, const Snapshot& after, std::size_t index,
                                           bool allNew, bool writeAllFiles) {
  for (std::size_t child : after.nodes[index].children) {
    const Node& now = after.nodes[child];
    const Node* old = allNew ? nullptr : before.find(now.path);
    const bool same = old && old->folder == now.folder && old->path == now.path;
    const std::wstring key = navigation::lowerCaseName(now.path);
    if (now.folder) {
      const bool arrived = arrivedFolders_.count(key) > 0;
      if (!same || arrived) patchFile_.writeDir(specOf(now.path));
      writeAdditions(before, after, child, !same, writeAllFiles || arrived);
      continue;
    }
    if (same && !writeAllFiles && !arrivedFiles_.count(key) && old->version == now.version) continue;
    std::wstring file;
    HRESULT hr = patchBase_.getNextFile(now.item, &file);
    if (FAILED(hr)) {
      log_.error(now.item, L"Failed to getNextFile", hr);
      failed_ = true;
      continue;
    }
    patchFile_.writeFile(specOf(now.path), file);
  }
}

template <class A>
void SmartPatchBuilder2<A>::writeDifference() {
  Snapshot after;
  if (this->rootAtTo()) takeSnapshot(this->rootAtTo(), &after);
  // The project as it stood at "from", which the receiver holds already.
  // Changes made at "from" itself lie in the window too: what they brought
  // is written again (see markArrived), so a receiver that took "from" as
  // the moment before them gets it as well.
  Snapshot before;
  Item earlier;
  if (SUCCEEDED(navigation::getVersionedItemToTime<A>(this->root(), this->from(), &earlier))) {
    takeSnapshot(earlier, &before);
  }

  prefix_ = this->rootSpec();
  const Node* named = !after.nodes.empty() ? &after.nodes[0] : !before.nodes.empty() ? &before.nodes[0] : nullptr;
  if (named) navigation::getSpec<A>(named->item, &prefix_);

  const Node* oldRoot = before.nodes.empty() ? nullptr : &before.nodes[0];
  const Node* newRoot = after.nodes.empty() ? nullptr : &after.nodes[0];
  if (oldRoot && oldRoot->folder) {
    writeRemovals(before, after, 0);
  } else if (oldRoot && !(newRoot && !newRoot->folder)) {
    patchFile_.deleteFile(prefix_);
  }
  if (!newRoot) return;
  const bool writeAll = arrivedFolders_.count(L"") > 0;
  if (newRoot->folder) {
    const bool allNew = !oldRoot || !oldRoot->folder;
    if (allNew) patchFile_.writeDir(prefix_);
    writeAdditions(before, after, 0, allNew, writeAll);
    return;
  }
  if (oldRoot && !oldRoot->folder && !writeAll && !arrivedFiles_.count(L"") && oldRoot->version == newRoot->version) {
    return;
  }
  std::wstring file;
  HRESULT hr = patchBase_.getNextFile(newRoot->item, &file);
  if (FAILED(hr)) {
    log_.error(newRoot->item, L"Failed to getNextFile", hr);
    failed_ = true;
    return;
  }
  patchFile_.writeFile(prefix_, file);
}

template class SmartPatchBuilder2<ssapi::Automation60>;
template class SmartPatchBuilder2<ssapi::Automation2005>;

}  // namespace patch
