#include "native/file_access.h"

#include <fmt/xchar.h>

#include <algorithm>

#include "native/ascii_text.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {
namespace {

bool entryExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found && !error;
}

}  // namespace

std::wstring displayPath(const std::filesystem::path& path) { return platform::wideFromPath(path); }

Status readFailure(const std::filesystem::path& path, const platform::FileReadStatus& read, std::size_t maxSize) {
  std::wstring description = platform::describeFileRead(path, read, maxSize);
  switch (read.error) {
    case platform::FileReadError::kNone: return success();
    case platform::FileReadError::kNotFound: return failure(ESS_FILE_NOTFOUND, std::move(description));
    case platform::FileReadError::kAccessDenied: return failure(ESS_FILE_ACCESSDENIED, std::move(description));
    default: return failure(ESS_CORRUPT, std::move(description));
  }
}

Status readFileBytes(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes) {
  return readFailure(path, platform::readRegularFile(path, maxSize, bytes), maxSize);
}

Status findEntry(const std::filesystem::path& folder, std::string_view name, std::filesystem::path* found) {
  for (const std::string& spelling : {std::string(name), lowerAscii(name), upperAscii(name)}) {
    std::filesystem::path candidate = folder / spelling;
    if (entryExists(candidate)) {
      *found = candidate;
      return success();
    }
  }
  std::string wanted = lowerAscii(name);
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (lowerAscii(it->path().filename().string()) == wanted) {
      *found = it->path();
      return success();
    }
  }
  return failure(ESS_FILE_NOTFOUND, fmt::format(L"File \"{}\" not found", displayPath(folder / std::string(name))));
}

}  // namespace ssapi::native
