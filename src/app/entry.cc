#include "app/entry.h"

#include <functional>
#include <string>
#include <vector>

#include <fmt/xchar.h>

#include "app/command_line_log.h"
#include "app/diagnostic_modes.h"
#include "app/run_kind.h"
#include "app/run_outcome.h"
#include "app/self_tests.h"
#include "log/logger.h"
#include "output/output_channels.h"
#include "platform/console.h"
#include "platform/memory_reserve.h"
#include "platform/ole.h"
#include "platform/text_encoding.h"
#include "sourcesafe/run_source_safe.h"
#include "ssapi/library.h"
#include "util/arg_list.h"
#include "util/main_logger.h"
#include "util/text_compare.h"
#include "util/usage.h"

namespace app {
namespace {

// The self-test named by the argument list's next argument. Only the
// rename test decides the exit code; the others always end with 0.
int runSelfTest(util::ArgList& args, output::OutputChannels& channels, bool* returnAtOnce) {
  const std::wstring name = args.next();
  if (util::equalsIgnoreCase(name, L"test_java_date")) {
    testJavaDate(args.next(), channels);
  } else if (util::equalsIgnoreCase(name, L"test_path_tokenizer")) {
    testPathTokenizer(args.next(), channels);
  } else if (util::equalsIgnoreCase(name, L"test_remane_manager")) {
    *returnAtOnce = true;
    return testRenameManager(channels);
  }
  return 0;
}

}  // namespace

int runEntry(int argc, const std::wstring* argv) {
  using platform::printConsole;
  util::ArgList args(argc, argv);
  args.next();  // the program name
  if (!args.has(1)) return util::printUsage();

  std::wstring logFile;
  if (args.peek(1) == L"/log") {
    args.next();
    logging::setThreshold(logging::kDebug);
    printConsole(L"Loggers set to debug mode\r\n");
  } else if (args.peek(1) == L"/logf") {
    if (!args.has(2)) {
      printConsole(L"Unable to configure logs. Exit.");
      return util::printUsage();
    }
    args.next();
    logFile = args.next();
    logging::setThreshold(logging::kDebug);
    printConsole(L"Loggers set to debug mode\r\n");
  } else {
    logging::setThreshold(logging::kError);
  }

  if (!args.has(2)) {
    printConsole(L"Unable to find redirection files. Exit.");
    return util::printUsage();
  }
  output::OutputChannels& channels = output::channels();
  const std::wstring xmlFile = args.next();
  channels.openXml(xmlFile);
  channels.openError(args.next());
  if (logFile.empty()) logFile = xmlFile + L".logs.txt";
  printConsole(fmt::format(L"Logger output file: {}\r\n", logFile));
  channels.openLog(logFile);

  // From here on the files exist: a run ends only once they are written whole.
  auto finish = [&](int result) { return settleOutput(channels, result); };
  int code = 0;
  if (logging::isDebugEnabled()) util::mainLogger().debug(maskedCommandLine(argc, argv));
  if (!args.has(1)) return finish(util::printUsage());

  switch (classifyRun(args.peek(1))) {
    case RunKind::kSelfTest: {
      // The marker, then two arguments in the places of login and password.
      args.next();
      args.next();
      args.next();
      bool returnAtOnce = false;
      code = runSelfTest(args, channels, &returnAtOnce);
      if (returnAtOnce) return finish(code);
      break;
    }
    case RunKind::kSsPath:
      return finish(runSsPath(channels));
    case RunKind::kSsDate:
      args.next();
      runSsDate(args.next(), channels);
      return finish(0);
    case RunKind::kDebugTime:
      args.next();
      runDebugTime(args.next(), channels);
      return finish(0);
    case RunKind::kNormal:
      platform::setThreadLocale(platform::kEnglishNeutralLocale);
      platform::oleInitialize();
      code = sourcesafe::runSourceSafe(args);
      platform::oleUninitialize();
      break;
  }

  code = finish(code);
  util::mainLogger().info(fmt::format(L"Exited with code: {}", code));
  return code;
}

namespace {

// Runs the entry sequence over arguments already in wide text, guarded so
// that no exception and no running out of memory escapes.
int runProcess(const std::function<std::vector<std::wstring>()>& takeArguments) {
  // Enough to unwind and to report that memory ran out.
  constexpr std::size_t kReserveBytes = std::size_t{8} << 20;
  platform::MemoryReserve reserve(kReserveBytes);
  output::OutputChannels& channels = output::channels();
  int code = runGuarded(channels, [&] {
    ssapi::installLibrary();
    std::vector<std::wstring> args = takeArguments();
    return runEntry(static_cast<int>(args.size()), args.data());
  });
  return closeOutput(channels, code);
}

}  // namespace

int main(int argc, char** argv) {
  return runProcess([&] {
    // Arguments arrive as UTF-8; everything after this point works on wide text.
    std::vector<std::wstring> args;
    args.reserve(static_cast<size_t>(argc));
    for (int i = 0; i < argc; ++i) args.push_back(platform::utf8ToWide(argv[i]));
    return args;
  });
}

int wideMain(int argc, wchar_t** argv) {
  return runProcess([&] { return std::vector<std::wstring>(argv, argv + argc); });
}

}  // namespace app
