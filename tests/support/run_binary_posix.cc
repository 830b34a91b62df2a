#include "support/run_binary.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace testsupport {
namespace {

std::vector<std::string> childEnvironment(const RunOptions& options) {
  std::vector<std::string> env;
  for (char** p = environ; *p; ++p) env.emplace_back(*p);
  auto drop = [&](const std::string& name) {
    std::erase_if(env, [&](const std::string& entry) {
      return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=';
    });
  };
  for (const auto& name : options.removeEnvironment) drop(name);
  for (const auto& [name, value] : options.setEnvironment) {
    drop(name);
    env.push_back(name + "=" + value);
  }
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  out.reserve(texts.size() + 1);
  for (auto& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

// Reads both pipes until both are closed; reading them one after the other
// could block the child on a full pipe. Past the timeout (when there is
// one) the child is killed, which closes them.
void drain(int outFd, int errFd, std::string& out, std::string& err, pid_t pid, std::chrono::milliseconds timeout,
           bool* timedOut) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buffer[4096];
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (open > 0) {
    int wait = -1;
    if (timeout.count() > 0 && !*timedOut) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        kill(pid, SIGKILL);
        *timedOut = true;
      } else {
        wait = static_cast<int>(left.count());
      }
    }
    int ready = poll(fds, 2, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

RunResult runProgram(const std::vector<std::string>& args, const RunOptions& options) {
  RunResult result;
  if (args.empty()) return result;

  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls are allowed in a threaded parent.
  std::vector<std::string> argTexts = args;
  std::vector<char*> argv = pointers(argTexts);
  std::vector<std::string> envTexts = childEnvironment(options);
  std::vector<char*> envp = pointers(envTexts);
  std::string dir = options.workingDirectory.string();

  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }

  pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    if (options.fileSizeLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
    }
    if (options.addressSpaceLimit > 0) {
      rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }

  drain(outPipe[0], errPipe[0], result.stdoutText, result.stderrText, pid, options.timeout, &result.timedOut);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return result;
  }
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.exitCode = 128 + WTERMSIG(status);
  }
  return result;
}

}  // namespace testsupport
