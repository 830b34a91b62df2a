#include "platform/output_file.h"

#include <cerrno>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct InjectedFailure {
  std::string pathSuffix;
  std::uint64_t afterBytes = 0;
  int error = 0;
};

std::mutex injectedLock;
std::vector<InjectedFailure>& injected() {
  static std::vector<InjectedFailure> failures;
  return failures;
}

// The bytes a file may take before its injected failure, or none.
bool injectedLimit(const std::string& path, std::uint64_t* limit, int* error) {
  std::lock_guard<std::mutex> hold(injectedLock);
  for (const InjectedFailure& failure : injected()) {
    if (path.size() >= failure.pathSuffix.size() &&
        path.compare(path.size() - failure.pathSuffix.size(), failure.pathSuffix.size(), failure.pathSuffix) == 0) {
      *limit = failure.afterBytes;
      *error = failure.error;
      return true;
    }
  }
  return false;
}

}  // namespace

void injectWriteFailure(const std::string& pathSuffix, std::uint64_t afterBytes, int error) {
  std::lock_guard<std::mutex> hold(injectedLock);
  injected().push_back({pathSuffix, afterBytes, error});
}

void clearInjectedWriteFailures() {
  std::lock_guard<std::mutex> hold(injectedLock);
  injected().clear();
}

OutputFile::~OutputFile() { close(); }

void OutputFile::fail(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
}

bool OutputFile::open(const std::string& path) {
  close();
  path_ = path;
  written_ = 0;
  error_ = 0;
  file_ = openForWriting(path);
  if (!file_) fail(errno);
  return file_ != nullptr;
}

void OutputFile::write(std::string_view bytes) {
  if (!file_ || failed() || bytes.empty()) return;
  std::uint64_t limit = 0;
  int injectedError = 0;
  std::size_t allowed = bytes.size();
  bool cut = injectedLimit(path_, &limit, &injectedError) && written_ + bytes.size() > limit;
  if (cut) allowed = static_cast<std::size_t>(limit > written_ ? limit - written_ : 0);
  std::size_t put = allowed == 0 ? 0 : std::fwrite(bytes.data(), 1, allowed, file_);
  written_ += put;
  if (cut) {
    fail(injectedError);
  } else if (put != bytes.size()) {
    fail(errno);
  }
}

void OutputFile::flush() {
  if (file_ && std::fflush(file_) != 0) fail(errno);
}

void OutputFile::close() {
  if (!file_) return;
  if (std::fclose(file_) != 0) fail(errno);
  file_ = nullptr;
}

}  // namespace platform
