// SourceSafe keeps a file's latest content whole and, for every check-in, a
// reverse delta (`FD` record) that turns a version into the one before: a
// list of operations that copy byte ranges of the newer version or insert
// literal bytes, ended by a stop operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

// Versions are never rebuilt larger than this, whatever a delta says: a
// damaged or hostile delta could otherwise ask for any amount of memory.
constexpr std::size_t kMaxContentSize = std::size_t{1} << 30;

// Rebuilds the older version from `newer` with the body of the `FD` record
// whose header is at `recordOffset` in the file `fileName` (both only for
// messages). An operation that runs past the record, copies from beyond
// the newer version or is unknown, and a result larger than `maxSize`, fail
// with ESS_CORRUPT naming the operation's offset. A delta without a stop
// operation ends with its record.
Status applyReverseDelta(std::string_view delta, std::string_view newer, std::size_t maxSize,
                         std::wstring_view fileName, std::uint32_t recordOffset, std::string* older);

}  // namespace ssapi::native
