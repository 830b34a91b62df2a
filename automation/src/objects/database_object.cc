#include "model/names.h"
#include "model/queries.h"
#include "objects/objects.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "native/open_native_database.h"
#include "text/open_database.h"

namespace ssapi::objects {

namespace {

// The text form keeps a journal and its users in its data folder; anything else is taken
// for SourceSafe's own files, whose reader also copes with a data folder
// named by a Windows path that is not on this machine.
bool holdsTextForm(const std::filesystem::path& ini) {
  std::filesystem::path data;
  text::OpenError error;
  if (!text::readDataPath(ini, &data, &error)) return error.code != ESS_DATABASE_NOT_FOUND;
  std::error_code ignored;
  return std::filesystem::exists(data / "journal.txt", ignored) || std::filesystem::exists(data / "users.txt", ignored);
}

}  // namespace

template <class G>
HRESULT DatabaseObject<G>::requireOpen() const {
  if (session_) return S_OK;
  return fail(E_UNEXPECTED, L"The SourceSafe database is not open");
}

template <class G>
HRESULT DatabaseObject<G>::Open(const std::wstring& srcSafeIni, const std::wstring& user,
                                const std::wstring& password) {
  // An in-process database keeps the faults its builder gave it; one created
  // through the class registry takes them from the environment.
  std::shared_ptr<FaultInjector> faults = session_ ? session_->faults : nullptr;
  if (!faults) {
    auto fromEnvironment = std::make_shared<FaultInjector>();
    std::wstring error;
    if (!fromEnvironment->loadFromEnvironment(&error)) return fail(E_INVALIDARG, error);
    if (!fromEnvironment->empty()) faults = std::move(fromEnvironment);
  }
  if (faults && !faults->empty()) {
    if (auto f = faults->check(L"Open", L"$/", std::nullopt)) return f->status;
  }

  std::filesystem::path ini = platform::pathFromWide(srcSafeIni);
  auto session = std::make_shared<Session>();
  if (holdsTextForm(ini)) {
    std::shared_ptr<model::Database> db;
    text::OpenError error;
    if (!text::openDatabase(ini, user, password, &db, &error)) return fail(error.code, error.description);
    session->db = std::move(db);
    session->user = session->db->findUser(user)->name;
  } else {
    native::OpenedDatabase opened;
    native::Status status = native::openNativeDatabase(ini, user, password, native::ReaderOptions{}, &opened);
    if (!status.ok()) return fail(status.code, status.description);
    // The library has no log of its own; a database that moved is worth a line.
    if (!opened.notice.empty()) platform::printConsoleError(L"SourceSafe: " + opened.notice + L"\n");
    session->db = std::move(opened.db);
    session->user = opened.user;
  }
  session->faults = std::move(faults);
  session->iniPath = srcSafeIni;
  session_ = std::move(session);
  return S_OK;
}

template <class G>
HRESULT DatabaseObject<G>::get_SrcSafeIni(std::wstring* path) {
  if (!path) return nullArgument();
  if (HRESULT hr = requireOpen(); FAILED(hr)) return hr;
  if (auto f = session_->fault(L"get_SrcSafeIni", L"$/")) {
    path->clear();
    return f->status;
  }
  *path = session_->iniPath;
  return S_OK;
}

template <class G>
HRESULT DatabaseObject<G>::get_Username(std::wstring* user) {
  if (!user) return nullArgument();
  if (HRESULT hr = requireOpen(); FAILED(hr)) return hr;
  if (auto f = session_->fault(L"get_Username", L"$/")) {
    user->clear();
    return f->status;
  }
  *user = session_->user;
  return S_OK;
}

template <class G>
HRESULT DatabaseObject<G>::get_CurrentProject(std::wstring* spec) {
  if (!spec) return nullArgument();
  if (HRESULT hr = requireOpen(); FAILED(hr)) return hr;
  if (auto f = session_->fault(L"get_CurrentProject", L"$/")) {
    spec->clear();
    return f->status;
  }
  *spec = session_->currentProject;
  return S_OK;
}

template <class G>
HRESULT DatabaseObject<G>::put_CurrentProject(const std::wstring& spec) {
  if (HRESULT hr = requireOpen(); FAILED(hr)) return hr;
  if (auto f = session_->fault(L"put_CurrentProject", spec)) return f->status;
  model::LocateError error = model::LocateError::kNone;
  auto found = model::locate(*session_->db, spec, model::Want::kLive, false, &error);
  if (error == model::LocateError::kSyntax) return fail(ESS_SSPEC_SYNTAX, L"Invalid SourceSafe syntax: \"" + spec + L"\"");
  if (!found) return fail(ESS_VS_NOT_FOUND, L"File or project not found");
  if (!session_->db->item(found->item).isProject()) return fail(ESS_VS_WANT_PRJ, L"This command only works on projects.");
  session_->currentProject = model::joinSpec(*model::splitSpec(spec));
  return S_OK;
}

template <class G>
HRESULT DatabaseObject<G>::get_VSSItem(const std::wstring& spec, VARIANT_BOOL deleted, IVSSItemT<G>** item) {
  if (!item) return nullArgument();
  *item = nullptr;
  if (HRESULT hr = requireOpen(); FAILED(hr)) return hr;
  if (auto f = session_->fault(L"get_VSSItem", spec)) return f->status;
  const model::Database& db = *session_->db;
  bool wantDeleted = deleted != VARIANT_FALSE;
  model::LocateError error = model::LocateError::kNone;
  auto found = model::locate(db, spec, wantDeleted ? model::Want::kDeletedFirst : model::Want::kLive, wantDeleted, &error);
  if (error == model::LocateError::kSyntax) return fail(ESS_SSPEC_SYNTAX, L"Invalid SourceSafe syntax: \"" + spec + L"\"");
  if (!found) return fail(ESS_VS_NOT_FOUND, L"File or project not found");

  ItemRef ref;
  ref.item = found->item;
  ref.moment = model::Moment::now();
  ref.entry = found->entry;
  ref.deleted = found->deleted;
  // The spec keeps the caller's spelling of each component, as the real library does.
  std::vector<std::wstring> spelled = *model::splitSpec(spec);
  ref.spec = model::joinSpec(spelled);
  ref.name = db.text(found->name);
  if (ref.entry.project == model::kNoItem) {
    ref.version = db.item(ref.item).lastVersion();
  } else {
    ref.version = model::currentVersion(db, db.item(ref.entry.project).entries[static_cast<std::size_t>(ref.entry.slot)].current());
  }
  return handOut(new ItemObject<G>(session_, std::move(ref)), item);
}

template class DatabaseObject<Vss60>;
template class DatabaseObject<Vss2005>;

}  // namespace ssapi::objects
