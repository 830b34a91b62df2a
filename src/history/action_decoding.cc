// How the change-log loader reads one entry: the action text's keyword picks
// the operation; rename and move texts feed the rename map.
#include <fmt/xchar.h>

#include "history/action_text.h"
#include "history/history2.h"
#include "platform/error_info.h"

namespace history {

template <class A>
HRESULT History2<A>::getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                                       const util::JavaTime& time, bool fromFuture) {
  const std::wstring original = action;
  // Entries after the window add and delete nothing; only their renames and
  // moves matter, for the names of older entries.
  if (!fromFuture) {
    if (stripKeyword(action, L"Added") || stripKeyword(action, L"Recovered"))
      return onHistoryAdded(item, version, time, action);
    if (stripKeyword(action, L"Labeled") || stripKeyword(action, L"Purged")) return S_OK;
    if (stripKeyword(action, L"Checked")) return onHistoryCheckedIn(item, version, time);
    if (stripKeyword(action, L"Created") || stripKeyword(action, L"Branched"))
      return visitHistoryNodeAdded(false, time, item);
    if (stripKeyword(action, L"Shared")) return onHistoryShared(item, version, time, action);
    if (stripKeyword(action, L"Restored")) return visitHistoryNodeAddedTree(time, item);
    if (stripKeyword(action, L"Destroyed")) return onHistoryDestroyed(item, version, time, action, fromFuture);
    if (stripKeyword(action, L"Deleted")) return onHistoryDeleted(item, version, time, action, fromFuture);
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
  spec = dropTrailing(spec, L'/');

  for (const NameSplit& split : splitsAtTo(rest)) {
    if (logging::isDebugEnabled()) log().debug(L"Parsed: " + split.fromName + L" <to> " + split.toName);
    // A project renamed keeps its "$" on both sides; one "$" alone means the
    // split cut through a name.
    if (!split.fromName.empty() && split.fromName[0] == L'$' && (split.toName.empty() || split.toName[0] != L'$'))
      continue;
    const std::wstring fromName = dropLeading(split.fromName, L'$');
    const std::wstring toName = dropLeading(split.toName, L'$');

    bool searchIncomplete = true;
    Item newItem;
    hr = this->getChild(item, toName, VARIANT_FALSE, &searchIncomplete, &newItem);
    if (FAILED(hr) || !newItem) {
      if (logging::isDebugEnabled()) log().error(L"Failed to get toItem for path " + toName, hr);
      continue;
    }
    const std::wstring oldPath = spec + L"/" + fromName;
    if (!fromFuture) visitHistoryNodeRename(time, renames_.mapPath(oldPath), newItem, fromFuture);
    std::wstring newPath;
    hr = navigation::getSpec<A>(newItem, &newPath);
    if (FAILED(hr)) return hr;
    if (logging::isDebugEnabled()) log().debug(L"Renamed from " + newPath + L"[=item] to " + oldPath);
    if (isInFuture(time)) {
      renames_.addRename(newPath, oldPath);
    } else {
      renames_.addRename(oldPath, newPath);
    }
    return S_OK;
  }
  return E_FAIL;
}

// "Moved <name> to <new spec>" in the history of the project the moved
// project left.
template <class A>
HRESULT History2<A>::parseMove(const Item& item, const std::wstring& action, const util::JavaTime& time,
                               bool fromFuture) {
  const std::wstring rest = dropFront(action, 6);  // "Moved "
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  spec = dropTrailing(spec, L'/');

  for (const NameSplit& split : splitsAtTo(rest)) {
    const std::wstring fromName = dropLeading(split.fromName, L'$');
    const std::wstring& toName = split.toName;

    Item newItem;
    hr = database_ ? database_->get_VSSItem(toName, VARIANT_FALSE, newItem.put()) : E_POINTER;
    // A lookup that answers with nothing proves as little as one that fails.
    if (FAILED(hr) || !newItem) {
      if (logging::isDebugEnabled()) log().error(L"Failed to get_VSSItem from " + toName, hr);
      continue;
    }
    const std::wstring oldPath = spec + L"/" + fromName;
    if (!fromFuture) visitHistoryNodeRename(time, renames_.mapPath(oldPath), newItem, fromFuture);
    std::wstring newPath;
    hr = navigation::getSpec<A>(newItem, &newPath);
    if (FAILED(hr)) return hr;
    if (logging::isDebugEnabled()) log().debug(L"Moved from " + newPath + L"[=item] to " + oldPath);
    if (isInFuture(time)) renames_.addRename(newPath, oldPath);
    return S_OK;
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
