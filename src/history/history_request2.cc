#include "history/history_request2.h"

#include "history/history_xml.h"
#include "navigation/name_case.h"
#include "navigation/version_iterator.h"

namespace history {

template <class A>
HistoryRequest2<A>::HistoryRequest2(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to)
    : Base(channels, from, to), log_(L"HistoryRequest2") {}

template <class A>
HistoryRequest2<A>::~HistoryRequest2() = default;

template <class A>
HRESULT HistoryRequest2<A>::writeItem(const std::wstring& action, bool isFolder, const util::JavaTime& time,
                                      const std::wstring& path, LONG number) {
  if (!written_.emplace(navigation::lowerCaseName(path), action, number).second) return S_OK;
  HistoryItemText item;
  item.isFolder = isFolder;
  item.time = time;
  item.version = number;
  item.file = path;
  item.user = user_;
  item.action = action;
  item.comment = comment_;
  this->channels().writeXml(historyItem(item));
  return S_OK;
}

template <class A>
HRESULT HistoryRequest2<A>::OnStart(const Item& item) {
  this->channels().writeXml(historyOpening(this->from(), this->to()));
  return Base::OnStart(item);
}

template <class A>
HRESULT HistoryRequest2<A>::OnFinish(const Item& item) {
  Base::OnFinish(item);
  this->channels().writeXml(historyClosing());
  return S_OK;
}

template <class A>
HRESULT HistoryRequest2<A>::getItemFromParentAndActionAndCall(const Version& version, const Item& item,
                                                              std::wstring action, const util::JavaTime& time,
                                                              bool fromFuture) {
  written_.clear();
  comment_ = entryComment(version, item);
  HRESULT hr = version->get_Username(&user_);
  if (FAILED(hr)) {
    log_.error(L"Failed to get username from IVSSVersion", hr);
    user_.clear();
  }
  if (FAILED(version->get_VersionNumber(&versionNumber_))) versionNumber_ = -1;
  return Base::getItemFromParentAndActionAndCall(version, item, std::move(action), time, fromFuture);
}

template <class A>
bool HistoryRequest2<A>::ownVersionComment(const Item& item, std::wstring* comment)
  requires(A::kIs2005)
{
  Version own;
  if (!item || FAILED(item->get_VSSVersion(own.put())) || !own) return false;
  return SUCCEEDED(own->get_Comment(comment));
}

// The 2005 library keeps the comment with the item's own version; the entry of
// a project's change log may carry none.
template <class A>
std::wstring HistoryRequest2<A>::entryComment(const Version& version, const Item& item) {
  std::wstring comment;
  if constexpr (A::kIs2005) {
    if (ownVersionComment(item, &comment) && !comment.empty()) return comment;
  }
  comment.clear();
  if (FAILED(version->get_Comment(&comment))) comment.clear();
  return comment;
}

template <class A>
void HistoryRequest2<A>::loadCommentIfEmpty(const Item& item, const util::JavaTime& time) {
  if (!comment_.empty()) return;
  std::wstring comment;
  if constexpr (A::kIs2005) {
    (void)time;
    if (!ownVersionComment(item, &comment)) comment.clear();
  } else {
    navigation::VSSVersionIterator<A> versions;
    LONG number = 0;
    if (SUCCEEDED(navigation::GetVersionIterator<A>(item, time, versions, 1)) &&
        SUCCEEDED(item->get_VersionNumber(&number))) {
      for (const navigation::LightVSSVersion<A>& record : versions.records()) {
        if (record.versionNumber == number) {
          comment = record.comment;
          break;
        }
      }
    }
  }
  comment_ = std::move(comment);
}

// The item stands at the moment of its entry: its own deleted flag says
// whether its path was live then. The walk visits only what lay inside the
// project then.
template <class A>
HRESULT HistoryRequest2<A>::visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) {
  bool deleted = false;
  HRESULT hr = this->getIsDeleted(item, &deleted);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to getIsDeleted()", hr);
  } else if (deleted) {
    log_.debug(item, L"Item is deleted -> skip it");
    return S_OK;
  }
  std::wstring spec;
  hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  LONG number = 0;
  hr = item->get_VersionNumber(&number);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to get_VersionNumber", hr);
    return hr;
  }
  loadCommentIfEmpty(item, time);
  return writeItem(changed ? actionChanged_ : actionAdded_, navigation::isProject<A>(item), time, spec, number);
}

template <class A>
HRESULT HistoryRequest2<A>::visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) {
  return visitHistoryNodeAdded(false, time, item);
}

template <class A>
HRESULT HistoryRequest2<A>::visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) {
  if (fromFuture) return S_OK;
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  LONG number = 0;
  hr = item->get_VersionNumber(&number);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to get version number of item", hr);
    number = versionNumber_;
  }
  loadCommentIfEmpty(item, time);
  // The deletion is the version after the last one the item had.
  return writeItem(actionDeleted_, navigation::isProject<A>(item), time, spec, number + 1);
}

template <class A>
HRESULT HistoryRequest2<A>::visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder,
                                                     const std::wstring& path, bool fromFuture) {
  if (fromFuture) return S_OK;
  return writeItem(actionDeleted_, isFolder, time, path, versionNumber_);
}

template <class A>
HRESULT HistoryRequest2<A>::visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath,
                                                   const Item& item, bool fromFuture) {
  const bool isFolder = navigation::isProject<A>(item);
  LONG number = 0;
  HRESULT hr = item->get_VersionNumber(&number);
  if (SUCCEEDED(hr)) hr = writeItem(actionDeleted_, isFolder, time, oldPath, number + 1);
  if (!fromFuture) hr = visitHistoryNodeAdded(false, time, item);
  loadCommentIfEmpty(item, time);
  return hr;
}

template class HistoryRequest2<ssapi::Automation60>;
template class HistoryRequest2<ssapi::Automation2005>;

}  // namespace history
