#include "native/bytes.h"

namespace ssapi::native {

std::string readText(std::string_view bytes, std::size_t offset, std::size_t size) {
  if (offset >= bytes.size()) return {};
  std::string_view field = bytes.substr(offset, size);
  std::size_t nul = field.find('\0');
  return std::string(nul == std::string_view::npos ? field : field.substr(0, nul));
}

}  // namespace ssapi::native
