#include "support/scoped_time_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"

#include <windows.h>

namespace testsupport {
namespace {

// TZ as the process found it at start: the zone Wine gave it.
const std::optional<std::string>& startZone() {
  static const std::optional<std::string> zone = []() -> std::optional<std::string> {
    if (const char* value = std::getenv("TZ")) return std::string(value);
    return std::nullopt;
  }();
  return zone;
}

// Notes "program<TAB>test<TAB>zone" in the file QUILLGATE_ZONE_REQUESTS
// names, so that the test suite can run the test again in a process of
// that zone.
void requestZone(const std::string& zone) {
  const char* file = std::getenv("QUILLGATE_ZONE_REQUESTS");
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!file || !*file || !test) return;
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << platform::pathFromWide(program).filename().string() << '\t' << test->test_suite_name() << '.' << test->name()
      << '\t' << zone << '\n';
}

}  // namespace

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  inForce_ = startZone() == zone;
  if (!inForce_) requestZone(zone);
}

ScopedTimeZone::~ScopedTimeZone() = default;

bool zoneFollowsTzWhileRunning() { return false; }

}  // namespace testsupport
