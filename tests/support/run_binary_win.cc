#include "support/run_binary.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <thread>

#include "platform/text_encoding.h"

#include <windows.h>

namespace testsupport {
namespace {

struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
      return std::towupper(static_cast<wint_t>(x)) < std::towupper(static_cast<wint_t>(y));
    });
  }
};

// The child's environment block: this process's variables with the
// changes asked for, sorted as Windows wants them (names ignore case).
std::wstring environmentBlock(const RunOptions& options) {
  std::map<std::wstring, std::wstring, NoCase> variables;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
      std::wstring text = entry;
      const std::size_t equals = text.find(L'=', 1);  // "=C:=C:\x" names start with "="
      if (equals == std::wstring::npos) continue;
      variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& name : options.removeEnvironment) variables.erase(platform::utf8ToWide(name));
  for (const auto& [name, value] : options.setEnvironment) {
    variables[platform::utf8ToWide(name)] = platform::utf8ToWide(value);
  }
  std::wstring block;
  for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
  block += L'\0';
  return block;
}

// One argument as the C runtime's command-line parser reads it back.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

// Reads one pipe to its end on a thread of its own, so that a child
// blocked on the other, full pipe cannot stall the test.
std::thread reader(HANDLE pipe, std::string* sink) {
  return std::thread([pipe, sink] {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) sink->append(buffer, got);
    CloseHandle(pipe);
  });
}

}  // namespace

RunResult runProgram(const std::vector<std::string>& args, const RunOptions& options) {
  RunResult result;
  if (args.empty()) return result;
  std::wstring commandLine;
  for (const auto& argument : args) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += quoted(platform::utf8ToWide(argument));
  }
  std::wstring environment = environmentBlock(options);
  const std::wstring program = platform::utf8ToWide(args[0]);
  const std::wstring directory = options.workingDirectory.native();

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return result;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  // File size and address space limits have no counterpart here; the
  // tests that need them do not run on Windows.
  const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                                      directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (!started) {
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
  }
  CloseHandle(process.hThread);
  std::thread outReader = reader(outRead, &result.stdoutText);
  std::thread errReader = reader(errRead, &result.stderrText);
  const DWORD wait = options.timeout.count() > 0 ? static_cast<DWORD>(options.timeout.count()) : INFINITE;
  if (WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 137);
    WaitForSingleObject(process.hProcess, INFINITE);
    result.timedOut = true;
  }
  outReader.join();
  errReader.join();
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  // The caller sees the low byte, as a POSIX parent does.
  result.exitCode = static_cast<int>(code & 0xFF);
  return result;
}

}  // namespace testsupport
