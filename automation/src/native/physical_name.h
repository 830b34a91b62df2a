// Physical names: the eight letters that name an item's files for good
// ("BAAAAAAA" lives in data/b/baaaaaaa). They are built into file paths, so
// anything read from a database that is not exactly eight letters is refused
// rather than used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ssapi::native {

constexpr std::string_view kRootPhysical = "AAAAAAAA";

// Eight ASCII letters, either case.
bool isPhysicalName(std::string_view name);

// A physical-name field of `size` bytes: "" when empty, else the name in
// upper case (SourceSafe itself is not consistent about the case). nullopt
// when the field holds anything but eight letters.
std::optional<std::string> readPhysicalName(std::string_view bytes, std::size_t offset, std::size_t size);

// The number a name stands for: letters are base-26 digits, the least
// significant first ("BAAAAAAA" is 1). Eight letters need more than 32 bits.
std::uint64_t physicalNumber(std::string_view name);
std::string physicalNameOf(std::uint64_t number);

}  // namespace ssapi::native
