// Following a SourceSafe path as it stood at a time.
#pragma once

#include <string>

#include <fmt/xchar.h>

#include "navigation/child_lookup.h"
#include "navigation/item_helpers.h"
#include "navigation/versioned_item.h"
#include "output/output_channels.h"
#include "util/path_tokenizer.h"

namespace navigation {

// SourceSafe answers for items as they are now. To find a path as it stood
// at a time, every project on the way is first taken as it stood then, and
// the next name is looked up among that old project's children, so renamed,
// moved and deleted items are found where they were.
template <class A>
class VersionCast {
 public:
  VersionCast() : log_(L"VersionCast") {}
  virtual ~VersionCast() = default;
  VersionCast(const VersionCast&) = delete;
  VersionCast& operator=(const VersionCast&) = delete;

  // path is a full spec ("$/a/b").
  HRESULT CastPathToVersion(typename A::Database& database, const std::wstring& path, const util::JavaTime& time,
                            ItemPtr<A>* out) {
    util::PathTokenizer tokens(path);
    const std::wstring rootName = tokens.next();
    ItemPtr<A> root;
    HRESULT hr = database.get_VSSItem(rootName, VARIANT_FALSE, root.put());
    if (FAILED(hr) || !root) {
      output::channels().writeErrorMessage(output::kUnableToFindRootItem);
      log_.error(fmt::format(L"Error 0x{:x} ({})", static_cast<std::uint32_t>(hr), hr));
      return hr | E_FAIL;
    }
    return WalkToTimedItem(root, tokens, time, out);
  }

  // Climbs from the start item to the deepest project it shares with the
  // path (components compared exactly), then walks down the rest of the path.
  HRESULT CastToVersion(ItemPtr<A> item, const std::wstring& path, const util::JavaTime& time, ItemPtr<A>* out) {
    std::wstring spec;
    HRESULT hr = getSpec<A>(item, &spec);
    if (FAILED(hr)) return hr;

    util::PathTokenizer specTokens(spec);
    util::PathTokenizer pathTokens(path);
    for (;;) {
      const std::wstring specPart = specTokens.peek();
      if (specPart.empty() || specPart != pathTokens.peek()) break;
      specTokens.next();
      pathTokens.next();
    }
    while (!specTokens.next().empty()) {
      hr = moveToParent(item);
      if (FAILED(hr)) {
        log_.error(L"Failed to get_Parent", hr);
        return hr;
      }
    }
    if (logging::isDebugEnabled()) log_.debug(item, L"Loop for path: " + pathTokens.rest());
    return WalkToTimedItem(item, pathTokens, time, out);
  }

  HRESULT WalkToTimedItem(ItemPtr<A> item, util::PathTokenizer& tokens, const util::JavaTime& time,
                          ItemPtr<A>* out) {
    bool lookupFailed = false;
    for (std::wstring name = tokens.next(); !name.empty(); name = tokens.next()) {
      if (logging::isDebugEnabled()) log_.debug(item, L" -> " + name);
      ItemPtr<A> child;
      if (FAILED(FindTimedChild(item, time, name, &child))) {
        log_.error(item, L"Failed to find " + name + L" in children");
        lookupFailed = true;
        item = nullptr;
        break;
      }
      if (!child) {
        log_.error(item, L"Child was not found.");
        item = nullptr;
        break;
      }
      item = std::move(child);
    }
    if (lookupFailed || !item) {
      output::channels().writeErrorMessage(output::kPathNotFound);
      return E_FAIL;
    }
    ItemPtr<A> versioned;
    HRESULT hr = getVersionedItemToTime<A>(item, time, &versioned);
    if (FAILED(hr)) {
      log_.error(item, L"Failed to get change version");
      return hr;
    }
    *out = std::move(versioned);
    return S_OK;
  }

  // A live child wins over a deleted one of the same name; among deleted
  // children the first one listed wins. The child itself is not cast.
  HRESULT FindTimedChild(const ItemPtr<A>& parent, const util::JavaTime& time, const std::wstring& name,
                         ItemPtr<A>* child) {
    ItemPtr<A> timedParent;
    HRESULT hr = getVersionedItemToTime<A>(parent, time, &timedParent);
    if (FAILED(hr)) {
      log_.error(parent, L"Failed to get version");
      return hr;
    }
    hr = OnTimedChildFound(timedParent);
    if (FAILED(hr)) {
      log_.warn(timedParent, L"OnTimedChildFound failed", hr);
      return hr;
    }
    if constexpr (A::kIs2005) {
      if (SUCCEEDED(FindChild2005(timedParent, name, child))) return S_OK;
      log_.debug(timedParent, L"Failed to FindChild2005");
    }
    if (SUCCEEDED(FindChildFromList(timedParent, name, VARIANT_FALSE, child))) return S_OK;
    log_.debug(timedParent, L"Failed to FindChildFromList VARIANT_FALSE");
    hr = FindChildFromList(timedParent, name, VARIANT_TRUE, child);
    if (FAILED(hr)) {
      log_.debug(timedParent, L"Failed to FindChildFromList VARIANT_TRUE");
      return hr;
    }
    return S_OK;
  }

  // The item becomes its parent (null above the root).
  HRESULT moveToParent(ItemPtr<A>& item) {
    ItemPtr<A> parent;
    HRESULT hr = item ? item->get_Parent(parent.put()) : E_POINTER;
    if (FAILED(hr)) {
      log_.error(item, L"Failed to get_Parent", hr);
      item = nullptr;
      return hr;
    }
    item = std::move(parent);
    return hr;
  }

  // Called with every project on the way down, as it stood at the time,
  // before its child is looked up; a failure stops the walk.
  virtual HRESULT OnTimedChildFound(const ItemPtr<A>& /*timedParent*/) { return S_OK; }

  // The child lookups, logging under this object's category.
  HRESULT FindChildFromList(const ItemPtr<A>& parent, const std::wstring& name, VARIANT_BOOL includeDeleted,
                            ItemPtr<A>* child) const {
    return navigation::FindChildFromList<A>(log_, parent, name, includeDeleted, child);
  }
  HRESULT FindNamedChild(const std::wstring& name, VSSItemIterator<A>& children, ItemPtr<A>* child) const {
    return navigation::FindNamedChild<A>(name, children, child);
  }
  HRESULT FindChild2005(const ItemPtr<A>& parent, const std::wstring& name, ItemPtr<A>* child) const
    requires(A::kIs2005)
  {
    return navigation::FindChild2005<A>(log_, parent, name, child);
  }

 protected:
  const ItemLogger<A>& versionCastLog() const { return log_; }

 private:
  ItemLogger<A> log_;
};

extern template class VersionCast<ssapi::Automation60>;
extern template class VersionCast<ssapi::Automation2005>;

}  // namespace navigation
