// Opening a database kept in SourceSafe's own files: srcsafe.ini, the user
// list with its password check, and the root project. Everything else is
// read when it is first used (see ModelLoader).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "model/database.h"
#include "native/database_files.h"
#include "native/status.h"

namespace ssapi::native {

class ModelLoader;

struct OpenedDatabase {
  std::shared_ptr<model::Database> db;
  std::wstring user;    // as the database spells it
  std::wstring notice;  // something the caller should hear about, e.g. a data folder found elsewhere
  std::shared_ptr<const ModelLoader> loader;  // what it has read so far, for tests and tools
};

Status openNativeDatabase(const std::filesystem::path& ini, const std::wstring& user, const std::wstring& password,
                          const ReaderOptions& options, OpenedDatabase* opened);

}  // namespace ssapi::native
