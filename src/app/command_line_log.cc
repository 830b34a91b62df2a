#include "app/command_line_log.h"

#include <vector>

#include "app/run_kind.h"
#include "util/arg_list.h"

namespace app {
namespace {

constexpr std::wstring_view kPasswordPrefix = L"/pwd:";

bool hasPasswordPrefix(const std::wstring& arg) { return arg.starts_with(kPasswordPrefix); }

std::wstring masked(const std::wstring& arg) {
  return hasPasswordPrefix(arg) ? std::wstring(kPasswordPrefix) + kPasswordMask : std::wstring(kPasswordMask);
}

// Index into argv of the password argument of a normal run, or -1. Walks
// the arguments the way the entry and the connection layer take them.
int passwordIndex(int argc, const std::wstring* argv) {
  util::ArgList args(argc, argv);
  args.next();
  if (args.peek(1) == L"/log") {
    args.next();
  } else if (args.peek(1) == L"/logf") {
    args.next();
    args.next();
  }
  if (!args.has(2)) return -1;
  args.next();
  args.next();
  if (classifyRun(args.peek(1)) != RunKind::kNormal) return -1;
  if (args.peek(1) == L"/version-v6" || args.peek(1) == L"/version-v2005") args.next();
  if (!args.has(3)) return -1;
  return argc - args.remaining() + 2;
}

}  // namespace

std::wstring maskedCommandLine(int argc, const std::wstring* argv) {
  std::vector<std::wstring> shown(argv, argv + argc);
  const int password = passwordIndex(argc, argv);
  for (int i = 0; i < argc; ++i) {
    if (i == password || hasPasswordPrefix(shown[i])) shown[i] = masked(shown[i]);
  }
  return util::ArgList(argc, shown.data()).joinQuoted();
}

}  // namespace app
