#include "native/vss_name.h"

#include "native/bytes.h"

namespace ssapi::native {

VssName readVssName(std::string_view bytes, std::size_t offset) {
  VssName name;
  name.flags = readU16(bytes, offset);
  name.shortName = readText(bytes, offset + 2, 34);
  name.namesOffset = readU32(bytes, offset + 0x24);
  return name;
}

}  // namespace ssapi::native
