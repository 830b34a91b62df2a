// Writes a database in the text form: srcsafe.ini, and in its data folder the
// users file, the journal (one change per line, in the order made) and the
// contents. Changes can be streamed, so a generator need not hold them all.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/database.h"
#include "model/operations.h"

namespace ssapi::text {

class TextFormWriter {
 public:
  // Creates folder/srcsafe.ini (Data_Path = data) and folder/data with its
  // users file. Throws std::runtime_error when a file cannot be written.
  TextFormWriter(const std::filesystem::path& folder, const std::vector<model::User>& users);
  ~TextFormWriter();
  TextFormWriter(const TextFormWriter&) = delete;
  TextFormWriter& operator=(const TextFormWriter&) = delete;

  // One journal line; `content` holds the bytes of an add-file or check-in.
  void write(const model::Change& change, const std::string& content = {});
  void finish();

 private:
  std::string contentName(const std::string& content);

  std::filesystem::path data_;
  std::ofstream journal_;
  std::unordered_map<std::string, std::string> names_;    // content -> name, for contents written
  std::unordered_set<std::string> taken_;                 // names used
  bool finished_ = false;
};

// The one line of a change, without its line break.
std::string journalLine(const model::Change& change, const std::string& contentName);

}  // namespace ssapi::text
