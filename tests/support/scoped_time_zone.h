// Runs a test in a chosen time zone: sets TZ (and tzset) for the lifetime of
// the object and puts the previous value back afterwards.
//
// A Windows process keeps the zone it was started in (Wine takes it from
// the Unix side's TZ at start), so there a zone is in force only in a test
// program started with TZ set to it; tests skip the other zones, and the
// Windows suite runs its zone tests once per zone.
#pragma once

#include <optional>
#include <string>

namespace testsupport {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  // Whether the zone is the process's now (always, except on Windows).
  bool inForce() const { return inForce_; }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;
  bool inForce_ = true;
};

// Whether a process sees a TZ that it changes itself (not on Windows).
bool zoneFollowsTzWhileRunning();

// Declares a ScopedTimeZone named `name` and skips the test when the zone
// cannot be in force in this process.
#define QUILLGATE_IN_TIME_ZONE(name, zone)                                                        \
  testsupport::ScopedTimeZone name(zone);                                                        \
  if (!name.inForce())                                                                           \
  GTEST_SKIP() << "this Windows process runs in the zone it was started in; start it with TZ=" \
               << (zone)

}  // namespace testsupport
