// One output file, written as UTF-16LE code units with no byte-order mark.
#pragma once

#include <cstdio>
#include <string>

#include "log/logger.h"

namespace output {

class OutputStream : public logging::LogSink {
 public:
  OutputStream() = default;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;
  virtual ~OutputStream();

  // Creates or truncates the file; on failure the stream stays without a
  // file and every later write is dropped.
  void open(const std::wstring& path);
  bool isOpen() const { return file_ != nullptr; }
  const std::wstring& path() const { return path_; }
  void write(const std::wstring& text) override;
  void flush() override;
  void close();

 private:
  std::wstring path_;
  std::FILE* file_ = nullptr;
};

}  // namespace output
