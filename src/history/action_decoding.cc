// How the change-log loader reads one entry: the action text's keyword picks
// the operation; rename and move texts feed the rename map.
#include <fmt/xchar.h>

#include "history/action_text.h"
#include "history/history2.h"
#include "navigation/name_case.h"
#include "platform/error_info.h"

namespace history {

template <class A>
HRESULT History2<A>::getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                                       const util::JavaTime& time, bool fromFuture) {
  const std::wstring original = action;
  // A project's record is about its entries (and a new project's first
  // version about itself): none of it concerns the request unless the
  // project lay inside the requested one, live, at that moment.
  const bool project = navigation::isProject<A>(item);
  if (project) {
    if (!wasLive(item, time) || !isInsideRoot(item, time)) {
      log().debug(item, L"Not inside the project at that time: " + original);
      return S_OK;
    }
  }

  // Entries after the window add and delete nothing.
  if (!fromFuture) {
    if (stripKeyword(action, L"Added")) return onChildAdded(item, time, action);
    if (stripKeyword(action, L"Recovered")) return onHistoryAdded(item, version, time, action);
    if (stripKeyword(action, L"Labeled") || stripKeyword(action, L"Purged")) return S_OK;
    if (stripKeyword(action, L"Checked") || stripKeyword(action, L"Rollback"))
      return onHistoryCheckedIn(item, version, time);
    if (stripKeyword(action, L"Created")) return visitArrival(item, time);
    // A project's "Branched a.txt" and the new file's own first version are
    // one change; the file's reports it.
    if (stripKeyword(action, L"Branched")) return project ? S_OK : visitArrival(item, time);
    if (stripKeyword(action, L"Shared")) return onHistoryShared(item, version, time, action);
    if (stripKeyword(action, L"Restored")) return onHistoryRestored(item, time, action);
    if (stripKeyword(action, L"Destroyed")) return onHistoryDestroyed(item, version, time, action, fromFuture);
    if (stripKeyword(action, L"Deleted")) return onHistoryDeleted(item, version, time, action, fromFuture);
    if (stripKeyword(action, L"Pinned") || stripKeyword(action, L"Unpinned")) return onHistoryPinned(item, time, action);
    if (beginsWithKeyword(action, L"Archived versions of")) return S_OK;
    if (stripKeyword(action, L"Archived")) return onHistoryArchived(time, item, action, fromFuture);
  }

  if (stripKeyword(action, L"Destroyed") || stripKeyword(action, L"Deleted")) return S_OK;
  if (beginsWithKeyword(action, L"Renamed")) return parseRename(item, action, time, fromFuture);
  if (beginsWithKeyword(action, L"Moved")) return parseMove(item, action, time, fromFuture);
  for (const wchar_t* ignored : {L"Checked", L"Shared", L"Added", L"Purged", L"Labeled", L"Recovered"})
    if (beginsWithKeyword(action, ignored)) return S_OK;

  log().error(L"Unexpected action " + original + L" fromFuture = " + (fromFuture ? L"TRUE" : L"FALSE"));
  return E_FAIL;
}

// "Renamed <old> to <new>" in the history of the project that holds both
// names. Project names carry a leading "$".
template <class A>
HRESULT History2<A>::parseRename(const Item& item, const std::wstring& action, const util::JavaTime& time,
                                 bool fromFuture) {
  const std::wstring rest = dropFront(action, 8);  // "Renamed "
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;

  for (const NameSplit& split : splitsAtTo(rest)) {
    if (logging::isDebugEnabled()) log().debug(L"Parsed: " + split.fromName + L" <to> " + split.toName);
    // A project renamed keeps its "$" on both sides; one "$" alone means the
    // split cut through a name.
    if (!split.fromName.empty() && split.fromName[0] == L'$' && (split.toName.empty() || split.toName[0] != L'$'))
      continue;
    const std::wstring fromName = dropLeading(split.fromName, L'$');
    const std::wstring toName = dropLeading(split.toName, L'$');

    Item newItem = namedChild(item, toName, true);
    if (!newItem) {
      if (logging::isDebugEnabled()) log().error(L"Failed to get toItem for path " + toName);
      continue;
    }
    // A deleted entry renamed along with the file's other places changes no
    // live path.
    bool deleted = false;
    this->getIsDeleted(newItem, &deleted);
    if (deleted) return S_OK;
    const std::wstring oldPath = navigation::childSpec(spec, fromName);
    if (!fromFuture) visitHistoryNodeRename(time, oldPath, newItem, fromFuture);
    if (logging::isDebugEnabled()) {
      std::wstring newPath;
      navigation::getSpec<A>(newItem, &newPath);
      log().debug(L"Renamed from " + newPath + L"[=item] to " + oldPath);
    }
    return S_OK;
  }
  return E_FAIL;
}

// A project moved: "Moved $sub to $/new/sub" in the project it left, which
// lost it, and "Moved $sub from $/old/sub" in the project it entered, which
// received it with everything in it. Each side reports its own path, so a
// project moved out of the requested one is only a removal there.
template <class A>
HRESULT History2<A>::parseMove(const Item& item, const std::wstring& action, const util::JavaTime& time,
                               bool fromFuture) {
  const std::wstring rest = dropFront(action, 6);  // "Moved "
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;

  // The other side's spec ends with the moved project's name.
  auto namesMatch = [](const NameSplit& split) {
    const std::wstring name = dropLeading(split.fromName, L'$');
    const std::size_t slash = split.toName.find_last_of(L'/');
    return !name.empty() && slash != std::wstring::npos &&
           navigation::sameNameIgnoringCase(split.toName.substr(slash + 1), name);
  };
  for (const NameSplit& split : splitsAt(rest, L" from ")) {
    if (!namesMatch(split)) continue;
    Item arrived = namedChild(item, dropLeading(split.fromName, L'$'), false);
    if (!arrived) {
      if (logging::isDebugEnabled()) log().error(L"Failed to find moved project " + split.fromName);
      continue;
    }
    if (logging::isDebugEnabled()) log().debug(L"Moved in from " + split.toName);
    return fromFuture ? S_OK : visitHistoryNodeAddedTree(time, arrived);
  }
  for (const NameSplit& split : splitsAtTo(rest)) {
    if (!namesMatch(split)) continue;
    const std::wstring oldPath = navigation::childSpec(spec, dropLeading(split.fromName, L'$'));
    if (logging::isDebugEnabled()) log().debug(L"Moved from " + split.toName + L"[=item] to " + oldPath);
    return visitHistoryNodeRemoveEx(time, true, oldPath, fromFuture);
  }
  return E_FAIL;
}

template <class A>
void History2<A>::traceEntry(const Version& version, bool fromFuture) {
  if (!logging::isDebugEnabled() || !version) return;
  // The reads below are for the trace only; what they fail with must not
  // stand in for the error of the entry's own reads.
  platform::ErrorInfoKeeper keep;
  Item item;
  if (FAILED(version->get_VSSItem(item.put())) || !item) {
    platform::clearErrorInfo();
    return;
  }
  std::wstring spec;
  if (FAILED(item->get_Spec(&spec))) spec = L"ERROR";
  std::wstring action;
  if (FAILED(version->get_Action(&action))) action = L"ERROR";
  DATE date = 0;
  version->get_Date(&date);
  LONG number = 0;
  item->get_VersionNumber(&number);
  const util::JavaTime time = util::JavaTime::fromLocalDate(date);
  platform::clearErrorInfo();
  log().debug(fmt::format(L"<==== [D] {}[{}] : {} : {} :{}: {}", spec, number, action, time.toText(),
                          fromFuture ? L"FUTURE" : L"", time.toMillisText()));
}

#define HISTORY_DECODING_INSTANTIATE(A)                                                                         \
  template HRESULT History2<A>::getItemFromParentAndActionAndCall(const Version&, const Item&, std::wstring,     \
                                                                  const util::JavaTime&, bool);                \
  template HRESULT History2<A>::parseRename(const Item&, const std::wstring&, const util::JavaTime&, bool);       \
  template HRESULT History2<A>::parseMove(const Item&, const std::wstring&, const util::JavaTime&, bool);         \
  template void History2<A>::traceEntry(const Version&, bool);

HISTORY_DECODING_INSTANTIATE(ssapi::Automation60)
HISTORY_DECODING_INSTANTIATE(ssapi::Automation2005)

#undef HISTORY_DECODING_INSTANTIATE

}  // namespace history
