#include "sourcesafe/generation_choice.h"

#include "platform/console.h"
#include "sourcesafe/source_safe_connection.h"
#include "util/main_logger.h"
#include "util/usage.h"

namespace sourcesafe {

int runSourceSafeWith(util::ArgList& args, Requests<ssapi::Automation60>& requests60,
                      Requests<ssapi::Automation2005>& requests2005, output::OutputChannels& channels) {
  const std::wstring next = args.peek(1);
  const bool force60 = next == L"/version-v6";
  const bool force2005 = next == L"/version-v2005";
  if (force60 || force2005) args.next();

  SourceSafeConnection<ssapi::Automation2005> connection2005;
  if (!force60 && (connection2005.probe() || force2005)) {
    util::mainLogger().debug(L"Use VSS 2005 SSAPI");
    platform::printConsole(L"Using VSS 2005 Automation\r\n");
    return connection2005.openAndDispatch(args.copy(), requests2005, channels);
  }

  SourceSafeConnection<ssapi::Automation60> connection60;
  if (!force2005 && (connection60.probe() || force60)) {
    util::mainLogger().debug(L"Use VSS 6.0 SSAPI");
    platform::printConsole(L"Using VSS 6.0 Automation\r\n");
    return connection60.openAndDispatch(args.copy(), requests60, channels);
  }

  platform::printConsole(L"No VSS Automation found\r\n");
  channels.writeErrorMessage(output::kAutomationNotRegistered);
  util::mainLogger().error(L"No VSS Automation found");
  return util::printUsage();
}

}  // namespace sourcesafe
