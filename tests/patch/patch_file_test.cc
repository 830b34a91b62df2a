#include "patch/patch_file.h"

#include "patch_test_support.h"

namespace {

using patchtest::Capture;
using patchtest::patchDocument;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PatchFileTest, DocumentWithoutEntriesIsOpeningAndClosingLine) {
  Capture capture;
  { patch::PatchFile file(output::channels()); }
  EXPECT_EQ(capture.xml(), L"<?xml version=\"1.0\"?>\n<patch>\n\n</patch>\n\n");
}

TEST(PatchFileTest, EntriesInCallOrderEachWithItsLogLineFirst) {
  Capture capture(logging::kInfo);
  {
    patch::PatchFile file(output::channels());
    file.deleteDir(L"");
    file.writeDir(L"$/A");
    file.writeFile(L"$/A/x.txt", L"tmp/mVM-VSS-TEMP-0.vss");
    file.deleteFile(L"$/A/old.txt");
    file.deleteDir(L"$/A/gone");
  }
  EXPECT_EQ(capture.xml(), patchDocument({
                               L"   <delete-dir spec=\"\"/>\n",
                               L"   <add-dir spec=\"$/A\"/>\n",
                               L"   <add spec=\"$/A/x.txt\" file=\"tmp/mVM-VSS-TEMP-0.vss\"/>\n",
                               L"   <delete spec=\"$/A/old.txt\"/>\n",
                               L"   <delete-dir spec=\"$/A/gone\"/>\n",
                           }));
  EXPECT_THAT(capture.lines(), ElementsAre(L"PatchFILE ===========> Info - DeleteDir ",
                                           L"PatchFILE ===========> Info - WriteDir $/A",
                                           L"PatchFILE ===========> Info - WriteFile $/A/x.txt path: "
                                           L"tmp/mVM-VSS-TEMP-0.vss",
                                           L"PatchFILE ===========> Info - DeleteFile $/A/old.txt",
                                           L"PatchFILE ===========> Info - DeleteDir $/A/gone"));
}

TEST(PatchFileTest, ValuesAreEscapedInTheDocumentButNotInTheLog) {
  Capture capture(logging::kInfo);
  {
    patch::PatchFile file(output::channels());
    file.writeFile(L"$/a&b\"c<d>e", L"dir\\f&<\".vss");
    file.writeDir(L"$/&lt;");
    file.deleteFile(L"$/q\"");
    file.deleteDir(L"$/<x>");
  }
  EXPECT_EQ(capture.xml(), patchDocument({
                               L"   <add spec=\"$/a&amp;b&quot;c&lt;d&gt;e\" file=\"dir\\f&amp;&lt;&quot;.vss\"/>\n",
                               L"   <add-dir spec=\"$/&amp;lt;\"/>\n",
                               L"   <delete spec=\"$/q&quot;\"/>\n",
                               L"   <delete-dir spec=\"$/&lt;x&gt;\"/>\n",
                           }));
  EXPECT_EQ(capture.lines().at(0), L"PatchFILE ===========> Info - WriteFile $/a&b\"c<d>e path: dir\\f&<\".vss");
  EXPECT_EQ(capture.lines().at(1), L"PatchFILE ===========> Info - WriteDir $/&lt;");
}

TEST(PatchFileTest, NoLogLinesBelowInfo) {
  Capture capture(logging::kWarn);
  {
    patch::PatchFile file(output::channels());
    file.writeFile(L"$/a", L"f");
    file.writeDir(L"$/b");
    file.deleteFile(L"$/c");
    file.deleteDir(L"$/d");
  }
  EXPECT_THAT(capture.lines(), IsEmpty());
}

}  // namespace
