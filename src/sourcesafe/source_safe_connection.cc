#include "sourcesafe/source_safe_connection.h"

#include "platform/com_registry.h"
#include "platform/file_system.h"
#include "sourcesafe/dispatcher.h"
#include "ssapi/ssapi.h"
#include "util/usage.h"

namespace sourcesafe {
namespace {

// "/login:name" gives "name"; a prefix elsewhere in the argument stays.
std::wstring withoutPrefix(const std::wstring& argument, const std::wstring& prefix) {
  return argument.compare(0, prefix.size(), prefix) == 0 ? argument.substr(prefix.size()) : argument;
}

}  // namespace

template <class A>
bool SourceSafeConnection<A>::probe() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(ssapi::kProgId, &clsid))) return false;
  CoCreateInstance(clsid, nullptr, CLSCTX_ALL, A::Database::iid(), reinterpret_cast<void**>(database_.put()));
  return static_cast<bool>(database_);
}

template <class A>
int SourceSafeConnection<A>::openAndDispatch(util::ArgList args, Requests<A>& requests,
                                             output::OutputChannels& channels) {
  if (!args.has(5)) return util::printUsage();
  std::wstring ini = args.next();
  std::wstring login = withoutPrefix(args.next(), L"/login:");
  std::wstring password = withoutPrefix(args.next(), L"/pwd:");
  std::wstring command = args.next();

  if (!database_) {
    log_.error(L"Failed to locate VSS object");
    channels.writeErrorMessage(output::kAutomationNotRegistered);
    return -1;
  }

  DWORD attributes = platform::getFileAttributes(ini);
  if (attributes == platform::INVALID_FILE_ATTRIBUTES || attributes == platform::FILE_ATTRIBUTE_DIRECTORY) {
    log_.error(L"Please check path and access rights.");
    channels.writeErrorMessage(output::kIniPathDoesNotExist);
    channels.writeErrorLine(L"Please check path and access rights.");
    return E_FAIL;
  }
  if (!platform::canOpenExistingForReading(ini)) {
    const wchar_t* sentence = L"Failed to read srcSafe.ini file. Please check file is accessible.";
    log_.error(sentence);
    channels.writeErrorMessage(output::kFailedToAccessIni);
    channels.writeErrorLine(sentence);
    return E_FAIL;
  }

  HRESULT opened = database_->Open(ini, login, password);
  if (FAILED(opened)) {
    channels.writeErrorCode(opened);
    channels.writeErrorMessage(output::kUnableToLogIn);
    return -1;
  }

  int result = dispatch<A>(database_.get(), log_, command, args, requests, channels);
  if (result != 0) util::printUsage();
  return result;
}

template class SourceSafeConnection<ssapi::Automation60>;
template class SourceSafeConnection<ssapi::Automation2005>;

}  // namespace sourcesafe
