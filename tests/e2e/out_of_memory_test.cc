// A run that runs out of memory (here under an address-space limit, as
// `ulimit -v` sets it) fails cleanly: a failing exit code instead of an
// abort, the failure in the error file, and an output document that holds
// at least its declaration.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(OutOfMemoryTest, EveryRunUnderAnAddressSpaceLimitSucceedsWhollyOrFailsCleanly) {
  // AddressSanitizer reserves terabytes of address space for itself.
  if (kSanitized) GTEST_SKIP() << "an address-space limit cannot hold a sanitized program";
  testsupport::TempDir dir;
  // Comments that take tens of megabytes on their way through the program.
  ssapi::DatabaseBuilder db;
  db.createProject(L"$/p");
  for (int i = 0; i < 4; ++i) {
    std::wstring file = L"$/p/f" + std::to_wstring(i) + L".txt";
    db.withComment(std::wstring(1 << 20, static_cast<wchar_t>(L'a' + i))).addFile(file, "x");
  }
  db.writeTo(dir / "db");
  const std::vector<std::string> args = {"out.xml", "err.txt", (dir / "db" / "srcsafe.ini").string(),
                                         "/login:Admin", "/pwd:", "history", "$/p"};
  testsupport::RunOptions options;
  options.workingDirectory = dir.path();
  options.timeout = std::chrono::seconds(60);
  testsupport::RunResult unlimited = testsupport::runQuillgate(args, options);
  ASSERT_EQ(unlimited.exitCode, 0) << unlimited.stderrText;
  const std::string whole = testsupport::readFileBytes(dir / "out.xml");

  const std::string declaration("<\0?\0x\0m\0l\0", 10);
  int failed = 0;
  for (std::uint64_t megabytes : {30, 45, 60, 90, 120, 240}) {
    SCOPED_TRACE(testing::Message() << megabytes << " MB");
    options.addressSpaceLimit = megabytes << 20;
    testsupport::RunResult limited = testsupport::runQuillgate(args, options);
    const std::string xml = testsupport::readFileBytes(dir / "out.xml");
    if (limited.exitCode == 0) {
      EXPECT_EQ(xml, whole);
      continue;
    }
    ++failed;
    EXPECT_EQ(limited.exitCode, 255) << limited.stderrText;  // not a signal
    EXPECT_FALSE(limited.timedOut);
    EXPECT_EQ(xml.compare(0, declaration.size(), declaration), 0);
    EXPECT_NE(testsupport::readFileBytes(dir / "err.txt"), "");
  }
  // The lowest limits do not suffice, the highest does.
  EXPECT_GT(failed, 0);
  EXPECT_LT(failed, 6);
}

}  // namespace
