#include "get/abstract_get_request.h"

#include <fmt/xchar.h>

#include "platform/variant.h"

namespace get {
namespace {

template <class A>
class GetByTime final : public AbstractGetRequest<A> {
 public:
  using typename AbstractGetRequest<A>::ItemPtr;
  explicit GetByTime(output::OutputChannels& channels) : AbstractGetRequest<A>(channels) {}

 protected:
  HRESULT pickItem(const ItemPtr& found, ItemPtr* picked) override {
    *picked = found;
    return S_OK;
  }
};

template <class A>
class GetByVersion final : public AbstractGetRequest<A> {
 public:
  using typename AbstractGetRequest<A>::ItemPtr;
  GetByVersion(output::OutputChannels& channels, LONG version) : AbstractGetRequest<A>(channels), version_(version) {}

 protected:
  HRESULT pickItem(const ItemPtr& found, ItemPtr* picked) override {
    return found->get_Version(Variant(fmt::format(L"{}", version_)), picked->put());
  }

 private:
  LONG version_;
};

}  // namespace

template <class A>
std::unique_ptr<AbstractGetRequest<A>> AbstractGetRequest<A>::byTime(output::OutputChannels& channels) {
  return std::make_unique<GetByTime<A>>(channels);
}

template <class A>
std::unique_ptr<AbstractGetRequest<A>> AbstractGetRequest<A>::byVersion(output::OutputChannels& channels,
                                                                         LONG version) {
  return std::make_unique<GetByVersion<A>>(channels, version);
}

template <class A>
AbstractGetRequest<A>::AbstractGetRequest(output::OutputChannels& channels)
    : channels_(channels), log_(L"AbstractGetRequest") {}

template <class A>
HRESULT AbstractGetRequest<A>::OnTimedChildFound(const ItemPtr& timedParent) {
  log_.debug(timedParent, L"Found versioned item");
  return S_OK;
}

template <class A>
HRESULT AbstractGetRequest<A>::run(Database& database, const std::wstring& path, const std::wstring& outputFile,
                                   const util::JavaTime& time) {
  ItemPtr found;
  HRESULT castStatus = this->CastPathToVersion(database, path, time, &found);
  if (FAILED(castStatus) || !found) {
    // The cast has already told the user (101 or 109) where that applies.
    log_.error(L"Failed to get versioned item", castStatus);
    return FAILED(castStatus) ? castStatus : E_FAIL;
  }

  ItemPtr picked;
  HRESULT status = pickItem(found, &picked) | castStatus;
  if (FAILED(status) || !picked) return status | E_FAIL;

  int type = ssapi::VSSITEM_PROJECT;
  HRESULT hr = picked->get_Type(&type);
  if (FAILED(hr)) {
    // Without the type nothing says the path is missing, so no message for
    // the user beyond the command's own.
    log_.error(picked, L"Failed to get_Type", hr);
    return hr;
  }
  if (type != ssapi::VSSITEM_FILE) {
    channels_.writeErrorMessage(output::kPathNotFound);
    return E_FAIL;
  }

  std::wstring local = outputFile;
  hr = picked->Get(&local, ssapi::VSSFLAG_REPREPLACE);
  if (FAILED(hr)) {
    log_.error(picked, L"Failed to get item", hr);
    return hr;
  }
  return S_OK;
}

template class AbstractGetRequest<ssapi::Automation60>;
template class AbstractGetRequest<ssapi::Automation2005>;

}  // namespace get
