// Shared pieces of the history tests: a loader that records the visits the
// walk makes, the three output files captured per test, and small readers of
// builder databases.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fmt/ranges.h>
#include <fmt/xchar.h>

#include "history/generation_history.h"
#include "log/logger.h"
#include "output/output_channels.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/temp_dir.h"

namespace histtest {

using Generations = ::testing::Types<ssapi::Automation60, ssapi::Automation2005>;

struct GenerationName {
  template <class A>
  static std::string GetName(int) {
    return A::kIs2005 ? "Vss2005" : "Vss60";
  }
};

template <class A>
using ItemPtr = navigation::ItemPtr<A>;
template <class A>
using VersionPtr = history::VersionPtr<A>;

// "$/p/a.txt[3]", or "<null>".
template <class A>
std::wstring describe(const ItemPtr<A>& item) {
  if (!item) return L"<null>";
  std::wstring spec;
  LONG number = -1;
  item->get_Spec(&spec);
  item->get_VersionNumber(&number);
  return fmt::format(L"{}[{}]", spec, number);
}

// Opens the three output channels on scratch files for one test. Log lines
// come back without their time stamps ("History2 Error - message"); the
// files are read after closing, so every write is in them.
class Capture {
 public:
  explicit Capture(int threshold = logging::kError) {
    platform::clearErrorInfo();
    output::channels().openXml((dir_ / "out.xml").wstring());
    output::channels().openError((dir_ / "err.txt").wstring());
    output::channels().openLog((dir_ / "log.txt").wstring());
    logging::setThreshold(threshold);
  }
  ~Capture() { close(); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  std::vector<std::wstring> lines() {
    close();
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
  std::wstring xml() {
    close();
    return testsupport::readUtf16File(dir_ / "out.xml");
  }
  std::wstring errorFile() {
    close();
    return testsupport::readUtf16File(dir_ / "err.txt");
  }

 private:
  void close() {
    if (closed_) return;
    closed_ = true;
    output::channels().closeAll();
    logging::setThreshold(logging::kError);
    platform::clearErrorInfo();
  }

  testsupport::TempDir dir_;
  bool closed_ = false;
};

// Records every visit of the walk as one line. With interceptHandlers, the
// project-level handlers (check-in, share, child added, deleted, destroyed)
// are recorded instead of run, which shows the decoding alone.
template <class A>
class RecordingLoader : public history::GenerationHistory<A> {
 public:
  using Base = history::GenerationHistory<A>;
  using Item = typename Base::Item;
  using Version = typename Base::Version;

  explicit RecordingLoader(util::JavaTime from = util::EPOCH, util::JavaTime to = util::FAR_FUTURE)
      : Base(output::channels(), from, to) {}

  std::vector<std::wstring> calls;
  bool interceptHandlers = false;
  bool withTimes = false;           // append " @<millis>" to every call
  std::set<std::wstring> deletedSpecs;  // the own-flag deleted test answers true for these
  HRESULT visitStatus = S_OK;       // what the visitors answer
  std::function<void()> duringStart;  // runs inside OnStart, while the walk holds the database

  using Base::getItemFromParentAndActionAndCall;
  using Base::run;
  using Base::traceEntry;

  HRESULT decode(const Version& version, const Item& item, const std::wstring& action, bool fromFuture,
                 util::JavaTime time = util::JavaTime::fromMillis(1000)) {
    return this->getItemFromParentAndActionAndCall(version, item, action, time, fromFuture);
  }

  // Decodes one entry while a walk of the project holds the database (the
  // decoding asks where the project stood), and answers its status; the
  // calls the walk itself makes are recorded as well.
  HRESULT decodeInWalk(typename A::Database* database, const std::wstring& project, const Version& version,
                       const Item& item, const std::wstring& action, bool fromFuture,
                       util::JavaTime time = util::JavaTime::fromMillis(1000)) {
    HRESULT status = E_UNEXPECTED;
    duringStart = [&] {
      std::vector<std::wstring> before = std::move(calls);
      calls.clear();
      status = decode(version, item, action, fromFuture, time);
      decoded = std::move(calls);
      calls = std::move(before);
    };
    run(database, project);
    duringStart = nullptr;
    return status;
  }
  std::vector<std::wstring> decoded;  // the calls of the last decodeInWalk

  // The generation's handlers of project entries about a named child, run
  // as they are (whatever interceptHandlers says).
  HRESULT childAdded(const Item& project, const std::wstring& name) {
    return Base::onHistoryAdded(project, nullptr, util::JavaTime::fromMillis(1000), name);
  }
  HRESULT childDeleted(const Item& project, const std::wstring& name) {
    return Base::onHistoryDeleted(project, nullptr, util::JavaTime::fromMillis(1000), name, false);
  }
  HRESULT childDestroyed(const Item& project, const std::wstring& name) {
    return Base::onHistoryDestroyed(project, nullptr, util::JavaTime::fromMillis(1000), name, false);
  }

 protected:
  HRESULT OnStart(const Item& item) override {
    if (duringStart) duringStart();
    return record(L"start " + describe<A>(item), S_OK);
  }
  HRESULT OnFinish(const Item& item) override { return record(L"finish " + describe<A>(item), S_OK); }

  HRESULT visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder, const std::wstring& path,
                                   bool fromFuture) override {
    return record(fmt::format(L"removeEx {} {}{}", path, isFolder ? L"folder" : L"file", future(fromFuture)), time);
  }
  HRESULT visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) override {
    return record(L"remove " + describe<A>(item) + future(fromFuture), time);
  }
  HRESULT visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) override {
    return record((changed ? L"changed " : L"added ") + describe<A>(item), time);
  }
  HRESULT visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) override {
    return record(L"tree " + describe<A>(item), time);
  }
  HRESULT visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath, const Item& item,
                                 bool fromFuture) override {
    return record(L"rename " + oldPath + L" -> " + describe<A>(item) + future(fromFuture), time);
  }
  HRESULT visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time) override {
    calls.push_back(L"share " + describe<A>(link));
    return Base::visitHistoryNodeAddedFromShare(link, time);
  }

  HRESULT onHistoryAdded(const Item& item, const Version& version, const util::JavaTime& time,
                         const std::wstring& name) override {
    if (!interceptHandlers) return Base::onHistoryAdded(item, version, time, name);
    return record(L"onAdded " + describe<A>(item) + L" '" + name + L"'", S_OK);
  }
  HRESULT onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                           const std::wstring& name, bool fromFuture) override {
    if (!interceptHandlers) return Base::onHistoryDeleted(item, version, time, name, fromFuture);
    return record(L"onDeleted " + describe<A>(item) + L" '" + name + L"'" + future(fromFuture), S_OK);
  }
  HRESULT onHistoryDestroyed(const Item& item, const Version& version, const util::JavaTime& time,
                             const std::wstring& name, bool fromFuture) override {
    if (!interceptHandlers) return Base::onHistoryDestroyed(item, version, time, name, fromFuture);
    return record(L"onDestroyed " + describe<A>(item) + L" '" + name + L"'" + future(fromFuture), S_OK);
  }
  HRESULT onHistoryCheckedIn(const Item& item, const Version& version, const util::JavaTime& time) override {
    if (!interceptHandlers) return Base::onHistoryCheckedIn(item, version, time);
    return record(L"onCheckedIn " + describe<A>(item), S_OK);
  }
  HRESULT onHistoryShared(const Item& item, const Version& version, const util::JavaTime& time,
                          const std::wstring& name) override {
    if (!interceptHandlers) return Base::onHistoryShared(item, version, time, name);
    return record(L"onShared " + describe<A>(item) + L" '" + name + L"'", S_OK);
  }

  HRESULT getIsDeleted(const Item& item, bool* deleted) override {
    std::wstring spec;
    if (item && SUCCEEDED(item->get_Spec(&spec)) && deletedSpecs.contains(spec)) {
      *deleted = true;
      return S_OK;
    }
    return Base::getIsDeleted(item, deleted);
  }
  using Base::getIsDeleted;

 private:
  static std::wstring future(bool fromFuture) { return fromFuture ? L" future" : L""; }
  HRESULT record(std::wstring call, HRESULT status) {
    calls.push_back(std::move(call));
    return status;
  }
  HRESULT record(std::wstring call, const util::JavaTime& time) {
    if (withTimes) call += L" @" + time.toMillisText();
    calls.push_back(std::move(call));
    return visitStatus;
  }
};

template <class A>
ComPtr<typename A::Database> openDatabase(const ssapi::DatabaseBuilder& builder) {
  return builder.template open<typename A::Generation>();
}

template <class A>
ItemPtr<A> itemAt(const ComPtr<typename A::Database>& database, const std::wstring& spec,
                  VARIANT_BOOL deleted = VARIANT_FALSE) {
  ItemPtr<A> item;
  HRESULT hr = database->get_VSSItem(spec, deleted, item.put());
  EXPECT_TRUE(SUCCEEDED(hr) && item) << "no item at " << platform::wideToUtf8(spec);
  return item;
}

// The item at one of its versions.
template <class A>
ItemPtr<A> versionOf(const ItemPtr<A>& item, LONG number) {
  ItemPtr<A> versioned;
  HRESULT hr = item->get_Version(Variant(number), versioned.put());
  EXPECT_TRUE(SUCCEEDED(hr) && versioned) << "no version " << number;
  return versioned;
}

// The newest entry of the item's own history.
template <class A>
VersionPtr<A> newestVersion(const ItemPtr<A>& item) {
  ComPtr<typename A::Versions> versions;
  ComPtr<IUnknown> unknown;
  ComPtr<IEnumVARIANT> enumerator;
  VersionPtr<A> version;
  VARIANT element;
  ULONG fetched = 0;
  if (FAILED(item->get_Versions(0, versions.put())) || FAILED(versions->_NewEnum(unknown.put())) ||
      FAILED(unknown.queryInterface(&enumerator)) || enumerator->Next(1, &element, &fetched) != S_OK ||
      FAILED(element.punkVal->QueryInterface(A::Version::iid(), reinterpret_cast<void**>(version.put())))) {
    ADD_FAILURE() << "no version of the item";
  }
  return version;
}

// The entry of the item's own history for its version number.
template <class A>
VersionPtr<A> versionEntry(const ItemPtr<A>& item, LONG number) {
  ComPtr<typename A::Versions> versions;
  ComPtr<IUnknown> unknown;
  ComPtr<IEnumVARIANT> enumerator;
  if (FAILED(item->get_Versions(0, versions.put())) || FAILED(versions->_NewEnum(unknown.put())) ||
      FAILED(unknown.queryInterface(&enumerator))) {
    ADD_FAILURE() << "no versions of the item";
    return nullptr;
  }
  VARIANT element;
  ULONG fetched = 0;
  while (enumerator->Next(1, &element, &fetched) == S_OK) {
    VersionPtr<A> version;
    LONG found = 0;
    if (SUCCEEDED(element.punkVal->QueryInterface(A::Version::iid(), reinterpret_cast<void**>(version.put()))) &&
        SUCCEEDED(version->get_VersionNumber(&found)) && found == number)
      return version;
  }
  ADD_FAILURE() << "no version " << number;
  return nullptr;
}

// The javatime text the program shows for a change SourceSafe made at a whole
// UTC second: the OLE date of that second converted back multiplies by 24,
// 60, 60 and 1000 in turn and truncates, so the result can be one
// millisecond short of the exact value.
inline std::wstring millisText(std::int64_t utcSeconds) {
  const std::int64_t days = utcSeconds / 86400;
  const double fraction = static_cast<double>(utcSeconds % 86400) / 86400;
  const double date = static_cast<double>(days + 25569) + fraction;
  return std::to_wstring(static_cast<std::int64_t>((date - 25569.0) * 24 * 60 * 60 * 1000));
}

// "Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe", the
// text of the builder's default fault.
inline const std::wstring kInjected = L"Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe";

inline std::string narrow(const std::wstring& text) { return platform::wideToUtf8(text); }

}  // namespace histtest
