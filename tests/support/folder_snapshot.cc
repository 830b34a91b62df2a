#include "support/folder_snapshot.h"

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
    std::error_code lookError;
    const fs::file_status status = fs::symlink_status(it->path(), lookError);
    if (lookError) continue;
    const bool regular = status.type() == fs::file_type::regular;
    const std::uintmax_t size = regular ? fs::file_size(it->path(), lookError) : 0;
    const auto modified = fs::last_write_time(it->path(), lookError).time_since_epoch().count();
    snapshot[fs::relative(it->path(), folder).string()] =
        std::to_string(static_cast<int>(status.type())) + " " + std::to_string(static_cast<int>(status.permissions())) +
        " " + std::to_string(size) + " " + std::to_string(modified);
  }
  return snapshot;
}

}  // namespace testsupport
