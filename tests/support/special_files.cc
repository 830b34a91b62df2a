#include "support/special_files.h"

#include "support/temp_dir.h"

#include <utility>

#include <iostream>

namespace testsupport {
namespace {

thread_local std::string lastPlantingFailure;

}  // namespace

std::string plantingResult(std::string why) {
  if (!why.empty()) lastPlantingFailure = why;
  return why;
}

std::string takePlantingFailure() { return std::exchange(lastPlantingFailure, std::string()); }

void noteRowLeftOut(const std::string& row, const std::string& why) {
  std::cout << "[ LEFT OUT ] " << row << ": " << why << std::endl;
}

bool namesIgnoreCase(const std::filesystem::path& folder) {
  const std::filesystem::path probe = folder / "quillgate-case-probe";
  writeFileBytes(probe, "x");
  std::error_code error;
  const bool ignored = std::filesystem::exists(folder / "QUILLGATE-CASE-PROBE", error);
  std::filesystem::remove(probe, error);
  return ignored;
}

}  // namespace testsupport
