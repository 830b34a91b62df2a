#include "patch/patch_builder_base.h"

#include "patch_test_support.h"

namespace {

using patchtest::Capture;
using patchtest::contentOf;
using patchtest::kInjected;
using ::testing::ElementsAre;

template <class A>
class PatchBuilderBaseTest : public ::testing::Test {
 protected:
  PatchBuilderBaseTest() {
    builder_.createProject(L"$/p").addFile(L"$/p/a.txt", "one").checkIn(L"$/p/a.txt", "two");
    builder_.addFile(L"$/p/b.txt", "bee");
  }

  navigation::ItemPtr<A> item(const std::wstring& spec) {
    if (!database_) database_ = patchtest::openDatabase<A>(builder_);
    return patchtest::itemAt<A>(database_, spec);
  }
  std::wstring mask() const { return (dir_ / "m_").wstring(); }
  std::wstring temp(int n) const { return mask() + L"VM-VSS-TEMP-" + std::to_wstring(n) + L".vss"; }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  testsupport::TempDir dir_;
};
TYPED_TEST_SUITE(PatchBuilderBaseTest, patchtest::Generations, patchtest::GenerationName);

TYPED_TEST(PatchBuilderBaseTest, NamesAreTheMaskAsPlainPrefixAndACounter) {
  patch::PatchBuilderBase<TypeParam> withMask(L"tmp\\m");
  EXPECT_EQ(withMask.nextTempFileName(), L"tmp\\mVM-VSS-TEMP-0.vss");
  EXPECT_EQ(withMask.nextTempFileName(), L"tmp\\mVM-VSS-TEMP-1.vss");
  EXPECT_EQ(withMask.nextTempFileName(), L"tmp\\mVM-VSS-TEMP-2.vss");
  EXPECT_EQ(withMask.counter(), 3);

  patch::PatchBuilderBase<TypeParam> empty(L"");
  EXPECT_EQ(empty.nextTempFileName(), L"VM-VSS-TEMP-0.vss");
}

TYPED_TEST(PatchBuilderBaseTest, DownloadsTheVersionTheItemStandsFor) {
  Capture capture;
  patch::PatchBuilderBase<TypeParam> base(this->mask());
  auto a = this->item(L"$/p/a.txt");
  navigation::ItemPtr<TypeParam> first;
  ASSERT_EQ(a->get_Version(Variant(L"1"), first.put()), S_OK);

  std::wstring name;
  EXPECT_EQ(base.getNextFile(first, &name), S_OK);
  EXPECT_EQ(name, this->temp(0));
  EXPECT_EQ(contentOf(name), "one");
  EXPECT_EQ(base.getNextFile(a, &name), S_OK);
  EXPECT_EQ(name, this->temp(1));
  EXPECT_EQ(contentOf(name), "two");
  // An existing file is replaced.
  testsupport::writeFileBytes(this->temp(2), "stale and longer");
  EXPECT_EQ(base.getNextFile(this->item(L"$/p/b.txt"), &name), S_OK);
  EXPECT_EQ(contentOf(name), "bee");
  EXPECT_THAT(capture.lines(), ::testing::IsEmpty());
}

TYPED_TEST(PatchBuilderBaseTest, TwoFailuresThenSuccessTakesNumberTwoAndTheNextFileStartsAtThree) {
  this->builder_.faults().fail(L"Get", L"$/p/a.txt").times(2);
  Capture capture;
  patch::PatchBuilderBase<TypeParam> base(this->mask());
  std::wstring name;
  EXPECT_EQ(base.getNextFile(this->item(L"$/p/a.txt"), &name), S_OK);
  EXPECT_EQ(name, this->temp(2));
  EXPECT_EQ(contentOf(name), "two");
  EXPECT_EQ(base.getNextFile(this->item(L"$/p/b.txt"), &name), S_OK);
  EXPECT_EQ(name, this->temp(3));
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"PatchBuilderBase Error - Failed to download item to " + this->temp(0) + L", " + kInjected,
                          L"PatchBuilderBase Error - Failed to download item to " + this->temp(1) + L", " + kInjected));
}

TYPED_TEST(PatchBuilderBaseTest, FiveFailuresGiveNoNameAndTheFifthStatus) {
  this->builder_.faults().fail(L"Get", L"$/p/a.txt").times(4);
  this->builder_.faults().fail(L"Get", L"$/p/a.txt", E_ACCESSDENIED).fromCall(5);
  Capture capture;
  patch::PatchBuilderBase<TypeParam> base(this->mask());
  std::wstring name = L"something";
  EXPECT_EQ(base.getNextFile(this->item(L"$/p/a.txt"), &name), E_ACCESSDENIED);
  EXPECT_EQ(name, L"");
  EXPECT_EQ(base.counter(), 5);
  EXPECT_EQ(capture.count(L"PatchBuilderBase Error - Failed to download item to " + this->temp(4) +
                          L", Error: 0x80070005 (-2147024891): Injected fault. Source:SourceSafe"),
            1);
  EXPECT_EQ(capture.lines().size(), 5u);
}

}  // namespace
