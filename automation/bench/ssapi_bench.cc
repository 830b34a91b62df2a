// ssapi_bench [folder] [versions...]
//
// For each size (default 10000 100000 1000000 versions): generates a database
// into <folder>/<size> unless one is there, then in a child process opens it
// through the class registry, as the program does, and reads the recursive
// history of "$/" (action and date of every version). Prints the times and
// the child's peak resident memory.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/com_registry.h"
#include "platform/text_encoding.h"
#include "ssapi/generator.h"
#include "ssapi/library.h"
#include "process_usage.h"
#include "ssapi/ssapi.h"

namespace {

using bench::cpuSeconds;
using bench::peakMegabytes;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

int measure(const fs::path& folder, std::uint64_t size) {
  using namespace ssapi;
  installLibrary();
  ComPtr<IVSSDatabaseT<Vss2005>> db;
  if (FAILED(CoCreateInstance(CLSID_VSSDatabase, nullptr, CLSCTX_ALL, IVSSDatabaseT<Vss2005>::iid(),
                              reinterpret_cast<void**>(db.put())))) {
    std::fprintf(stderr, "cannot create the database object\n");
    return 1;
  }
  double before = peakMegabytes();
  auto start = Clock::now();
  double cpuStart = cpuSeconds();
  if (FAILED(db->Open(platform::utf8ToWide((folder / "srcsafe.ini").string()), L"Admin", L""))) {
    std::fprintf(stderr, "cannot open %s\n", folder.c_str());
    return 1;
  }
  double load = seconds(start);
  double loadCpu = cpuSeconds() - cpuStart;
  double afterLoad = peakMegabytes();

  start = Clock::now();
  cpuStart = cpuSeconds();
  ComPtr<IVSSItemT<Vss2005>> root;
  ComPtr<IVSSVersionsT<Vss2005>> versions;
  ComPtr<IUnknown> unknown;
  ComPtr<IEnumVARIANT> enumerator;
  if (FAILED(db->get_VSSItem(L"$/", VARIANT_FALSE, root.put())) ||
      FAILED(root->get_Versions(VSSFLAG_RECURSYES, versions.put())) || FAILED(versions->_NewEnum(unknown.put())) ||
      FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())))) {
    std::fprintf(stderr, "cannot list the history\n");
    return 1;
  }
  std::uint64_t count = 0;
  std::size_t actionChars = 0;
  double lastDate = 1e300;
  bool ordered = true;
  VARIANT element;
  ULONG fetched = 0;
  while (enumerator->Next(1, &element, &fetched) == S_OK && fetched == 1) {
    ComPtr<IVSSVersionT<Vss2005>> version;
    element.punkVal->QueryInterface(IVSSVersionT<Vss2005>::iid(), reinterpret_cast<void**>(version.put()));
    std::wstring action;
    DATE date = 0;
    version->get_Action(&action);
    version->get_Date(&date);
    actionChars += action.size();
    if (date > lastDate) ordered = false;
    lastDate = date;
    ++count;
  }
  double enumerate = seconds(start);
  double enumerateCpu = cpuSeconds() - cpuStart;
  std::error_code error;
  auto journal = fs::file_size(folder / "data" / "journal.txt", error);
  std::printf("%9llu versions  journal %7.1f MB  load %6.2f s (cpu %6.2f s)  history %8llu entries in %6.2f s "
              "(cpu %6.2f s)%s  peak %7.1f MB (after load %7.1f MB, at start %5.1f MB)\n",
              static_cast<unsigned long long>(size), static_cast<double>(journal) / 1e6, load, loadCpu,
              static_cast<unsigned long long>(count), enumerate, enumerateCpu, ordered ? "" : " (OUT OF ORDER)",
              peakMegabytes(), afterLoad, before);
  return actionChars > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "ssapi-bench";
  std::vector<std::uint64_t> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {10000, 100000, 1000000};

  for (std::uint64_t size : sizes) {
    fs::path database = folder / std::to_string(size);
    if (!fs::exists(database / "srcsafe.ini")) {
      auto start = Clock::now();
      fs::remove_all(database);
      ssapi::GeneratorOptions options;
      options.versions = size;
      auto made = ssapi::generateDatabase(database, options);
      std::printf("generated %llu versions (%llu changes, %llu projects, %llu files) in %.2f s\n",
                  static_cast<unsigned long long>(made.versions), static_cast<unsigned long long>(made.changes),
                  static_cast<unsigned long long>(made.projects), static_cast<unsigned long long>(made.files),
                  seconds(start));
      std::fflush(stdout);
    }
    pid_t child = fork();
    if (child == 0) {
      int code = measure(database, size);
      std::fflush(stdout);
      _exit(code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "measuring %llu versions failed\n", static_cast<unsigned long long>(size));
      return 1;
    }
  }
  return 0;
}
