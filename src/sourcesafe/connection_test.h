// The "connection" command: can the project path be fetched?
#pragma once

#include <string>

#include "output/output_channels.h"
#include "platform/com.h"
#include "platform/variant.h"

namespace sourcesafe {

template <class A>
class ConnectionTest {
 public:
  explicit ConnectionTest(output::OutputChannels& channels) : channels_(channels) {}

  HRESULT run(typename A::Database* database, const std::wstring& path) {
    ComPtr<typename A::Item> item;
    HRESULT hr = database->get_VSSItem(path, VARIANT_FALSE, item.put());
    if (FAILED(hr)) return hr;
    return item ? S_OK : E_FAIL;
  }

 private:
  [[maybe_unused]] output::OutputChannels& channels_;
};

}  // namespace sourcesafe
