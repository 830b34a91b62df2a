// Runs a test in a chosen time zone: sets TZ (and tzset) for the lifetime of
// the object and puts the previous value back afterwards.
#pragma once

#include <optional>
#include <string>

namespace testsupport {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace testsupport
