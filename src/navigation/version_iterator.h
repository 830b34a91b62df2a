// The versions of an item, read completely into a list the program owns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <fmt/xchar.h>

#include "navigation/item_helpers.h"
#include "navigation/light_vss_version.h"
#include "navigation/loggers.h"
#include "navigation/name_case.h"
#include "util/java_time.h"

namespace navigation {

template <class A>
class VSSVersionIterator {
 public:
  // False until a fill succeeded, so a failed fill reads as empty.
  bool hasNext() const { return opened_ && cursor_ < records_.size(); }
  // Hands out a copy of the record under the cursor and advances.
  HRESULT next(LightVSSVersion<A>* out) {
    *out = records_[cursor_++];
    return S_OK;
  }

  bool isOpened() const { return opened_; }
  const std::vector<LightVSSVersion<A>>& records() const { return records_; }

  void append(LightVSSVersion<A> record) { records_.push_back(std::move(record)); }
  void open() {
    cursor_ = 0;
    opened_ = true;
  }

 private:
  std::vector<LightVSSVersion<A>> records_;
  std::size_t cursor_ = 0;
  bool opened_ = false;
};

namespace detail {

// The item a version stands for, when the version object cannot hand it out
// itself: the item for its own version, otherwise asked by number.
template <class A>
HRESULT versionedItemByNumber(const ItemPtr<A>& item, LONG ownNumber, typename A::Version& version,
                              ItemPtr<A>* versioned) {
  const ItemLogger<A>& log = versionIteratorLog<A>();
  LONG number = 0;
  HRESULT hr = version.get_VersionNumber(&number);
  if (FAILED(hr)) {
    log.error(item, L"Failed to get_VSSItem", hr);
    return hr;
  }
  if (number == ownNumber) {
    *versioned = item;
    return S_OK;
  }
  ItemPtr<A> found;
  hr = item->get_Version(Variant(fmt::format(L"{}", number)), found.put());
  if (SUCCEEDED(hr) && !found) hr = E_FAIL;
  if (FAILED(hr)) {
    if (logging::isDebugEnabled()) log.error(item, fmt::format(L"Failed to get_Version to {}", number), hr);
    return hr;
  }
  *versioned = std::move(found);
  return S_OK;
}

}  // namespace detail

// Appends the versions of the item, newest first, down to the (olderLimit+1)th
// version older than the time: older versions cannot answer any question
// about the time, and a long history need not be read to its start.
// Versions that SourceSafe reports under no path at all are left out.
template <class A>
HRESULT GetVersionIterator(const ItemPtr<A>& item, const util::JavaTime& time, VSSVersionIterator<A>& iterator,
                           int olderLimit) {
  const ItemLogger<A>& log = versionIteratorLog<A>();
  std::wstring spec;
  HRESULT hr = getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;

  const LONG flags = isFile<A>(item) ? ssapi::VSSFLAG_RECURSNO : ssapi::VSSFLAG_RECURSNO | ssapi::VSSFLAG_HISTIGNOREFILES;
  ComPtr<typename A::Versions> versions;
  hr = item->get_Versions(flags, versions.put());
  if (FAILED(hr)) {
    log.error(item, L"Failed to call get_Versions (VSSFLAG_RECURSNO | VSSFLAG_HISTIGNOREFILES?)", hr);
    return hr;
  }
  if (!versions) {
    log.error(item, L"Failed to call get_Versions", hr);
    return E_FAIL;
  }

  LONG ownNumber = 0;
  hr = item->get_VersionNumber(&ownNumber);
  if (FAILED(hr)) {
    log.warn(item, L"Failed to get_VersionNumber()", hr);
    ownNumber = -1;
  }

  ComPtr<IUnknown> unknown;
  hr = versions->_NewEnum(unknown.put());
  if (FAILED(hr)) {
    log.error(item, L"Failed to enumerate versions _NewEnum failed", hr);
    return hr;
  }
  ComPtr<IEnumVARIANT> enumerator;
  if (!unknown || FAILED(unknown.queryInterface(&enumerator)) || !enumerator) {
    log.error(item, L"Failed to cast IUnknown to IEnumVARIANT");
    return E_FAIL;
  }

  for (;;) {
    VARIANT element;
    ULONG fetched = 0;
    hr = enumerator->Next(1, &element, &fetched);
    if (FAILED(hr) || fetched == 0 || !element.punkVal) {
      if (hr != S_FALSE) log.debug(item, L"Enumeration failed", hr);
      break;
    }
    ComPtr<typename A::Version> version;
    if (FAILED(element.punkVal->QueryInterface(A::Version::iid(), reinterpret_cast<void**>(version.put()))) ||
        !version)
      continue;

    ItemPtr<A> versioned;
    hr = version->get_VSSItem(versioned.put());
    if (FAILED(hr) || !versioned) {
      log.error(L"Failed to get_VSSItem from VSSVersion");
      versioned = nullptr;
      if (FAILED(detail::versionedItemByNumber<A>(item, ownNumber, *version, &versioned))) continue;
    }

    LightVSSVersion<A> record;
    hr = record.init(*version, versioned);
    if (FAILED(hr)) {
      log.error(versioned, L"Failed to create LightVSSVersion", hr);
      continue;
    }

    // A version names the item where it stood when the version was made,
    // which a rename or move since has changed; only a version that names
    // no place at all cannot be the item's.
    std::wstring versionedSpec;
    if (FAILED(getSpec<A>(versioned, &versionedSpec))) continue;
    versionedSpec = lowerCaseName(std::move(versionedSpec));
    if (versionedSpec.empty()) {
      log.error(item, L"Item has different versioned item path: " + versionedSpec + L" skipped.");
      log.error(L"Action: " + record.action);
      continue;
    }

    const bool older = record.time.isLess(time);
    iterator.append(std::move(record));
    if (older && --olderLimit < 0) break;
  }

  iterator.open();
  return S_OK;
}

extern template class VSSVersionIterator<ssapi::Automation60>;
extern template class VSSVersionIterator<ssapi::Automation2005>;

}  // namespace navigation
