// Running the built quillgate binary from a test, the way the CI server runs
// it: a fresh process with its own arguments, environment and working folder.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// The path of the built binary as a wide literal, for expected log texts.
#define QUILLGATE_WIDEN_LITERAL(x) L##x
#define QUILLGATE_WIDEN(x) QUILLGATE_WIDEN_LITERAL(x)
#define QUILLGATE_BINARY_W QUILLGATE_WIDEN(QUILLGATE_BINARY)

namespace testsupport {

struct RunOptions {
  // Variables set (or replaced) in the child's environment, e.g. {"TZ", "Europe/Berlin"}.
  std::vector<std::pair<std::string, std::string>> setEnvironment;
  // Variables removed from the child's environment (applied before setEnvironment).
  std::vector<std::string> removeEnvironment;
  // Working folder of the child; empty keeps the test's own.
  std::filesystem::path workingDirectory;
  // Limits of the child (0: none): the bytes a file it writes may hold
  // (beyond them a write fails with EFBIG, as on a full disk, instead of
  // raising SIGXFSZ), and its address space (allocations fail beyond it).
  std::uint64_t fileSizeLimit = 0;
  std::uint64_t addressSpaceLimit = 0;
  // The child is killed when it has not ended after this long (0: waits).
  std::chrono::milliseconds timeout{0};
};

struct RunResult {
  // The 8-bit process status (0..255); 128 + signal number when the child was
  // killed by a signal, -1 when it could not be started at all.
  int exitCode = -1;
  // Everything the child wrote to standard output (UTF-8 bytes as written).
  std::string stdoutText;
  // Everything the child wrote to standard error (sanitizer reports show up here).
  std::string stderrText;
  // The child did not end within the timeout and was killed.
  bool timedOut = false;
};

// Runs the quillgate binary with the given UTF-8 arguments (the program name
// is added in front) and waits for it to end.
RunResult runQuillgate(const std::vector<std::string>& args, const RunOptions& options = {});

// Runs any program; args[0] is the program path as well as its argv[0].
RunResult runProgram(const std::vector<std::string>& args, const RunOptions& options = {});

}  // namespace testsupport
