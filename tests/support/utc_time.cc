#include "support/utc_time.h"

#include "platform/ole_date.h"

namespace testsupport {

platform::SystemTime utcFields(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  platform::SystemTime fields;
  platform::civilFromDays(days, &fields);
  fields.hour = static_cast<int>(rest / 3600);
  fields.minute = static_cast<int>(rest / 60 % 60);
  fields.second = static_cast<int>(rest % 60);
  return fields;
}

}  // namespace testsupport
