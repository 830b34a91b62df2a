#include "app/run_outcome.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include <fmt/xchar.h>

#include "platform/console.h"
#include "platform/text_encoding.h"
#include "util/main_logger.h"

namespace app {
namespace {

std::wstring writeFailure(const output::OutputStream& stream) {
  return fmt::format(L"Cannot write \"{}\": {}", stream.path(), platform::utf8ToWide(std::strerror(stream.error())));
}

// The failure on standard error, in the log and in the error file, where
// each of them still works.
void report(output::OutputChannels& channels, const std::wstring& text) {
  platform::printConsoleError(L"quillgate: " + text + L"\n");
  util::mainLogger().error(text);
  channels.writeErrorLine(text);
}

int failing(int code) { return code == 0 ? -1 : code; }

int failRun(output::OutputChannels& channels, const std::wstring& what) {
  report(channels, what);
  int code = settleOutput(channels, -1);
  util::mainLogger().info(fmt::format(L"Exited with code: {}", code));
  return code;
}

}  // namespace

int settleOutput(output::OutputChannels& channels, int code) {
  channels.flushAll();
  std::vector<const output::OutputStream*> failed = channels.failedStreams();
  if (failed.empty()) return code;
  for (const output::OutputStream* stream : failed) report(channels, writeFailure(*stream));
  channels.flushAll();
  return failing(code);
}

int closeOutput(output::OutputChannels& channels, int code) {
  std::vector<const output::OutputStream*> before = channels.failedStreams();
  channels.closeAll();
  for (const output::OutputStream* stream : channels.failedStreams()) {
    if (std::find(before.begin(), before.end(), stream) != before.end()) continue;
    platform::printConsoleError(L"quillgate: " + writeFailure(*stream) + L"\n");
    code = failing(code);
  }
  return code;
}

int runGuarded(output::OutputChannels& channels, const std::function<int()>& run) {
  try {
    try {
      return run();
    } catch (const std::bad_alloc&) {
      return failRun(channels, L"Out of memory: the command could not be completed");
    } catch (const std::exception& thrown) {
      return failRun(channels, L"The command failed unexpectedly: " + platform::utf8ToWide(thrown.what()));
    } catch (...) {
      return failRun(channels, L"The command failed unexpectedly");
    }
  } catch (...) {
    // Reporting failed as well (memory again, most likely): a fixed text
    // needs no memory.
    std::fputs("quillgate: the command failed and the failure could not be reported\n", stderr);
    return -1;
  }
}

}  // namespace app
