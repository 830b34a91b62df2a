// Assertions on reader statuses that show the description when they fail.
#pragma once

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "native/status.h"
#include "platform/text_encoding.h"

namespace nativetest {

inline std::string hexStatus(HRESULT code) { return fmt::format("0x{:08x}", static_cast<std::uint32_t>(code)); }

inline ::testing::AssertionResult isOk(const ssapi::native::Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "status " << hexStatus(status.code) << ": "
                                       << platform::wideToUtf8(status.description);
}

// Fails with `code` and a description containing `fragment`.
inline ::testing::AssertionResult failsWith(const ssapi::native::Status& status, HRESULT code,
                                            std::wstring_view fragment) {
  if (status.code == code && status.description.find(fragment) != std::wstring::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "status " << hexStatus(status.code) << " (wanted " << hexStatus(code)
                                       << "): \"" << platform::wideToUtf8(status.description) << "\" (wanted a part \""
                                       << platform::wideToUtf8(fragment) << "\")";
}

}  // namespace nativetest
