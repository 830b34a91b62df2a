// Rebuilding the content of a file's older versions: start from a version
// whose content is known (normally the latest, the current data file) and
// apply the reverse deltas of the check-ins going back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "native/item_file.h"
#include "native/status.h"

namespace ssapi::native {

// Receives each version with its content, newest first; returns false to
// end the walk.
using VersionVisitor = std::function<bool(std::int32_t version, const std::string& content)>;

// `*content` is the content of version `from`. Calls `visit` for `from` and
// every older version kept in this item file down to `to` (or the item
// file's first version, whichever is later); `*content` ends as the content
// of the last version visited. Fails with ESS_VS_NO_DELTA where older
// versions were not kept (no delta stored, or archived away), with
// ESS_CORRUPT for a damaged delta, and with ESS_VS_WANT_FILE for a project.
Status walkVersions(const ItemFile& item, std::int32_t from, std::int32_t to, std::size_t maxSize, std::string* content,
                    const VersionVisitor& visit);

}  // namespace ssapi::native
