// SHA-256, for the password hashes of the text form's users file.
#pragma once

#include <string>
#include <string_view>

namespace ssapi::text {

// Lower-case hex digest of the bytes.
std::string sha256Hex(std::string_view bytes);

}  // namespace ssapi::text
