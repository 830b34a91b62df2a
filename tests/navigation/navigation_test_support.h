// Shared pieces of the navigation tests: both generations as gtest types,
// databases from the builder, and the log and error files read back.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/logger.h"
#include "navigation/automation_types.h"
#include "navigation/item_logger.h"
#include "output/output_channels.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/temp_dir.h"

namespace navtest {

using Generations = ::testing::Types<ssapi::Automation60, ssapi::Automation2005>;

// Names the generation in typed-test output.
struct GenerationName {
  template <class A>
  static std::string GetName(int) {
    return A::kIs2005 ? "Vss2005" : "Vss60";
  }
};

// Opens the log and error channels on scratch files for one test and closes
// them afterwards. Log lines come back without their time stamps:
// "VSSUtil Error - message".
class Capture {
 public:
  explicit Capture(int threshold = logging::kError) {
    platform::clearErrorInfo();
    output::channels().openLog((dir_ / "log.txt").wstring());
    output::channels().openError((dir_ / "err.txt").wstring());
    logging::setThreshold(threshold);
  }
  ~Capture() {
    output::channels().closeAll();
    logging::setThreshold(logging::kError);
    platform::clearErrorInfo();
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  std::vector<std::wstring> lines() const {
    std::wstring text = testsupport::readUtf16File(dir_ / "log.txt");
    std::vector<std::wstring> result;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      std::size_t stamp = line.find(L"] ");
      if (!line.empty() && line[0] == L'[' && stamp != std::wstring::npos) line.erase(0, stamp + 2);
      result.push_back(line);
      start = end + 2;
    }
    return result;
  }
  // Closes the channels first so that everything written is on disk; read
  // it last.
  std::wstring errorFile() const {
    output::channels().closeAll();
    return testsupport::readUtf16File(dir_ / "err.txt");
  }

 private:
  testsupport::TempDir dir_;
};

template <class A>
ComPtr<typename A::Database> openDatabase(const ssapi::DatabaseBuilder& builder) {
  return builder.template open<typename A::Generation>();
}

// The current item at spec; fails the test when there is none.
template <class A>
navigation::ItemPtr<A> itemAt(const ComPtr<typename A::Database>& database, const std::wstring& spec) {
  navigation::ItemPtr<A> item;
  HRESULT hr = database->get_VSSItem(spec, VARIANT_FALSE, item.put());
  EXPECT_TRUE(SUCCEEDED(hr) && item) << "no item at " << platform::wideToUtf8(spec);
  return item;
}

template <class A>
std::wstring specOf(const navigation::ItemPtr<A>& item) {
  std::wstring spec;
  if (!item || FAILED(item->get_Spec(&spec))) return L"<none>";
  return spec;
}

template <class A>
LONG versionOf(const navigation::ItemPtr<A>& item) {
  LONG number = -1;
  if (item) item->get_VersionNumber(&number);
  return number;
}

template <class A>
bool deletedFlagOf(const navigation::ItemPtr<A>& item) {
  VARIANT_BOOL flag = VARIANT_FALSE;
  if (item) item->get_Deleted(&flag);
  return flag == VARIANT_TRUE;
}

// The log line that names an item: prefix ("VersionCast Error - ") and the
// item's description.
template <class A>
std::wstring itemLine(const std::wstring& prefix, const navigation::ItemPtr<A>& item) {
  std::optional<std::wstring> description = navigation::describeItem<A>(item);
  return prefix + (description ? *description : L"<no description>");
}

// "Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe", the
// text of the builder's default fault.
inline const std::wstring kInjected = L"Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe";

}  // namespace navtest
