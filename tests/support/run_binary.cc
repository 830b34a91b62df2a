#include "support/run_binary.h"

namespace testsupport {

RunResult runQuillgate(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> full;
  full.reserve(args.size() + 1);
  full.emplace_back(QUILLGATE_BINARY);
  full.insert(full.end(), args.begin(), args.end());
  return runProgram(full, options);
}

}  // namespace testsupport
