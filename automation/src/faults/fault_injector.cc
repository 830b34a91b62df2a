#include "ssapi/fault_injector.h"

#include <cstdlib>
#include <cstdint>
#include <sstream>
#include <vector>

#include "model/names.h"
#include "platform/file_system.h"
#include "platform/error_info.h"
#include "platform/regular_file.h"
#include "platform/text_encoding.h"

namespace ssapi {
namespace {

// Specs compare as SourceSafe does: either separator, any letter case.
std::wstring normalSpec(const std::wstring& spec) {
  auto components = model::splitSpec(spec);
  return model::foldName(components ? model::joinSpec(*components) : spec);
}

// Splits a fault-file line into words; "..." quotes a word with blanks, \" and \\ escape.
bool splitWords(const std::wstring& line, std::vector<std::wstring>* words, std::wstring* problem) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == L' ' || line[i] == L'\t' || line[i] == L'\r') {
      ++i;
      continue;
    }
    std::wstring word;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t' && line[i] != L'\r'))) {
      wchar_t c = line[i++];
      if (c == L'"') {
        quoted = !quoted;
      } else if (c == L'\\' && quoted && i < line.size()) {
        word += line[i++];
      } else {
        word += c;
      }
    }
    if (quoted) {
      *problem = L"unterminated quote";
      return false;
    }
    words->push_back(std::move(word));
  }
  return true;
}

bool parseLong(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  try {
    std::size_t used = 0;
    long long parsed = std::stoll(text, &used, 0);
    if (used != text.size()) return false;
    *value = static_cast<long>(parsed);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

Fault::Fault(std::wstring operation, std::wstring spec) : operation_(std::move(operation)), spec_(std::move(spec)) {}

Fault& Fault::onVersion(long version) {
  version_ = version;
  return *this;
}
Fault& Fault::withStatus(HRESULT status) {
  status_ = status;
  nothing_ = false;
  return *this;
}
Fault& Fault::handingOutNothing() {
  nothing_ = true;
  status_ = S_OK;
  return *this;
}
Fault& Fault::withDescription(std::wstring description) {
  description_ = std::move(description);
  errorInfo_ = true;
  return *this;
}
Fault& Fault::withoutErrorInfo() {
  errorInfo_ = false;
  return *this;
}
Fault& Fault::fromCall(long n) {
  firstCall_ = n < 1 ? 1 : n;
  return *this;
}
Fault& Fault::times(long n) {
  count_ = n;
  return *this;
}

Fault& FaultInjector::fail(const std::wstring& operation, const std::wstring& spec, HRESULT status) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.emplace_back(operation, spec);
  faults_.back().withStatus(status);
  active_ = true;
  return faults_.back();
}

Fault& FaultInjector::handOutNothing(const std::wstring& operation, const std::wstring& spec) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.emplace_back(operation, spec);
  faults_.back().handingOutNothing();
  active_ = true;
  return faults_.back();
}

void FaultInjector::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
  active_ = false;
}

std::optional<FaultAction> FaultInjector::check(const wchar_t* operation, const std::wstring& spec,
                                                std::optional<long> version) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<FaultAction> decided;
  std::wstring normal;
  bool normalized = false;
  for (Fault& fault : faults_) {
    if (fault.operation_ != operation) continue;
    if (!fault.spec_.empty()) {
      if (!normalized) {
        normal = normalSpec(spec);
        normalized = true;
      }
      if (normalSpec(fault.spec_) != normal) continue;
    }
    if (fault.version_ && (!version || *fault.version_ != *version)) continue;
    long call = ++fault.seen_;
    bool covered = call >= fault.firstCall_ && (fault.count_ < 0 || call < fault.firstCall_ + fault.count_);
    if (!covered || decided) continue;
    decided = FaultAction{fault.nothing_ ? S_OK : fault.status_, fault.nothing_};
    if (!fault.nothing_ && FAILED(fault.status_) && fault.errorInfo_) {
      platform::setErrorInfo(fault.description_, L"SourceSafe");
    }
  }
  return decided;
}

bool FaultInjector::loadFile(const std::filesystem::path& file, std::wstring* error) {
  // Read as every file the library reads: a FIFO or a device named here
  // fails at once.
  constexpr std::uint64_t kMaxFaultFileSize = std::uint64_t{4} << 20;
  std::wstring fileName = platform::wideFromPath(file);
  std::string text;
  if (!platform::readRegularFile(file, kMaxFaultFileSize, &text).ok()) {
    *error = L"Fault file \"" + fileName + L"\" cannot be read";
    return false;
  }
  std::istringstream in(text);
  std::string bytes;
  long lineNumber = 0;
  std::list<Fault> loaded;
  while (std::getline(in, bytes)) {
    ++lineNumber;
    std::wstring line = platform::utf8ToWide(bytes);
    std::vector<std::wstring> words;
    std::wstring problem;
    auto bad = [&](const std::wstring& reason) {
      *error = L"Fault file \"" + fileName + L"\", line " + std::to_wstring(lineNumber) + L": " + reason;
      return false;
    };
    if (!splitWords(line, &words, &problem)) return bad(problem);
    if (words.empty() || words[0].front() == L'#') continue;
    if (words.size() < 2) return bad(L"expected an operation and a spec");
    Fault fault(words[0], words[1] == L"*" ? L"" : words[1]);
    for (std::size_t i = 2; i < words.size(); ++i) {
      const std::wstring& word = words[i];
      std::size_t equals = word.find(L'=');
      std::wstring key = word.substr(0, equals);
      std::wstring value = equals == std::wstring::npos ? L"" : word.substr(equals + 1);
      long number = 0;
      if (key == L"noinfo" && equals == std::wstring::npos) {
        fault.withoutErrorInfo();
      } else if (key == L"nothing" && equals == std::wstring::npos) {
        fault.handingOutNothing();
      } else if (key == L"status" && parseLong(value, &number)) {
        fault.withStatus(static_cast<HRESULT>(static_cast<std::uint32_t>(number)));
      } else if (key == L"version" && parseLong(value, &number)) {
        fault.onVersion(number);
      } else if (key == L"from" && parseLong(value, &number) && number >= 1) {
        fault.fromCall(number);
      } else if (key == L"times" && value == L"forever") {
        fault.forever();
      } else if (key == L"times" && parseLong(value, &number) && number >= 1) {
        fault.times(number);
      } else if (key == L"description" && equals != std::wstring::npos) {
        fault.withDescription(value);
      } else {
        return bad(L"cannot read \"" + word + L"\"");
      }
    }
    loaded.push_back(std::move(fault));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.splice(faults_.end(), loaded);
  active_ = !faults_.empty();
  return true;
}

bool FaultInjector::loadFromEnvironment(std::wstring* error) {
  const char* file = std::getenv("SSAPI_FAULTS");
  if (!file || !*file) return true;
  return loadFile(file, error);
}

}  // namespace ssapi
