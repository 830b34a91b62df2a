#include "objects/local_get.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "model/names.h"
#include "model/queries.h"
#include "objects/item_tree.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"

namespace ssapi::objects {
namespace {

namespace fs = std::filesystem;

struct Plan {
  std::vector<fs::path> folders;
  std::vector<std::pair<fs::path, const std::string*>> files;
};

fs::path toPath(const std::wstring& text) { return platform::pathFromWide(text); }
std::wstring toText(const fs::path& path) { return platform::wideFromPath(path); }

// Names that would leave the folder or not be one file name.
bool safeName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c == L'/' || c == L'\\' || c < 0x20 || c == 0x7F) return false;
  return true;
}

// A content that could not be rebuilt fails the get before anything is written.
HRESULT unreadable(const model::Database& db, const ItemRef& item) {
  if (const model::LoadFailure* failure = db.failure(item.item)) return fail(failure->code, failure->description);
  if (const model::LoadFailure* failure = db.versionContentFailure(item.item, item.version)) {
    return fail(failure->code, failure->description);
  }
  return S_OK;
}

HRESULT unsafe(const ItemRef& item) {
  return fail(ESS_SSPEC_SYNTAX, L"Invalid SourceSafe syntax: \"" + item.spec + L"\"");
}

HRESULT planTree(const model::Database& db, const ItemRef& project, const fs::path& folder, bool recursive,
                 Plan* plan) {
  plan->folders.push_back(folder);
  std::vector<ItemRef> children;
  if (HRESULT hr = childRefs(db, project, false, &children); FAILED(hr)) return hr;
  for (const ItemRef& child : children) {
    if (!safeName(child.name)) return unsafe(child);
    const model::Item& it = db.item(child.item);
    if (it.isProject()) {
      if (!recursive) continue;
      if (HRESULT hr = unreadable(db, child); FAILED(hr)) return hr;
      HRESULT hr = planTree(db, child, folder / toPath(child.name), recursive, plan);
      if (FAILED(hr)) return hr;
    } else {
      if (HRESULT hr = unreadable(db, child); FAILED(hr)) return hr;
      plan->files.emplace_back(folder / toPath(child.name), &model::contentAt(db, child.item, child.version));
    }
  }
  return S_OK;
}

HRESULT writeFile(const fs::path& path, const std::string& content, long flags) {
  std::error_code error;
  if (fs::exists(path, error)) {
    long replace = flags & VSSFLAG_REPSKIP;
    if (replace == VSSFLAG_REPSKIP) return S_OK;
    if (replace != VSSFLAG_REPREPLACE || fs::is_directory(path, error)) {
      return fail(ESS_FILE_ACCESSDENIED, L"Access to file \"" + toText(path) + L"\" denied");
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return fail(ESS_FILE_ACCESSDENIED, L"Access to file \"" + toText(path) + L"\" denied");
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) return fail(ESS_FILE_WRITE, L"Error writing to file");
  return S_OK;
}

}  // namespace

std::wstring workingFolder(const Session& session, const ItemRef& item) {
  const model::Database& db = *session.db;
  bool project = db.item(item.item).isProject();
  std::wstring projectSpec = project ? item.spec : model::parentSpec(item.spec);
  auto found = session.workingFolders.find(model::foldName(projectSpec));
  if (found == session.workingFolders.end()) return L"";
  if (project) return found->second;
  return toText(toPath(found->second) / toPath(item.name));
}

HRESULT getToLocal(const Session& session, const ItemRef& item, std::wstring* local, long flags) {
  const model::Database& db = *session.db;
  std::wstring target = local->empty() ? workingFolder(session, item) : *local;
  if (target.empty()) return fail(E_INVALIDARG, L"No working folder is set for " + item.spec);
  fs::path path = toPath(target);

  if (!db.item(item.item).isProject()) {
    if (HRESULT hr = unreadable(db, item); FAILED(hr)) return hr;
    HRESULT hr = writeFile(path, model::contentAt(db, item.item, item.version), flags);
    if (FAILED(hr)) return hr;
    *local = target;
    return S_OK;
  }

  Plan plan;
  HRESULT hr = planTree(db, item, path, (flags & VSSFLAG_RECURSYES) != 0, &plan);
  if (FAILED(hr)) return hr;
  for (const fs::path& folder : plan.folders) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
      return fail(ESS_FILE_ACCESSDENIED, L"Access to file \"" + toText(folder) + L"\" denied");
    }
  }
  for (const auto& [file, content] : plan.files) {
    hr = writeFile(file, *content, flags);
    if (FAILED(hr)) return hr;
  }
  *local = target;
  return S_OK;
}

}  // namespace ssapi::objects
