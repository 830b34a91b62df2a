#include "database_fuzz_input.h"

#include <deque>
#include <fstream>
#include <memory>
#include <unordered_set>

#include "model/action_text.h"
#include "model/database.h"
#include "model/queries.h"
#include "native/bytes.h"
#include "native/model_loader.h"

namespace quillgate::fuzz {
namespace {

using namespace ssapi;

// Bounds that keep one input's work small whatever it describes.
constexpr std::size_t kMaxItems = 2000;
constexpr std::size_t kMaxContentBytes = std::size_t{1} << 24;
constexpr std::size_t kMaxReaderFile = std::size_t{1} << 20;

bool lowerLetters(std::string_view text) {
  for (char c : text)
    if (c < 'a' || c > 'z') return false;
  return true;
}

bool databasePath(std::string_view path) {
  if (path == "srcsafe.ini" || path == "data/um.dat" || path == "data/names.dat") return true;
  // data/<l>/<8 letters>[.a|.b]
  if (path.size() != 15 && path.size() != 17) return false;
  if (path.substr(0, 5) != "data/" || path[6] != '/' || !lowerLetters(path.substr(7, 8)) || path[5] != path[7]) {
    return false;
  }
  return path.size() == 15 || path.substr(15) == ".a" || path.substr(15) == ".b";
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string packDatabase(const std::vector<DatabaseFile>& files) {
  std::string packed;
  for (const DatabaseFile& file : files) {
    packed.push_back(static_cast<char>(file.path.size()));
    packed += file.path;
    auto size = static_cast<std::uint32_t>(file.bytes.size());
    for (int i = 0; i < 4; ++i) packed.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    packed += file.bytes;
  }
  return packed;
}

std::size_t fuzzDatabase(std::string_view input, const std::filesystem::path& scratch) {
  std::error_code error;
  std::filesystem::remove_all(scratch, error);
  std::filesystem::create_directories(scratch / "data", error);
  bool ini = false;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t pathLength = static_cast<unsigned char>(input[at++]);
    std::string_view path = input.substr(std::min(at, input.size()), pathLength);
    at += pathLength;
    std::uint32_t length = native::readU32(input, at);
    at += 4;
    if (at > input.size()) break;
    std::string_view bytes = input.substr(at, length);
    at += bytes.size();
    if (!databasePath(path)) continue;
    writeFile(scratch / std::string(path), bytes);
    ini = ini || path == "srcsafe.ini";
  }
  if (!ini) writeFile(scratch / "srcsafe.ini", "Data_Path = data\r\n");

  native::ReaderOptions options;
  options.codePage = "1252";
  options.maxFileSize = kMaxReaderFile;
  options.maxContentSize = kMaxContentBytes / 4;
  // A damaged file is damaged however often it is read: no pauses.
  options.readAttempts = 1;
  std::unique_ptr<native::DatabaseFiles> files;
  if (!native::DatabaseFiles::open(scratch / "srcsafe.ini", options, &files).ok()) return 0;

  // The loader without the password check: the check is fuzzed on its own.
  model::Database db;
  db.timeBase = model::TimeBase::kWriterLocal;
  auto loader = std::make_shared<native::ModelLoader>(std::move(files));
  model::ItemId root = loader->attachRoot(db);
  db.setLoader(loader);

  std::deque<model::ItemId> queue{root};
  std::unordered_set<model::ItemId> seen{root};
  std::size_t contentBytes = 0;
  std::size_t reached = 0;
  while (!queue.empty() && reached < kMaxItems) {
    model::ItemId id = queue.front();
    queue.pop_front();
    ++reached;
    const model::Item& item = db.item(id);
    (void)db.failure(id);
    (void)model::projectSpec(db, id);
    for (std::int32_t v = 1; v <= item.lastVersion(); ++v) {
      const model::Revision* r = db.revision(id, v);
      if (!r) continue;
      (void)model::actionText(db, db.owner(id, v), *r);
      if (item.isProject()) {
        for (const model::Child& child : model::childrenAt(db, id, v, true)) {
          if (seen.insert(child.state->item).second) queue.push_back(child.state->item);
        }
      } else if (contentBytes < kMaxContentBytes) {
        contentBytes += model::contentAt(db, id, v).size();
        (void)db.versionContentFailure(id, v);
      }
    }
    for (const model::EntryRef& link : item.links) {
      if (seen.insert(link.project).second) queue.push_back(link.project);
    }
    if (item.branchSource != model::kNoItem && seen.insert(item.branchSource).second) {
      queue.push_back(item.branchSource);
    }
  }
  (void)model::locate(db, L"$/a/b.txt", model::Want::kLive, true);
  return reached;
}

}  // namespace quillgate::fuzz
