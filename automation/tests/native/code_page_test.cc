#include "native/code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "status_assertions.h"
#include "support/environment.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

CodePage open(const char* name) {
  CodePage page;
  EXPECT_TRUE(isOk(CodePage::open(name, &page)));
  return page;
}

TEST(CodePageTest, DecodesTheCodePagesOfRealDatabases) {
  struct Row {
    const char* codePage;
    std::string bytes;
    std::wstring text;
  };
  const Row rows[] = {
      {"1252", "caf\xe9 \x80", L"caf\u00e9 \u20ac"},
      {"1252", "Name", L"Name"},
      // Windows maps the five bytes 1252 leaves unassigned to C1 controls.
      {"1252", "\x81\x8d\x8f\x90\x9d", L"\u0081\u008d\u008f\u0090\u009d"},
      {"936",
       "$/\xbb\xa8\xb3\xc7"
       "CRM",
       L"$/\u82b1\u57ceCRM"},
      {"GBK", "\xbb\xa8", L"\u82b1"},
      {"950", "(UTC+08:00) \xa5x\xa5_", L"(UTC+08:00) \u53f0\u5317"},
      {"cp950", "\xa5x", L"\u53f0"},
      {"65001", "\xe8\x8a\xb1", L"\u82b1"},
      {"1251", "\xcf\xf0\xe8", L"\u041f\u0440\u0438"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.codePage) + ": " + row.bytes);
    EXPECT_EQ(open(row.codePage).decode(row.bytes), row.text);
  }
}

TEST(CodePageTest, ReplacesWhatCannotBeDecoded) {
  // A lead byte without its trail byte, in the middle and at the end.
  EXPECT_EQ(open("936").decode("a\xbb"), L"a\uFFFD");
  EXPECT_EQ(open("936").decode("\xff"
                               "b\xbb\xa8"),
            L"\uFFFDb\u82b1");
  EXPECT_EQ(open("65001").decode("x\xc3"), L"x\uFFFD");
}

TEST(CodePageTest, EncodesWhatTheCodePageHas) {
  std::string bytes;
  ASSERT_TRUE(open("936").encode(L"\u82b1\u57ce CRM", &bytes));
  EXPECT_EQ(bytes, "\xbb\xa8\xb3\xc7 CRM");
  ASSERT_TRUE(open("1252").encode(L"caf\u00e9", &bytes));
  EXPECT_EQ(bytes, "caf\xe9");
  EXPECT_FALSE(open("1252").encode(L"\u82b1", &bytes));
}

TEST(CodePageTest, UnknownCodePageFails) {
  CodePage page;
  EXPECT_TRUE(failsWith(CodePage::open("99999", &page), E_INVALIDARG, L"The code page \"99999\" is not known"));
  EXPECT_TRUE(failsWith(CodePage::open("no-such-charset", &page), E_INVALIDARG, L"no-such-charset"));
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      testsupport::setEnvironmentVariable(name, value);
    } else {
      testsupport::unsetEnvironmentVariable(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      testsupport::setEnvironmentVariable(name_, old_->c_str());
    } else {
      testsupport::unsetEnvironmentVariable(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CodePageTest, SettingComesFromTheEnvironment) {
  {
    ScopedEnvironment unset(kCodePageVariable, nullptr);
    EXPECT_EQ(CodePage::configuredName(), "1252");
  }
  {
    ScopedEnvironment empty(kCodePageVariable, "");
    EXPECT_EQ(CodePage::configuredName(), "1252");
  }
  ScopedEnvironment chinese(kCodePageVariable, "936");
  EXPECT_EQ(CodePage::configuredName(), "936");
}

}  // namespace
}  // namespace ssapi::native
