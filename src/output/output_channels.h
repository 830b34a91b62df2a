// The three files a run writes: the output XML document, the error text for
// users, and the log.
#pragma once

#include <string>
#include <vector>

#include "output/output_stream.h"

namespace output {

// Fixed messages for users, by number.
constexpr int kUnableToFindRootItem = 101;
constexpr int kModulePathNotSpecified = 102;
constexpr int kFailedToGetHistory = 103;
constexpr int kGetOperationFailed = 104;
constexpr int kPatchParamsIncorrect = 105;
constexpr int kAutomationNotRegistered = 106;
constexpr int kUnableToLogIn = 107;
constexpr int kConnectionTestFailed = 108;
constexpr int kPathNotFound = 109;
constexpr int kFailedToGetItemFromVersion = 110;
constexpr int kFailedToGetActionFromVersion = 111;
constexpr int kFailedToAccessIni = 112;
constexpr int kIniPathDoesNotExist = 113;

// The text of a fixed message; empty for an unknown number.
std::wstring messageText(int id);

class OutputChannels {
 public:
  OutputChannels() = default;
  OutputChannels(const OutputChannels&) = delete;
  OutputChannels& operator=(const OutputChannels&) = delete;
  virtual ~OutputChannels();

  // Opens the XML file and writes the XML declaration at once.
  void openXml(const std::wstring& path);
  void openError(const std::wstring& path);
  // Opens the log file and makes it the destination of every logger.
  void openLog(const std::wstring& path);

  void writeXml(const std::wstring& text) { xml_.write(text); }
  void writeErrorLine(const std::wstring& text);
  void writeErrorMessage(int id);
  // The error text of a failed automation call (formatComError), as a line.
  void writeErrorCode(long code);

  // Flushes all three files to the system.
  void flushAll();
  // Closes the log, then the error file, then the XML file.
  void closeAll();

  // The files that were asked for and could not be created or written
  // whole, in the order XML, error, log.
  std::vector<const OutputStream*> failedStreams() const;

 private:
  OutputStream xml_;
  OutputStream error_;
  OutputStream log_;
};

// The process-wide channels.
OutputChannels& channels();

}  // namespace output
