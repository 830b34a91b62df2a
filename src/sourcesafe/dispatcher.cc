#include "sourcesafe/dispatcher.h"


#include "sourcesafe/environment.h"
#include "ssapi/ssapi.h"
#include "util/parse_number.h"
#include "util/text_compare.h"

namespace sourcesafe {
namespace {

util::JavaTime timeArgument(util::ArgList& args) {
  return util::JavaTime::fromMillis(util::JavaTime::parseMillis(args.next()));
}

// <from> [<to>]: <to> is read only when <from> was given.
void readWindow(util::ArgList& args, util::JavaTime* from, util::JavaTime* to) {
  if (!args.has(1)) return;
  *from = timeArgument(args);
  if (args.has(1)) *to = timeArgument(args);
}

void logWindow(const logging::Logger& log, const wchar_t* what, util::JavaTime from, util::JavaTime to) {
  if (logging::isDebugEnabled())
    log.info(std::wstring(what) + L" request from: " + from.toText() + L", to: " + to.toText());
}

enum class Command { kHistory, kGet, kPatch, kPatch2, kPatch3, kConnection, kUnknown };

Command findCommand(const std::wstring& name) {
  if (util::equalsIgnoreCase(name, L"history")) return Command::kHistory;
  if (util::equalsIgnoreCase(name, L"get")) return Command::kGet;
  if (util::equalsIgnoreCase(name, L"patch")) return Command::kPatch;
  if (util::equalsIgnoreCase(name, L"patch2")) return Command::kPatch2;
  if (util::equalsIgnoreCase(name, L"patch3")) return Command::kPatch3;
  if (util::equalsIgnoreCase(name, L"connection")) return Command::kConnection;
  return Command::kUnknown;
}

}  // namespace

template <class A>
int dispatch(typename A::Database* database, const logging::Logger& log, const std::wstring& command,
             util::ArgList& args, Requests<A>& requests, output::OutputChannels& channels) {
  log.info(L"Current command: " + command);
  util::JavaTime from = util::EPOCH;
  util::JavaTime to = util::FAR_FUTURE;
  HRESULT result = S_OK;
  int failureMessage = 0;

  switch (findCommand(command)) {
    case Command::kHistory: {
      if (!args.has(1)) {
        channels.writeErrorMessage(output::kModulePathNotSpecified);
        return -1;
      }
      std::wstring path = args.next();
      readWindow(args, &from, &to);
      logWindow(log, L"History", from, to);
      result = requests.history(database, path, from, to);
      failureMessage = output::kFailedToGetHistory;
      break;
    }
    case Command::kGet: {
      if (!args.has(2)) {
        channels.writeErrorMessage(output::kModulePathNotSpecified);
        return -1;
      }
      std::wstring path = args.next();
      std::wstring file = args.next();
      util::JavaTime time = util::FAR_FUTURE;
      if (args.has(1)) time = timeArgument(args);
      if (time.isNotEqual(util::FAR_FUTURE) && !args.has(1)) {
        result = requests.getByTime(database, path, file, time);
      } else {
        LONG version = util::parseLong(args.next());
        result = requests.getByVersion(database, path, file, time, version);
      }
      failureMessage = output::kGetOperationFailed;
      break;
    }
    case Command::kPatch:
    case Command::kPatch2:
    case Command::kPatch3: {
      if (!args.has(2)) {
        channels.writeErrorMessage(output::kPatchParamsIncorrect);
        return -1;
      }
      Command kind = findCommand(command);
      std::wstring path = args.next();
      std::wstring mask = args.next();
      readWindow(args, &from, &to);
      logWindow(log, L"Patch", from, to);
      if (kind == Command::kPatch) {
        if (isEnvironmentVariableSet("Velmora.VSS.UsePatch2.ALLWAYS")) {
          log.warn(L"Using Velmora.VSS.UsePatch2.ALLWAYS to build clean patch using patch2");
          kind = Command::kPatch2;
        } else if (isEnvironmentVariableSet("Velmora.VSS.UsePatch3.ALLWAYS")) {
          log.warn(L"Using Velmora.VSS.UsePatch3.ALLWAYS to build clean patch using patch3");
          kind = Command::kPatch3;
        }
      }
      if (kind == Command::kPatch2)
        result = requests.cleanPatch(database, path, mask, from, to);
      else if (kind == Command::kPatch3)
        result = requests.treePatch(database, path, mask, from, to);
      else
        result = requests.smartPatch(database, path, mask, from, to);
      break;
    }
    case Command::kConnection: {
      if (!args.has(1)) {
        channels.writeErrorMessage(output::kModulePathNotSpecified);
        return -1;
      }
      result = requests.connection(database, args.next());
      failureMessage = output::kConnectionTestFailed;
      break;
    }
    case Command::kUnknown:
      return -1;
  }

  if (FAILED(result)) {
    if (failureMessage) channels.writeErrorMessage(failureMessage);
    return -1;
  }
  return 0;
}

template int dispatch<ssapi::Automation60>(ssapi::Automation60::Database*, const logging::Logger&,
                                           const std::wstring&, util::ArgList&, Requests<ssapi::Automation60>&,
                                           output::OutputChannels&);
template int dispatch<ssapi::Automation2005>(ssapi::Automation2005::Database*, const logging::Logger&,
                                             const std::wstring&, util::ArgList&, Requests<ssapi::Automation2005>&,
                                             output::OutputChannels&);

}  // namespace sourcesafe
