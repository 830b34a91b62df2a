#include "support/folder_snapshot.h"

#include <sys/stat.h>

namespace testsupport {

FolderSnapshot snapshotFolder(const std::filesystem::path& folder, const std::filesystem::path& excluded) {
  namespace fs = std::filesystem;
  FolderSnapshot snapshot;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::none, error), end; !error && it != end;
       it.increment(error)) {
    if (!excluded.empty() && it->path() == excluded) {
      it.disable_recursion_pending();
      continue;
    }
    struct stat info {};
    if (lstat(it->path().c_str(), &info) != 0) continue;
    snapshot[fs::relative(it->path(), folder).string()] =
        std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) +
        "." + std::to_string(info.st_mtim.tv_nsec);
  }
  return snapshot;
}

}  // namespace testsupport
