#include "output/output_stream.h"

#include "platform/text_encoding.h"

namespace output {

OutputStream::~OutputStream() { close(); }

void OutputStream::open(const std::wstring& path) {
  path_ = path;
  file_.open(platform::wideToUtf8(path));
}

void OutputStream::write(const std::wstring& text) {
  if (!file_.isOpen()) return;
  file_.write(platform::wideToUtf16le(text));
}

void OutputStream::flush() { file_.flush(); }

void OutputStream::close() { file_.close(); }

}  // namespace output
