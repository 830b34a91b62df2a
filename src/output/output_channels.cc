#include "output/output_channels.h"

#include "util/com_error.h"

namespace output {

std::wstring messageText(int id) {
  switch (id) {
    case kUnableToFindRootItem: return L"Unable to find root item";
    case kModulePathNotSpecified: return L"Module path was not specified";
    case kFailedToGetHistory: return L"Failed to get history";
    case kGetOperationFailed: return L"Get operation failed";
    case kPatchParamsIncorrect: return L"Patch params incorrect";
    case kAutomationNotRegistered: return L"Source Safe Automation COM object is not registered.";
    case kUnableToLogIn: return L"Unable to log in to SourceSafe. Please check login and password.";
    case kConnectionTestFailed: return L"Connection Test Failed. Unable to fetch module item.";
    case kPathNotFound: return L"Path was not found in the SourceSafe.";
    case kFailedToGetItemFromVersion:
      return L"Failed to get IVSSItem object from IVSSVersion. Unable to continue. Please make sure you VSS database "
             L"is not corrupted and there is no security issues.";
    case kFailedToGetActionFromVersion:
      return L"Failed to get action string from IVSSVersion. Unable to continue. Please make sure you VSS database "
             L"is not corrupted and there is no security issues.";
    case kFailedToAccessIni: return L"Failed to access srcSafe.ini file.";
    case kIniPathDoesNotExist: return L"Path to srcSafe.ini file does not exist.";
    default: return L"";
  }
}

OutputChannels::~OutputChannels() { closeAll(); }

void OutputChannels::openXml(const std::wstring& path) {
  xml_.open(path);
  xml_.write(L"<?xml version=\"1.0\"?>\n");
}

void OutputChannels::openError(const std::wstring& path) { error_.open(path); }

void OutputChannels::openLog(const std::wstring& path) {
  log_.open(path);
  logging::setDestination(&log_);
}

void OutputChannels::writeErrorLine(const std::wstring& text) {
  error_.write(text);
  error_.write(L"\r\n");
}

void OutputChannels::writeErrorMessage(int id) { writeErrorLine(messageText(id)); }

void OutputChannels::writeErrorCode(long code) { writeErrorLine(formatComError(static_cast<HRESULT>(code))); }

void OutputChannels::flushAll() {
  xml_.flush();
  error_.flush();
  log_.flush();
}

std::vector<const OutputStream*> OutputChannels::failedStreams() const {
  std::vector<const OutputStream*> failed;
  for (const OutputStream* stream : {&xml_, &error_, &log_}) {
    if (stream->failed()) failed.push_back(stream);
  }
  return failed;
}

void OutputChannels::closeAll() {
  logging::setDestination(nullptr);
  log_.close();
  error_.close();
  xml_.close();
}

OutputChannels& channels() {
  static OutputChannels processChannels;
  return processChannels;
}

}  // namespace output
