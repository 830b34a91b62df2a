#include "navigation/light_vss_version.h"

#include <gtest/gtest.h>

#include "navigation_test_support.h"
#include "platform/ole_date.h"

namespace {

using navigation::LightVSSVersion;

// A version object with chosen answers, for the texts a database built by
// the builder cannot carry.
template <class G>
class FakeVersion : public ssapi::IVSSVersionT<G>, public RefCounted {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == ssapi::IVSSVersionT<G>::iid()) {
      *object = static_cast<ssapi::IVSSVersionT<G>*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return addRefImpl(); }
  ULONG Release() override { return releaseImpl(); }

  HRESULT get_Username(std::wstring* user) override { return answer(usernameStatus, username, user); }
  HRESULT get_VersionNumber(LONG* number) override {
    *number = versionNumber;
    return numberStatus;
  }
  HRESULT get_Action(std::wstring* text) override { return answer(actionStatus, action, text); }
  HRESULT get_Date(DATE* date) override {
    *date = localDate;
    return dateStatus;
  }
  HRESULT get_Comment(std::wstring* text) override { return answer(commentStatus, comment, text); }
  HRESULT get_Label(std::wstring* label) override { return answer(S_OK, L"", label); }
  HRESULT get_LabelComment(std::wstring* text) override { return answer(S_OK, L"", text); }
  HRESULT get_VSSItem(ssapi::IVSSItemT<G>** item) override {
    *item = nullptr;
    return E_NOTIMPL;
  }

  std::wstring action = L"Checked in $/p";
  std::wstring username = L"Admin";
  std::wstring comment = L"why";
  LONG versionNumber = 7;
  DATE localDate = 0;
  HRESULT actionStatus = S_OK, usernameStatus = S_OK, commentStatus = S_OK, numberStatus = S_OK, dateStatus = S_OK;

 private:
  static HRESULT answer(HRESULT status, const std::wstring& value, std::wstring* out) {
    if (SUCCEEDED(status)) *out = value;
    return status;
  }
};

template <class A>
class LightVSSVersionTest : public ::testing::Test {
 protected:
  LightVSSVersionTest() : version_(ComPtr<FakeVersion<typename A::Generation>>(new FakeVersion<typename A::Generation>)) {
    platform::SystemTime fields{};
    fields.year = 2001;
    fields.month = 9;
    fields.day = 9;
    fields.hour = 1;
    fields.minute = 46;
    fields.second = 40;
    platform::systemTimeToVariantTime(fields, &version_->localDate);
  }
  ComPtr<FakeVersion<typename A::Generation>> version_;
};
TYPED_TEST_SUITE(LightVSSVersionTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(LightVSSVersionTest, NewRecordIsEmpty) {
  LightVSSVersion<TypeParam> record;
  EXPECT_TRUE(record.time.isEqual(util::EPOCH));
  EXPECT_EQ(record.action, L"");
  EXPECT_EQ(record.username, L"");
  EXPECT_EQ(record.comment, L"");
  EXPECT_FALSE(record.item);
  EXPECT_EQ(record.versionNumber, 0);
}

TYPED_TEST(LightVSSVersionTest, CopiesEveryField) {
  LightVSSVersion<TypeParam> record;
  EXPECT_EQ(record.init(*this->version_, nullptr), S_OK);
  EXPECT_EQ(record.action, L"Checked in $/p");
  EXPECT_EQ(record.username, L"Admin");
  EXPECT_EQ(record.comment, L"why");
  EXPECT_EQ(record.versionNumber, 7);
  // The tests run with TZ=UTC: the local date is the UTC one (a whole
  // second held as a binary fraction may come out a millisecond short).
  EXPECT_GE(record.time.millis(), 1000000000000LL - 1);
  EXPECT_LE(record.time.millis(), 1000000000000LL);
}

TYPED_TEST(LightVSSVersionTest, MessageErrorRule) {
  struct Row {
    const wchar_t* name;
    std::wstring action;
    std::wstring expected;
  };
  const Row rows[] = {
      {L"tab second", std::wstring(L"A\x0B garbage"), L"Message error"},
      {L"exactly two", std::wstring(L"A\x0B"), L"Message error"},
      {L"tab third", std::wstring(L"Ab\x0B"), std::wstring(L"Ab\x0B")},
      {L"tab first", std::wstring(L"\x0B" L"A"), std::wstring(L"\x0B" L"A")},
      {L"one character", std::wstring(L"\x0B"), std::wstring(L"\x0B")},
      {L"empty", L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.name));
    this->version_->action = row.action;
    LightVSSVersion<TypeParam> record;
    record.init(*this->version_, nullptr);
    EXPECT_EQ(record.action, row.expected);
  }
}

TYPED_TEST(LightVSSVersionTest, AnyFailedReadMakesTheResultNegativeButAllAreMade) {
  this->version_->dateStatus = E_FAIL;
  this->version_->commentStatus = E_ACCESSDENIED;
  LightVSSVersion<TypeParam> record;
  HRESULT hr = record.init(*this->version_, nullptr);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(hr, E_FAIL | E_ACCESSDENIED);
  EXPECT_EQ(record.action, L"Checked in $/p");
  EXPECT_EQ(record.username, L"Admin");
  EXPECT_EQ(record.versionNumber, 7);

  this->version_->dateStatus = S_OK;
  this->version_->commentStatus = S_OK;
  this->version_->numberStatus = DISP_E_BADINDEX;
  EXPECT_EQ(LightVSSVersion<TypeParam>().init(*this->version_, nullptr), DISP_E_BADINDEX);
}

}  // namespace
