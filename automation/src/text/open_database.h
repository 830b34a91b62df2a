// Opening a database written in the text form: srcsafe.ini, whose Data_Path
// names the data folder, and in it users.txt, journal.txt and contents/.
// Loading replays the journal through the model's operations, so a database
// is either loaded whole or not at all.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "model/database.h"
#include "platform/hresult.h"

namespace ssapi::text {

struct OpenError {
  HRESULT code = S_OK;
  std::wstring description;
};

// Reads the ini, checks the user and the password, loads the journal.
bool openDatabase(const std::filesystem::path& ini, const std::wstring& user, const std::wstring& password,
                  std::shared_ptr<model::Database>* db, OpenError* error);

// The data folder named by an ini file (Data_Path, relative to the ini's folder).
bool readDataPath(const std::filesystem::path& ini, std::filesystem::path* dataFolder, OpenError* error);

}  // namespace ssapi::text
