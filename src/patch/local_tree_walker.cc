#include "patch/local_tree_walker.h"

#include <utility>

#include "util/main_logger.h"

namespace patch {

LocalTreeWalker::LocalTreeWalker(PatchFile& file, DirectoryLister lister)
    : file_(file), lister_(std::move(lister)) {}

HRESULT LocalTreeWalker::walk(const std::wstring& specPrefix, const std::wstring& localDir) {
  const logging::Logger& log = util::mainLogger();
  const DWORD attributes = platform::getFileAttributes(localDir);
  if (attributes == platform::INVALID_FILE_ATTRIBUTES || (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) == 0) {
    log.info(L"Directory does not exists");
    return S_OK;
  }

  std::vector<platform::DirectoryEntry> entries;
  if (!lister_(localDir, &entries)) {
    log.error(L"Failed to enumerate files on " + localDir + L" spec " + specPrefix);
    return E_FAIL;
  }

  std::vector<std::pair<std::wstring, std::wstring>> subdirectories;
  for (const platform::DirectoryEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") continue;
    std::wstring spec = specPrefix + entry.name;
    std::wstring local = localDir + platform::kPathSeparator + entry.name;
    if (entry.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) {
      file_.writeDir(spec);
      subdirectories.emplace_back(spec + L"/", std::move(local));
    } else {
      file_.writeFile(std::move(spec), std::move(local));
    }
  }

  HRESULT result = S_OK;
  for (const auto& [prefix, local] : subdirectories)
    if (FAILED(walk(prefix, local))) result = E_FAIL;
  return result;
}

}  // namespace patch
