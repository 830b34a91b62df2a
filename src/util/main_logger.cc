#include "util/main_logger.h"

namespace util {

const logging::Logger& mainLogger() {
  static const logging::Logger logger(L"ssEx");
  return logger;
}

}  // namespace util
