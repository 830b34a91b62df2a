// real_database_bench <srcsafe.ini> [user [password]]
//
// Measures a database kept in SourceSafe's own files against the floor of
// reading every byte of its folder once: opening it, the recursive history
// of "$/" (action and date of every version) and a recursive get of the
// whole tree into a temporary folder (what a patch of the whole tree
// extracts). Each runs in a child process of its own, so that its peak
// memory is its own.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/com_registry.h"
#include "platform/text_encoding.h"
#include "ssapi/library.h"
#include "process_usage.h"
#include "ssapi/ssapi.h"

namespace {

using bench::cpuSeconds;
using bench::peakMegabytes;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace ssapi;
using Db = IVSSDatabaseT<Vss2005>;

struct Settings {
  fs::path ini;
  std::wstring user = L"Admin";
  std::wstring password;
};

bool open(const Settings& settings, ComPtr<Db>* db) {
  installLibrary();
  if (FAILED(CoCreateInstance(CLSID_VSSDatabase, nullptr, CLSCTX_ALL, Db::iid(), reinterpret_cast<void**>(db->put())))) {
    return false;
  }
  return SUCCEEDED((*db)->Open(platform::utf8ToWide(settings.ini.string()), settings.user, settings.password));
}

// Every byte of every file below the database's folder, read once.
bool readEverything(const Settings& settings, std::string* summary) {
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
  std::vector<char> buffer(1 << 16);
  for (const auto& entry : fs::recursive_directory_iterator(settings.ini.parent_path())) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
      bytes += static_cast<std::uint64_t>(in.gcount());
    }
    ++files;
  }
  *summary = std::to_string(files) + " files, " + std::to_string(bytes) + " bytes";
  return files > 0;
}

bool openOnly(const Settings& settings, std::string* summary) {
  ComPtr<Db> db;
  *summary = "opened";
  return open(settings, &db);
}

bool history(const Settings& settings, std::string* summary) {
  ComPtr<Db> db;
  if (!open(settings, &db)) return false;
  ComPtr<IVSSItemT<Vss2005>> root;
  ComPtr<IVSSVersionsT<Vss2005>> versions;
  ComPtr<IUnknown> unknown;
  ComPtr<IEnumVARIANT> enumerator;
  if (FAILED(db->get_VSSItem(L"$/", VARIANT_FALSE, root.put())) ||
      FAILED(root->get_Versions(VSSFLAG_RECURSYES, versions.put())) || FAILED(versions->_NewEnum(unknown.put())) ||
      FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())))) {
    return false;
  }
  std::uint64_t count = 0;
  VARIANT element;
  ULONG fetched = 0;
  while (enumerator->Next(1, &element, &fetched) == S_OK && fetched == 1) {
    ComPtr<IVSSVersionT<Vss2005>> version;
    element.punkVal->QueryInterface(IVSSVersionT<Vss2005>::iid(), reinterpret_cast<void**>(version.put()));
    std::wstring action;
    DATE date = 0;
    if (FAILED(version->get_Action(&action)) || FAILED(version->get_Date(&date))) return false;
    ++count;
  }
  *summary = std::to_string(count) + " history entries";
  return count > 0;
}

bool getTree(const Settings& settings, std::string* summary) {
  ComPtr<Db> db;
  if (!open(settings, &db)) return false;
  ComPtr<IVSSItemT<Vss2005>> root;
  if (FAILED(db->get_VSSItem(L"$/", VARIANT_FALSE, root.put()))) return false;
  fs::path target = fs::temp_directory_path() / ("real-database-bench-" + std::to_string(getpid()));
  std::wstring local = platform::utf8ToWide(target.string());
  HRESULT hr = root->Get(&local, VSSFLAG_RECURSYES | VSSFLAG_REPREPLACE);
  std::uint64_t files = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(target, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file()) ++files;
  }
  fs::remove_all(target, error);
  *summary = std::to_string(files) + " files extracted";
  return SUCCEEDED(hr);
}

int run(const char* name, const std::function<bool(std::string*)>& step) {
  // REAL_DATABASE_BENCH_IN_PROCESS=1 runs every step in this process, for a
  // debugger or a profiler (peak memory is then the highest so far).
  const char* inProcess = std::getenv("REAL_DATABASE_BENCH_IN_PROCESS");
  pid_t child = inProcess && *inProcess == '1' ? 0 : fork();
  if (child == 0) {
    auto start = Clock::now();
    double cpu = cpuSeconds();
    std::string summary;
    bool ok = step(&summary);
    std::printf("%-28s %7.3f s (cpu %7.3f s)  peak %7.1f MB  %s%s\n", name,
                std::chrono::duration<double>(Clock::now() - start).count(), cpuSeconds() - cpu, peakMegabytes(),
                summary.c_str(), ok ? "" : "  FAILED");
    std::fflush(stdout);
    if (inProcess && *inProcess == '1') return ok ? 0 : 1;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: real_database_bench <srcsafe.ini> [user [password]]\n");
    return 2;
  }
  Settings settings;
  settings.ini = argv[1];
  if (argc > 2) settings.user = platform::utf8ToWide(argv[2]);
  if (argc > 3) settings.password = platform::utf8ToWide(argv[3]);
  int failures = 0;
  failures += run("read every byte (floor)", [&](std::string* s) { return readEverything(settings, s); });
  failures += run("open", [&](std::string* s) { return openOnly(settings, s); });
  failures += run("recursive history of $/", [&](std::string* s) { return history(settings, s); });
  failures += run("get of the whole tree", [&](std::string* s) { return getTree(settings, s); });
  return failures == 0 ? 0 : 1;
}
