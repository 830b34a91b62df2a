#include "platform/output_file.h"

namespace platform {

std::FILE* openForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

}  // namespace platform
