// Names of the local files that receive the content of added files, and the
// download of one item into such a file.
#pragma once

#include <cstdint>
#include <string>

#include "navigation/item_logger.h"

namespace patch {

template <class A>
class PatchBuilderBase {
 public:
  using ItemPtr = navigation::ItemPtr<A>;

  // How often one item is tried before its download counts as failed.
  static constexpr int kDownloadAttempts = 5;

  // The mask is a plain prefix of every name: no separator is put after it.
  explicit PatchBuilderBase(std::wstring outputFileMask);
  PatchBuilderBase(const PatchBuilderBase&) = delete;
  PatchBuilderBase& operator=(const PatchBuilderBase&) = delete;

  // "<mask>VM-VSS-TEMP-<n>.vss" with the next number; numbers are never
  // reused within one command.
  std::wstring nextTempFileName();

  // One download of the content of the version the item stands for.
  HRESULT downloadItem(const ItemPtr& item, const std::wstring& fileName);

  // Downloads into a fresh temp file, trying again under a new name after a
  // failure; a half-written file of a failed attempt is left where it is.
  // After the last failed attempt fileName is empty and the status is that
  // attempt's.
  HRESULT getNextFile(const ItemPtr& item, std::wstring* fileName);

  std::int32_t counter() const { return counter_; }

 private:
  std::int32_t counter_ = 0;
  std::wstring mask_;
  navigation::ItemLogger<A> log_;
};

extern template class PatchBuilderBase<ssapi::Automation60>;
extern template class PatchBuilderBase<ssapi::Automation2005>;

}  // namespace patch
