#include "platform/output_file.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace platform {

// The wide open, so that a name outside the ANSI code page is the name
// created; "b" keeps the runtime from turning "\n" into "\r\n".
std::FILE* openForWriting(const std::string& path) { return _wfopen(utf8ToWide(path).c_str(), L"wb"); }

}  // namespace platform
