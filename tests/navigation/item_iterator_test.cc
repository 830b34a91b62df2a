#include "navigation/item_iterator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "navigation_test_support.h"

namespace {

using navigation::GetItemIterator;
using navigation::GetLinksIterator;
using navigation::ItemPtr;
using navigation::VSSItemIterator;
using navtest::Capture;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

template <class A>
class ItemIteratorTest : public ::testing::Test {
 protected:
  ItemIteratorTest() {
    builder_.createProject(L"$/a").createProject(L"$/a/b").createProject(L"$/ab");
    builder_.addFile(L"$/a/b/x.txt", "x").share(L"$/a/b/x.txt", L"$/a").share(L"$/a/b/x.txt", L"$/ab");
    builder_.addFile(L"$/a/one.txt", "1").addFile(L"$/a/two.txt", "2").addFile(L"$/a/three.txt", "3");
    builder_.remove(L"$/a/two.txt");
    database_ = navtest::openDatabase<A>(builder_);
    project_ = navtest::itemAt<A>(database_, L"$/a");
    file_ = navtest::itemAt<A>(database_, L"$/a/b/x.txt");
  }

  static std::vector<std::wstring> specs(VSSItemIterator<A>& iterator) {
    std::vector<std::wstring> result;
    while (iterator.hasNext()) {
      ItemPtr<A> item;
      EXPECT_EQ(iterator.next(&item), S_OK);
      result.push_back(item ? navtest::specOf<A>(item) : L"<null>");
    }
    return result;
  }
  static std::vector<std::wstring> names(VSSItemIterator<A>& iterator) {
    std::vector<std::wstring> result;
    for (const std::wstring& spec : specs(iterator)) result.push_back(spec.substr(spec.rfind(L'/') + 1));
    return result;
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> project_;
  ItemPtr<A> file_;
};
TYPED_TEST_SUITE(ItemIteratorTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(ItemIteratorTest, ChildrenLiveOrWithDeleted) {
  Capture capture;
  VSSItemIterator<TypeParam> iterator;
  ASSERT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_FALSE, iterator), S_OK);
  EXPECT_THAT(this->names(iterator), ElementsAre(L"b", L"one.txt", L"three.txt", L"x.txt"));
  ASSERT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_TRUE, iterator), S_OK);
  EXPECT_THAT(this->names(iterator), ElementsAre(L"b", L"one.txt", L"three.txt", L"two.txt", L"x.txt"));
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(ItemIteratorTest, FailingEntryIsLeftOutAndTheFillSucceeds) {
  Capture capture;
  // Whichever entry the second call asks for.
  this->builder_.faults().fail(L"get_Item", L"").fromCall(2);
  VSSItemIterator<TypeParam> iterator;
  ASSERT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_FALSE, iterator), S_OK);
  EXPECT_THAT(this->names(iterator), ElementsAre(L"b", L"three.txt", L"x.txt"));
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSItemIterator Error - " + *navigation::describeItem<TypeParam>(this->project_),
                          L"VSSItemIterator Error - Failed to get_Item, " + kInjected));
}

TYPED_TEST(ItemIteratorTest, NullEntryIsKept) {
  this->builder_.faults().handOutNothing(L"get_Item", L"").fromCall(1);
  VSSItemIterator<TypeParam> iterator;
  ASSERT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_FALSE, iterator), S_OK);
  EXPECT_THAT(this->specs(iterator), ElementsAre(L"<null>", L"$/a/one.txt", L"$/a/three.txt", L"$/a/x.txt"));
}

TYPED_TEST(ItemIteratorTest, CollectionFailuresLeaveTheIteratorEmptyAndClosed) {
  struct Row {
    const char* name;
    std::function<void(ssapi::FaultInjector&)> fault;
    HRESULT expected;
    std::wstring message;
  };
  const Row rows[] = {
      {"get_Items fails", [](ssapi::FaultInjector& f) { f.fail(L"get_Items", L"$/a"); }, E_FAIL,
       L"VSSItemIterator Error - Failed to enumerate children items, " + kInjected},
      {"get_Items hands out nothing", [](ssapi::FaultInjector& f) { f.handOutNothing(L"get_Items", L"$/a"); }, E_FAIL,
       L"VSSItemIterator Error - Failed to enumerate children items. Pointer is NULL"},
      {"get_Count fails",
       [](ssapi::FaultInjector& f) { f.fail(L"get_Count", L"$/a", DISP_E_BADINDEX).withoutErrorInfo(); },
       DISP_E_BADINDEX, L"VSSItemIterator Error - Failed to get items count, Error: 0x8002000b (-2147352565)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture;
    VSSItemIterator<TypeParam> iterator;
    ASSERT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_FALSE, iterator), S_OK);
    ASSERT_TRUE(iterator.hasNext());
    this->builder_.faults().clear();
    row.fault(this->builder_.faults());
    EXPECT_EQ(GetItemIterator<TypeParam>(this->project_, VARIANT_FALSE, iterator), row.expected);
    EXPECT_FALSE(iterator.hasNext());
    EXPECT_TRUE(iterator.items().empty());
    const std::wstring item = L"VSSItemIterator Error - " + *navigation::describeItem<TypeParam>(this->project_);
    EXPECT_THAT(capture.lines(), ElementsAre(item, row.message));
  }
}

// SourceSafe's names ignore letter case; a path is inside another only at a
// "/" boundary.
TYPED_TEST(ItemIteratorTest, LinksAreFilteredByContainmentWithoutRegardToCase) {
  struct Row {
    const char* name;
    std::wstring path;
    std::vector<std::wstring> expected;
  };
  const Row rows[] = {
      {"project and below", L"$/a", {L"$/a/b/x.txt", L"$/a/x.txt"}},
      {"trailing slash", L"$/a/", {L"$/a/b/x.txt", L"$/a/x.txt"}},
      {"the link itself", L"$/a/x.txt", {L"$/a/x.txt"}},
      {"sibling with a longer name", L"$/ab", {L"$/ab/x.txt"}},
      {"other case", L"$/A", {L"$/a/b/x.txt", L"$/a/x.txt"}},
      {"other case and trailing slash", L"$/AB/", {L"$/ab/x.txt"}},
      {"root", L"$/", {L"$/a/b/x.txt", L"$/a/x.txt", L"$/ab/x.txt"}},
      {"nowhere", L"$/c", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    VSSItemIterator<TypeParam> iterator;
    ASSERT_EQ(GetLinksIterator<TypeParam>(row.path, this->file_, iterator), S_OK);
    std::vector<std::wstring> found = this->specs(iterator);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, row.expected);
  }
}

TYPED_TEST(ItemIteratorTest, LinkWithUnreadableSpecIsRemoved) {
  Capture capture;
  this->builder_.faults().fail(L"get_Spec", L"$/a/x.txt").times(2);
  VSSItemIterator<TypeParam> iterator;
  ASSERT_EQ(GetLinksIterator<TypeParam>(L"$/a", this->file_, iterator), S_OK);
  EXPECT_THAT(this->specs(iterator), ElementsAre(L"$/a/b/x.txt"));
  EXPECT_THAT(capture.lines(), ElementsAre(L"VSSVersionIterator Error - Failed to get_Spec, " + kInjected));
}

TYPED_TEST(ItemIteratorTest, LinksCollectionFailures) {
  {
    Capture capture;
    this->builder_.faults().fail(L"get_Links", L"$/a/b/x.txt");
    VSSItemIterator<TypeParam> iterator;
    EXPECT_EQ(GetLinksIterator<TypeParam>(L"$/a", this->file_, iterator), E_FAIL);
    EXPECT_FALSE(iterator.hasNext());
    EXPECT_THAT(capture.lines(), ElementsAre(L"VSSItemIterator Error - " + *navigation::describeItem<TypeParam>(this->file_),
                                             L"VSSItemIterator Error - Failed to enumerate children items, " + kInjected));
  }
  {
    Capture capture;
    this->builder_.faults().handOutNothing(L"get_Links", L"$/a/b/x.txt");
    VSSItemIterator<TypeParam> iterator;
    EXPECT_EQ(GetLinksIterator<TypeParam>(L"$/a", this->file_, iterator), E_FAIL);
    // This line names no item.
    EXPECT_THAT(capture.lines(), ElementsAre(L"VSSItemIterator Error - Failed to enumerate children items. Pointer is NULL"));
  }
  {
    Capture capture;
    this->builder_.faults().fail(L"get_Count", L"$/a/b/x.txt");
    VSSItemIterator<TypeParam> iterator;
    EXPECT_EQ(GetLinksIterator<TypeParam>(L"$/a", this->file_, iterator), E_FAIL);
    EXPECT_THAT(capture.lines(), ElementsAre(L"VSSItemIterator Error - " + *navigation::describeItem<TypeParam>(this->file_),
                                             L"VSSItemIterator Error - Failed to get items count, " + kInjected));
  }
}

}  // namespace
