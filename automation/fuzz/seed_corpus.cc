// Writes fuzz seeds made from the files of real databases: every item file
// with its data file, every check-in's delta with the version it applies
// to, and each database's names.dat, um.dat, project data files and
// srcsafe.ini; and for the loader's target, each database whole (or its
// first items, for a large one).
// Usage: native_seed_corpus <folder of databases> <seed folder> [<database seed folder>]
#include <algorithm>
#include <cstdio>
#include <vector>
#include <filesystem>
#include <fstream>
#include <string>

#include "database_fuzz_input.h"
#include "fuzz_input.h"
#include "native/database_files.h"
#include "native/file_access.h"
#include "native/record.h"
#include "platform/text_encoding.h"

namespace {

using namespace ssapi::native;
using namespace quillgate::fuzz;
using quillgate::fuzz::DatabaseFile;

constexpr std::size_t kMaxSeed = std::size_t{1} << 20;
constexpr std::size_t kMaxDatabaseSeed = 256 * 1024;  // the loader target's -max_len

std::string lengthPrefix(std::string_view part) {
  std::string bytes(4, '\0');
  auto size = static_cast<std::uint32_t>(part.size());
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  return bytes + std::string(part);
}

class SeedWriter {
 public:
  explicit SeedWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}
  void write(const std::string& name, Target target, std::string_view bytes) {
    if (bytes.size() + 1 > kMaxSeed) return;
    std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
    out.put(static_cast<char>(target));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ++count_;
  }
  int count() const { return count_; }

 private:
  std::filesystem::path folder_;
  int count_ = 0;
};

std::string readOrEmpty(const std::filesystem::path& path) {
  std::string bytes;
  (void)readFileBytes(path, kMaxSeed, &bytes);
  return bytes;
}

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void seedDatabase(const std::filesystem::path& folder, SeedWriter& seeds) {
  std::string db = folder.filename().string();
  std::unique_ptr<DatabaseFiles> files;
  ReaderOptions options;
  options.codePage = "1252";
  Status status = DatabaseFiles::open(folder / "srcsafe.ini", options, &files);
  if (!status.ok()) {
    std::fprintf(stderr, "%s: %s\n", db.c_str(), platform::wideToUtf8(status.description).c_str());
    return;
  }
  seeds.write(db + "-srcsafe.ini", kSrcSafeIni, readOrEmpty(folder / "srcsafe.ini"));
  const std::filesystem::path& data = files->dataFolder().path;
  seeds.write(db + "-names.dat", kNamesFile, readOrEmpty(data / "names.dat"));
  seeds.write(db + "-um.dat", kUsersFile, readOrEmpty(data / "um.dat"));
  std::vector<std::string> physicals;
  if (!files->listItemFiles(&physicals).ok()) return;
  for (const std::string& physical : physicals) {
    ItemFile item;
    if (!files->readItem(physical, &item).ok()) continue;
    std::string name = lower(physical);
    std::filesystem::path dataFile =
        data / name.substr(0, 1) / (name + "." + lower(std::string(1, item.header.dataExtension)));
    std::string current = readOrEmpty(dataFile);
    seeds.write(db + "-item-" + name, kItemFile, lengthPrefix(item.bytes) + current);
    if (item.header.isProject()) {
      seeds.write(db + "-entries-" + name, kProjectEntries, current);
      continue;
    }
    (void)files->walkVersions(item, 1, [&](std::int32_t version, const std::string& content) {
      const HistoryRecord* record = item.record(version);
      Record delta;
      if (record && record->action == ActionCode::kCheckIn &&
          readRecord(item.bytes, record->deltaOffset, item.header.eofOffset, "FD", item.path, &delta).ok()) {
        seeds.write(db + "-delta-" + name + "-" + std::to_string(version), kDelta,
                    lengthPrefix(content) + std::string(delta.body));
      }
      return true;
    });
  }
}

// The database as the loader's target reads it: srcsafe.ini, um.dat,
// names.dat and item files with their data files, as many as fit.
void seedWholeDatabase(const std::filesystem::path& folder, const std::filesystem::path& seedFolder) {
  std::vector<DatabaseFile> files;
  std::size_t total = 0;
  auto add = [&](const std::filesystem::path& path, std::string name) {
    std::string bytes = readOrEmpty(path);
    if (bytes.empty() || total + bytes.size() + name.size() + 5 > kMaxDatabaseSeed) return;
    total += bytes.size() + name.size() + 5;
    files.push_back({std::move(name), std::move(bytes)});
  };
  add(folder / "srcsafe.ini", "srcsafe.ini");
  add(folder / "data" / "um.dat", "data/um.dat");
  add(folder / "data" / "names.dat", "data/names.dat");
  std::vector<std::filesystem::path> items;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder / "data", error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    bool letters = name.size() >= 8 && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz") >= 8;
    bool itemOrData = name.size() == 8 || (name.size() == 10 && name[8] == '.');
    if (it->is_regular_file() && letters && itemOrData) items.push_back(it->path());
  }
  std::sort(items.begin(), items.end());  // the root project, aaaaaaaa, first
  for (const std::filesystem::path& item : items) {
    std::string name = item.filename().string();
    add(item, "data/" + name.substr(0, 1) + "/" + name);
  }
  std::ofstream out(seedFolder / (folder.filename().string() + "-database"), std::ios::binary | std::ios::trunc);
  std::string packed = packDatabase(files);
  out.write(packed.data(), static_cast<std::streamsize>(packed.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s <folder of databases> <seed folder> [<database seed folder>]\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(argv[2]);
  SeedWriter seeds(argv[2]);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) {
    if (!std::filesystem::exists(entry.path() / "srcsafe.ini")) continue;
    seedDatabase(entry.path(), seeds);
    if (argc == 4) {
      std::filesystem::create_directories(argv[3]);
      seedWholeDatabase(entry.path(), argv[3]);
    }
  }
  std::printf("%d seeds written to %s\n", seeds.count(), argv[2]);
  return 0;
}
