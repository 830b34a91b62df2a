// The history request: the document it writes for the walk, the version
// numbers and comments of its items, and the comment source per generation.
#include "history/history_request2.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "history_test_support.h"

namespace {

using histtest::Capture;
using histtest::narrow;
using ::testing::Contains;
using ::testing::ElementsAre;

constexpr std::int64_t kT0 = 1000000000;  // 2001-09-09 01:46:40 UTC

// A change-log entry with chosen answers, for the entry-level reads of the
// request (user, comment, version number).
template <class G>
class FakeVersion final : public ssapi::IVSSVersionT<G>, public RefCounted {
 public:
  std::wstring comment;
  std::wstring user = L"Fake";
  LONG number = 5;
  HRESULT userStatus = S_OK;
  HRESULT numberStatus = S_OK;

  ULONG AddRef() override { return addRefImpl(); }
  ULONG Release() override { return releaseImpl(); }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == ssapi::IVSSVersionT<G>::iid() || iid == IID_IUnknown) {
      *object = static_cast<ssapi::IVSSVersionT<G>*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT get_Username(std::wstring* out) override {
    *out = user;
    return userStatus;
  }
  HRESULT get_VersionNumber(LONG* out) override {
    *out = number;
    return numberStatus;
  }
  HRESULT get_Action(std::wstring* out) override {
    *out = L"";
    return S_OK;
  }
  HRESULT get_Date(DATE* out) override {
    *out = 0;
    return S_OK;
  }
  HRESULT get_Comment(std::wstring* out) override {
    *out = comment;
    return S_OK;
  }
  HRESULT get_Label(std::wstring* out) override {
    out->clear();
    return S_OK;
  }
  HRESULT get_LabelComment(std::wstring* out) override {
    out->clear();
    return S_OK;
  }
  HRESULT get_VSSItem(ssapi::IVSSItemT<G>** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
};

// The request with its decoding step reachable from the test.
template <class A>
class OpenRequest : public history::HistoryRequest2<A> {
 public:
  OpenRequest(util::JavaTime from = util::EPOCH, util::JavaTime to = util::FAR_FUTURE)
      : history::HistoryRequest2<A>(output::channels(), from, to) {}
  using history::HistoryRequest2<A>::getItemFromParentAndActionAndCall;
  using history::HistoryRequest2<A>::visitHistoryNodeAdded;

  std::function<void()> duringStart;  // runs once the document is open, while the walk holds the database

 protected:
  HRESULT OnStart(const typename history::HistoryRequest2<A>::Item& item) override {
    HRESULT hr = history::HistoryRequest2<A>::OnStart(item);
    if (duringStart) duringStart();
    return hr;
  }
};

// The document of a walk that loaded nothing itself, around the items the
// test decoded into it.
std::wstring walkDocument(const std::wstring& items) {
  return L"<?xml version=\"1.0\"?>\n<history from=\"Invalid DateTime\" to=\"Invalid DateTime\">\r\n\r\n" + items +
         L"</history>\r\n";
}

// One expected history_item, written out the way the consumer reads it.
std::wstring item(const std::wstring& type, const std::wstring& millis, long version, const std::wstring& file,
                  const std::wstring& user, const std::wstring& action, const std::wstring& comment,
                  const std::wstring& rdate) {
  return L"\n<history_item type=\"" + type + L"\" time=\"" + millis + L"\" version=\"" + std::to_wstring(version) +
         L"\">\n   <file><![CDATA[" + file + L"]]></file>\n   <user><![CDATA[" + user +
         L"]]></user>\n   <action><![CDATA[" + action + L"]]></action>\n   <comment><![CDATA[" + comment +
         L"]]></comment>\n   <rdate>" + rdate + L"</rdate>\n</history_item>\n\n";
}

const std::wstring kDeclaration = L"<?xml version=\"1.0\"?>\n";

template <class A>
class HistoryRequestTest : public ::testing::Test {
 protected:
  ComPtr<typename A::Version> fakeVersion(FakeVersion<typename A::Generation>** fake) {
    *fake = new FakeVersion<typename A::Generation>();
    return ComPtr<typename A::Version>(*fake);
  }
  // Decodes entries while a walk of the root holds the database; the walk
  // itself loads nothing (its window lies in the far future).
  static void inWalk(const ComPtr<typename A::Database>& database, const std::function<void(OpenRequest<A>&)>& body) {
    OpenRequest<A> request(util::FAR_FUTURE, util::FAR_FUTURE);
    request.duringStart = [&] { body(request); };
    request.run(database.get(), L"$/");
  }
  static HRESULT decode(OpenRequest<A>& request, const ComPtr<typename A::Version>& version,
                        const navigation::ItemPtr<A>& item, const std::wstring& action, std::int64_t millis = 1000) {
    return request.getItemFromParentAndActionAndCall(version, item, action, util::JavaTime::fromMillis(millis),
                                                     false);
  }
};
TYPED_TEST_SUITE(HistoryRequestTest, histtest::Generations, histtest::GenerationName);

TYPED_TEST(HistoryRequestTest, AWindowWithoutChangesIsTheWrapperAlone) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  auto database = histtest::openDatabase<TypeParam>(builder);
  Capture capture;
  HRESULT status;
  {
    history::HistoryRequest2<TypeParam> request(output::channels(), util::JavaTime::fromMillis((kT0 + 10) * 1000),
                                                util::FAR_FUTURE);
    status = request.run(database.get(), L"$/p");
  }
  EXPECT_EQ(status, S_OK);
  EXPECT_EQ(capture.xml(), kDeclaration + L"<history from=\"09.09.2001 1:46:50\" to=\"Invalid DateTime\">\r\n\r\n"
                                          L"</history>\r\n");
}

// A closed document and a failed run when the change log cannot be read.
TYPED_TEST(HistoryRequestTest, AnUnreadableChangeLogStillClosesTheDocument) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.faults().fail(L"_NewEnum", L"$/p");
  auto database = histtest::openDatabase<TypeParam>(builder);
  Capture capture;
  HRESULT status;
  {
    history::HistoryRequest2<TypeParam> request(output::channels(), util::EPOCH, util::FAR_FUTURE);
    status = request.run(database.get(), L"$/p");
  }
  EXPECT_EQ(status, E_FAIL);
  EXPECT_EQ(capture.xml(), kDeclaration + L"<history from=\"01.01.1970\" to=\"Invalid DateTime\">\r\n\r\n</history>\r\n");
}

TYPED_TEST(HistoryRequestTest, DeletedAndRenamedItemsCountOneVersionUp) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.addFile(L"$/p/a.txt", "1");
  for (int i = 2; i <= 7; ++i) builder.checkIn(L"$/p/a.txt", std::to_string(i));
  builder.addFile(L"$/p/r.txt", "1");
  builder.checkIn(L"$/p/r.txt", "2");
  builder.checkIn(L"$/p/r.txt", "3");
  builder.at(kT0 + 100).withComment(L"tidy").remove(L"$/p/a.txt");
  builder.at(kT0 + 200).withComment(L"name").rename(L"$/p/r.txt", L"s.txt");
  auto database = histtest::openDatabase<TypeParam>(builder);
  Capture capture;
  {
    history::HistoryRequest2<TypeParam> request(output::channels(), util::JavaTime::fromMillis((kT0 + 50) * 1000),
                                                util::FAR_FUTURE);
    EXPECT_EQ(request.run(database.get(), L"$/p"), S_OK);
  }
  const std::wstring renameTime = histtest::millisText(kT0 + 200);
  const std::wstring deleteTime = histtest::millisText(kT0 + 100);
  EXPECT_EQ(capture.xml(),
            kDeclaration + L"<history from=\"09.09.2001 1:47:30\" to=\"Invalid DateTime\">\r\n\r\n" +
                item(L"File", renameTime, 4, L"$/p/r.txt", L"Admin", L"Deleted", L"name", L"09.09.2001 1:50:00") +
                item(L"File", renameTime, 3, L"$/p/s.txt", L"Admin", L"Added", L"name", L"09.09.2001 1:50:00") +
                item(L"File", deleteTime, 8, L"$/p/a.txt", L"Admin", L"Deleted", L"tidy", L"09.09.2001 1:48:20") +
                L"</history>\r\n");
}

// CDATA sections only need "]]>" broken up; characters XML cannot carry
// at all become U+FFFD.
TYPED_TEST(HistoryRequestTest, TextsAreEscapedForTheirPlaces) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.addFile(L"$/p/a.txt", "1");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto file = histtest::itemAt<TypeParam>(database, L"$/p/a.txt");
  FakeVersion<typename TypeParam::Generation>* fake;
  auto version = this->fakeVersion(&fake);
  fake->user = L"R&D <team>";
  fake->comment = L"fix ]]> here\vand there";
  Capture capture;
  this->inWalk(database, [&](OpenRequest<TypeParam>& request) {
    EXPECT_EQ(this->decode(request, version, file, L"Created a.txt"), S_OK);
    request.writeItem(L"Deleted", false, util::JavaTime::fromMillis(2000), L"$/p/x]]>y&z", 3);
  });
  // The file's own version has no comment, so both generations show the entry's.
  const std::wstring comment = L"fix ] ] > here\uFFFDand there";
  EXPECT_EQ(capture.xml(),
            walkDocument(
                item(L"File", L"1000", 1, L"$/p/a.txt", L"R&D <team>", L"Added", comment, L"01.01.1970 0:00:01") +
                item(L"File", L"2000", 3, L"$/p/x] ] >y&z", L"R&D <team>", L"Deleted", comment, L"01.01.1970 0:00:02")));
}

// 6.0 takes the comment of the entry; 2005 prefers the comment of the
// item's own version and falls back to the entry's.
TYPED_TEST(HistoryRequestTest, TheCommentComesFromTheGenerationsSource) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.withComment(L"own").addFile(L"$/p/a.txt", "1");
  builder.addFile(L"$/p/b.txt", "1");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto a = histtest::itemAt<TypeParam>(database, L"$/p/a.txt");
  auto b = histtest::itemAt<TypeParam>(database, L"$/p/b.txt");
  struct Row {
    const char* name;
    navigation::ItemPtr<TypeParam> item;
    std::wstring entryComment;
    std::wstring expected60;
    std::wstring expected2005;
  } rows[] = {
      {"both", a, L"entry", L"entry", L"own"},
      {"entry only", b, L"entry", L"entry", L"entry"},
      // An empty entry comment is filled from the item's own version.
      {"own only", a, L"", L"own", L"own"},
      {"neither", b, L"", L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeVersion<typename TypeParam::Generation>* fake;
    auto version = this->fakeVersion(&fake);
    fake->comment = row.entryComment;
    Capture capture;
    this->inWalk(database, [&](OpenRequest<TypeParam>& request) {
      EXPECT_EQ(this->decode(request, version, row.item, L"Created x"), S_OK);
    });
    const std::wstring expected = TypeParam::kIs2005 ? row.expected2005 : row.expected60;
    const std::wstring spec = row.item.get() == a.get() ? L"$/p/a.txt" : L"$/p/b.txt";
    EXPECT_EQ(capture.xml(),
              walkDocument(item(L"File", L"1000", 1, spec, L"Fake", L"Added", expected, L"01.01.1970 0:00:01")));
  }
}

TYPED_TEST(HistoryRequestTest, UnreadableEntryFieldsGiveEmptyUserAndVersionMinusOne) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto project = histtest::itemAt<TypeParam>(database, L"$/p");
  FakeVersion<typename TypeParam::Generation>* fake;
  auto version = this->fakeVersion(&fake);
  fake->userStatus = E_FAIL;
  fake->numberStatus = E_FAIL;
  Capture capture;
  this->inWalk(database, [&](OpenRequest<TypeParam>& request) {
    request.writeItem(L"Deleted", true, util::JavaTime::fromMillis(0), L"$/p/x", 1);
    this->decode(request, version, project, L"Created $p");
    // The 2005 detection reports a destroyed child with the entry's number.
    if constexpr (TypeParam::kIs2005) this->decode(request, version, project, L"Destroyed $gone");
  });
  std::wstring items = item(L"Dir", L"0", 1, L"$/p/x", L"", L"Deleted", L"", L"01.01.1970") +
                       item(L"Dir", L"1000", 1, L"$/p", L"", L"Added", L"", L"01.01.1970 0:00:01");
  if constexpr (TypeParam::kIs2005)
    items += item(L"Dir", L"1000", -1, L"$/p/gone", L"", L"Deleted", L"", L"01.01.1970 0:00:01");
  EXPECT_EQ(capture.xml(), walkDocument(items));
  const std::wstring userLine =
      L"HistoryRequest2 Error - Failed to get username from IVSSVersion, Error: 0x80004005 (-2147467259)";
  std::vector<std::wstring> lines = capture.lines();
  std::erase_if(lines, [](const std::wstring& line) { return line.rfind(L"HistoryRequest2 ", 0) != 0; });
  EXPECT_EQ(lines, std::vector<std::wstring>(TypeParam::kIs2005 ? 2 : 1, userLine));
}

// One change is reported once per path: outside an entry (and within one)
// the same item (path, action and version) is written once.
TYPED_TEST(HistoryRequestTest, TheSameItemIsWrittenOnce) {
  Capture capture;
  {
    OpenRequest<TypeParam> request;
    for (LONG version : {2, 2, 3}) {
      request.writeItem(L"Changed", false, util::JavaTime::fromMillis(1000), L"$/p/a.txt", version);
    }
    request.writeItem(L"Changed", false, util::JavaTime::fromMillis(1000), L"$/p/A.TXT", 2);
    request.writeItem(L"Deleted", false, util::JavaTime::fromMillis(1000), L"$/p/a.txt", 2);
  }
  EXPECT_EQ(capture.xml(), kDeclaration +
                               item(L"File", L"1000", 2, L"$/p/a.txt", L"", L"Changed", L"", L"01.01.1970 0:00:01") +
                               item(L"File", L"1000", 3, L"$/p/a.txt", L"", L"Changed", L"", L"01.01.1970 0:00:01") +
                               item(L"File", L"1000", 2, L"$/p/a.txt", L"", L"Deleted", L"", L"01.01.1970 0:00:01"));
}

TYPED_TEST(HistoryRequestTest, AnItemDeletedAtItsMomentIsNotWritten) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.addFile(L"$/p/a.txt", "1");
  builder.remove(L"$/p/a.txt");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto deleted = histtest::itemAt<TypeParam>(database, L"$/p/a.txt", VARIANT_TRUE);
  FakeVersion<typename TypeParam::Generation>* fake;
  auto version = this->fakeVersion(&fake);
  Capture capture(logging::kDebug);
  {
    OpenRequest<TypeParam> request;
    EXPECT_EQ(request.visitHistoryNodeAdded(false, util::JavaTime::fromMillis((kT0 + 100) * 1000), deleted), S_OK);
  }
  EXPECT_EQ(capture.xml(), kDeclaration);
  EXPECT_THAT(capture.lines(), Contains(L"HistoryRequest2 Debug - Item is deleted -> skip it"));
}

}  // namespace
