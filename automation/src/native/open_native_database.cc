#include "native/open_native_database.h"

#include <fmt/xchar.h>

#include <exception>
#include <new>

#include "model/names.h"
#include "native/model_loader.h"
#include "native/file_access.h"
#include "platform/text_encoding.h"

namespace ssapi::native {

namespace {

Status openWhole(const std::filesystem::path& ini, const std::wstring& user, const std::wstring& password,
                 const ReaderOptions& options, OpenedDatabase* opened) {
  std::unique_ptr<DatabaseFiles> files;
  if (Status status = DatabaseFiles::open(ini, options, &files); !status.ok()) return status;
  std::vector<UserRecord> users;
  if (Status status = files->readUsers(&users); !status.ok()) return status;
  if (Status status = files->checkLogin(users, user, password); !status.ok()) return status;

  auto db = std::make_shared<model::Database>();
  db->timeBase = model::TimeBase::kWriterLocal;
  for (const UserRecord& record : users) {
    std::wstring name = files->decode(record.name);
    if (model::sameName(name, user)) opened->user = name;
    db->users.push_back({std::move(name), {}, {}});
  }
  const DataFolder& data = files->dataFolder();
  std::wstring notice;
  if (data.fellBack) {
    notice = fmt::format(L"Data_Path \"{}\" does not exist on this machine; using \"{}\" instead", data.configured,
                         displayPath(data.path));
  }

  auto loader = std::make_shared<ModelLoader>(std::move(files));
  model::ItemId root = loader->attachRoot(*db);
  db->setLoader(loader);
  // A database whose root project cannot be read is no database.
  if (const model::LoadFailure* failure = db->failure(root)) return Status{failure->code, failure->description};
  opened->db = std::move(db);
  opened->notice = std::move(notice);
  opened->loader = std::move(loader);
  return success();
}

}  // namespace

// No exception leaves the library: what opening throws becomes a status.
Status openNativeDatabase(const std::filesystem::path& ini, const std::wstring& user, const std::wstring& password,
                          const ReaderOptions& options, OpenedDatabase* opened) {
  try {
    return openWhole(ini, user, password, options, opened);
  } catch (const std::bad_alloc&) {
    return failure(E_OUTOFMEMORY, fmt::format(L"Not enough memory to open \"{}\"", displayPath(ini)));
  } catch (const std::exception& thrown) {
    return failure(E_FAIL, fmt::format(L"Opening \"{}\" failed: {}", displayPath(ini), platform::utf8ToWide(thrown.what())));
  }
}

}  // namespace ssapi::native
