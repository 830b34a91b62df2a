#include "output/output_stream.h"

#include "platform/text_encoding.h"

namespace output {

OutputStream::~OutputStream() { close(); }

void OutputStream::open(const std::wstring& path) {
  close();
  path_ = path;
  file_ = std::fopen(platform::wideToUtf8(path).c_str(), "wb");
}

void OutputStream::write(const std::wstring& text) {
  if (!file_) return;
  std::string bytes = platform::wideToUtf16le(text);
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
}

void OutputStream::flush() {
  if (file_) std::fflush(file_);
}

void OutputStream::close() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

}  // namespace output
