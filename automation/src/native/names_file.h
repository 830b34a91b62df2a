// names.dat: the names that do not fit an item's 34-byte name field (long
// file names, project names with spaces or a leading dot, DOS aliases). A
// `HN` header gives the end of the valid data; each `SN` record holds the
// names of one item, found through the offset stored in its name field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "native/status.h"
#include "native/vss_name.h"

namespace ssapi::native {

enum class NameKind : std::uint16_t { kDos = 1, kLong = 2, kMac = 3, kProject = 10 };

struct NameSet {
  std::uint32_t offset = 0;
  std::vector<std::pair<NameKind, std::string>> names;  // in stored order; kinds as stored, also unknown ones

  const std::string* find(NameKind kind) const;
};

class NamesFile {
 public:
  // Checks the header; name records are read when asked for.
  static Status parse(std::string bytes, std::wstring path, NamesFile* out);

  // The `SN` record whose header is at `offset`.
  Status nameSet(std::uint32_t offset, NameSet* set) const;
  // Every record up to the end of the valid data, in file order (records
  // with other signatures are skipped, as SourceSafe may add kinds).
  Status allNameSets(std::vector<NameSet>* sets) const;

  std::uint32_t endOffset() const { return end_; }
  const std::wstring& path() const { return path_; }

 private:
  std::string bytes_;
  std::wstring path_;
  std::uint32_t end_ = 0;
};

// The name to show for a name field: the long name (files) or the project
// name (projects) from names.dat when the field points there and that
// record has one; else the short name. Without names.dat (`names` null, as
// in old databases) the short name is all there is.
Status resolveName(const VssName& name, const NamesFile* names, std::string* text);

}  // namespace ssapi::native
