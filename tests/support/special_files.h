// Things a test plants in the file system that only some systems can hold:
// FIFOs, symbolic links (to devices such as /dev/zero, or out of a folder)
// and files their owner may not read. Each function returns an empty text
// when it made the thing, else why this system cannot, for GTEST_SKIP.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

std::string makeFifo(const std::filesystem::path& at);
// A link to a file, a folder or a device path such as "/dev/zero".
std::string makeSymlink(const std::filesystem::path& target, const std::filesystem::path& at);
// A file or folder no one may write (folders still listed and entered).
std::string makeReadOnly(const std::filesystem::path& at);
// A folder in which no file can be created.
std::string makeUnwritableFolder(const std::filesystem::path& at);
// A file its owner may not read.
std::string makeUnreadable(const std::filesystem::path& at);

// Whether names in the folder ignore letter case (Windows, macOS): a name
// written in other letters reaches the file that is there.
bool namesIgnoreCase(const std::filesystem::path& folder);

// The reason the last planting on this thread could not be made, cleared
// by taking it: table tests whose rows plant inside lambdas leave such rows
// out and name them with noteRowLeftOut.
std::string takePlantingFailure();
void noteRowLeftOut(const std::string& row, const std::string& why);

// Used by the planting functions: keeps the reason for takePlantingFailure
// and returns it.
std::string plantingResult(std::string why);

}  // namespace testsupport

// Plants with one of the functions above, or skips the test naming why. In
// a helper or a lambda, the caller checks ::testing::Test::IsSkipped() after.
#define QUILLGATE_PLANT_OR_SKIP(planting)         \
  do {                                            \
    const std::string quillgateWhyNot = planting; \
    if (!quillgateWhyNot.empty()) GTEST_SKIP() << quillgateWhyNot; \
  } while (false)
