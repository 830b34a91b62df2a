// A whole small database as one fuzz input, for the loader that turns
// SourceSafe's files into the model: a list of files, each a path and its
// bytes, written into a scratch folder, opened, and walked through
// everything a command could ask (every item reached, every project version's
// children, every file version's content, every action text).
//
// Layout: repeated { u8 path length, path, u32 length, bytes }. Only the
// paths a database holds are written: "srcsafe.ini", "data/um.dat",
// "data/names.dat" and "data/<letter>/<8 letters>" with ".a" or ".b" or no
// extension, all in lower case; others are skipped. Without a srcsafe.ini
// one naming "data" is written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillgate::fuzz {

struct DatabaseFile {
  std::string path;
  std::string bytes;
};

// Encodes files into the layout above (for seeds).
std::string packDatabase(const std::vector<DatabaseFile>& files);

// Writes the input's database into `scratch` (emptied first) and walks it.
// Returns how many items were reached.
std::size_t fuzzDatabase(std::string_view input, const std::filesystem::path& scratch);

}  // namespace quillgate::fuzz
