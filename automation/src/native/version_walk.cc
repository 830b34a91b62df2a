#include "native/version_walk.h"

#include <fmt/xchar.h>

#include <algorithm>

#include "native/delta.h"
#include "native/record.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {

Status walkVersions(const ItemFile& item, std::int32_t from, std::int32_t to, std::size_t maxSize, std::string* content,
                    const VersionVisitor& visit) {
  const ItemHeader& header = item.header;
  if (header.isProject()) {
    return failure(ESS_VS_WANT_FILE, fmt::format(L"File \"{}\" is a project, which has no content", item.path));
  }
  if (from > header.lastVersion || from < header.firstVersion) {
    return failure(ESS_VS_VERS_NOT_FOUND, fmt::format(L"File \"{}\" has no version {} of its own", item.path, from));
  }
  const std::int32_t oldest = std::max(to, header.firstVersion);
  for (std::int32_t version = from; version >= oldest; --version) {
    if (!visit(version, *content)) return success();
    if (version == oldest) break;
    const HistoryRecord& record = *item.record(version);
    if (record.action == ActionCode::kArchiveVersions) {
      return failure(ESS_VS_NO_DELTA,
                     fmt::format(L"File \"{}\": the versions before {} were archived away", item.path, version));
    }
    if (record.action != ActionCode::kCheckIn) continue;
    if (record.deltaOffset == 0) {
      return failure(ESS_VS_NO_DELTA,
                     fmt::format(L"File \"{}\" does not retain the versions before {}", item.path, version));
    }
    Record delta;
    if (Status status = readRecord(item.bytes, record.deltaOffset, header.eofOffset, "FD", item.path, &delta);
        !status.ok()) {
      return status;
    }
    std::string older;
    if (Status status = applyReverseDelta(delta.body, *content, maxSize, item.path, delta.offset, &older);
        !status.ok()) {
      return status;
    }
    *content = std::move(older);
  }
  return success();
}

}  // namespace ssapi::native
