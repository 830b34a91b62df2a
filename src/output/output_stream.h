// One output file, written as UTF-16LE code units with no byte-order mark.
#pragma once

#include <string>

#include "log/logger.h"
#include "platform/output_file.h"

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
  bool isOpen() const { return file_.isOpen(); }
  const std::wstring& path() const { return path_; }
  void write(const std::wstring& text) override;
  void flush() override;
  void close();

  // Whether the file was asked for and could not be created or written
  // whole; the system's error number of the first failure.
  bool failed() const { return file_.failed(); }
  int error() const { return file_.error(); }

 private:
  std::wstring path_;
  platform::OutputFile file_;
};

}  // namespace output
