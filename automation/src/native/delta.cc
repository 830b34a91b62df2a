#include "native/delta.h"

#include <fmt/xchar.h>

#include "native/bytes.h"
#include "native/record.h"

namespace ssapi::native {
namespace {

constexpr std::size_t kOperationSize = 12;

enum Command : std::uint16_t { kInsert = 0, kCopy = 1, kStop = 2 };

struct Operation {
  std::uint16_t command = kStop;
  std::uint32_t offset = 0;
  std::uint32_t count = 0;
  std::size_t position = 0;  // of the operation in the body
};

// Visits the operations before the stop, after checking each; `visit`
// receives the operation and, for inserts, the literal bytes.
template <typename Visit>
Status forEachOperation(std::string_view delta, std::string_view newer, std::wstring_view fileName,
                        std::uint32_t recordOffset, Visit visit) {
  const std::uint64_t bodyOffset = std::uint64_t{recordOffset} + kRecordHeaderSize;
  std::size_t pos = 0;
  while (pos < delta.size()) {
    if (delta.size() - pos < kOperationSize) {
      return corruptAt(fileName, bodyOffset + pos, L"a delta operation is cut off by the end of its record");
    }
    Operation op;
    op.command = readU16(delta, pos);
    op.offset = readU32(delta, pos + 4);
    op.count = readU32(delta, pos + 8);
    op.position = pos;
    switch (op.command) {
      case kStop:
        return success();
      case kInsert: {
        if (op.count > delta.size() - pos - kOperationSize) {
          return corruptAt(fileName, bodyOffset + pos,
                           fmt::format(L"a delta insert of 0x{:x} bytes runs past the end of its record", op.count));
        }
        if (Status status = visit(op, delta.substr(pos + kOperationSize, op.count)); !status.ok()) return status;
        pos += kOperationSize + op.count;
        break;
      }
      case kCopy: {
        if (op.offset > newer.size() || op.count > newer.size() - op.offset) {
          return corruptAt(fileName, bodyOffset + pos,
                           fmt::format(L"a delta copies 0x{:x} bytes from 0x{:x} of a version of 0x{:x} bytes",
                                       op.count, op.offset, newer.size()));
        }
        if (Status status = visit(op, std::string_view()); !status.ok()) return status;
        pos += kOperationSize;
        break;
      }
      default:
        return corruptAt(fileName, bodyOffset + pos, fmt::format(L"unknown delta operation {}", op.command));
    }
  }
  return success();
}

}  // namespace

Status applyReverseDelta(std::string_view delta, std::string_view newer, std::size_t maxSize,
                         std::wstring_view fileName, std::uint32_t recordOffset, std::string* older) {
  // First check everything and add up the size, so that the result is
  // allocated once and only when it stays within bounds.
  std::size_t size = 0;
  Status checked = forEachOperation(delta, newer, fileName, recordOffset, [&](const Operation& op, std::string_view) {
    if (op.count > maxSize - size) {
      return corruptAt(fileName, std::uint64_t{recordOffset} + kRecordHeaderSize + op.position,
                       fmt::format(L"the delta makes a version larger than 0x{:x} bytes", maxSize));
    }
    size += op.count;
    return success();
  });
  if (!checked.ok()) return checked;

  std::string result;
  result.reserve(size);
  Status applied =
      forEachOperation(delta, newer, fileName, recordOffset, [&](const Operation& op, std::string_view literal) {
        if (op.command == kInsert) {
          result.append(literal);
        } else {
          result.append(newer.substr(op.offset, op.count));
        }
        return success();
      });
  if (!applied.ok()) return applied;
  *older = std::move(result);
  return success();
}

}  // namespace ssapi::native
