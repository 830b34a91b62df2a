// The usage text as the program prints it on the console (UTF-8), for
// tests that check standard output byte for byte.
#pragma once

#include <string>

namespace testsupport {

std::string expectedUsageText();

}  // namespace testsupport
