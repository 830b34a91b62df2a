// What a patch promises, checked from the outside: the tree of a project as
// it stood at a time, read straight from the automation interfaces, and a
// small receiver that applies a patch document to such a tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "platform/com.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "platform/variant.h"
#include "ssapi/ssapi.h"
#include "support/patch_receiver.h"
#include "support/temp_dir.h"
#include "util/java_time.h"

namespace patchtest {

// Directory specs and file contents by spec.
struct Tree {
  std::set<std::wstring> dirs;
  std::map<std::wstring, std::string> files;

  friend bool operator==(const Tree&, const Tree&) = default;
};

inline std::string describe(const Tree& tree) {
  std::string text;
  for (const std::wstring& dir : tree.dirs) text += "  dir  " + platform::wideToUtf8(dir) + "\n";
  for (const auto& [spec, content] : tree.files)
    text += "  file " + platform::wideToUtf8(spec) + " = \"" + content + "\"\n";
  return text;
}

inline std::ostream& operator<<(std::ostream& out, const Tree& tree) { return out << "\n" << describe(tree); }

namespace detail {

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The item as it stood at the time (javatime millis); null when it did not
// exist yet. Everything reached from it stands at that time too.
template <class G>
ComPtr<ssapi::IVSSItemT<G>> asOf(const ComPtr<ssapi::IVSSItemT<G>>& item, std::int64_t millis) {
  ComPtr<ssapi::IVSSItemT<G>> at;
  if (FAILED(item->get_Version(Variant::fromDate(util::JavaTime::fromMillis(millis).asOfDate()), at.put()))) {
    return nullptr;
  }
  return at;
}

template <class G>
void collect(const ComPtr<ssapi::IVSSItemT<G>>& timed, const std::filesystem::path& scratch, Tree* tree) {
  if (!timed) return;
  std::wstring spec;
  timed->get_Spec(&spec);
  int type = ssapi::VSSITEM_FILE;
  timed->get_Type(&type);
  if (type == ssapi::VSSITEM_FILE) {
    std::wstring local = (scratch / ("f" + std::to_string(tree->files.size()))).wstring();
    if (SUCCEEDED(timed->Get(&local, ssapi::VSSFLAG_REPREPLACE))) tree->files[spec] = readBytes(local);
    return;
  }
  tree->dirs.insert(spec);
  ComPtr<ssapi::IVSSItemsT<G>> children;
  if (FAILED(timed->get_Items(VARIANT_FALSE, children.put())) || !children) return;
  LONG count = 0;
  children->get_Count(&count);
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ssapi::IVSSItemT<G>> child;
    if (SUCCEEDED(children->get_Item(Variant(i), child.put())) && child) collect<G>(child, scratch, tree);
  }
}

inline bool isUnder(const std::wstring& path, const std::wstring& base) {
  return base.empty() || path == base || (path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
                                          path[base.size()] == L'/');
}

}  // namespace detail

// The project at spec as it stood at the time (javatime millis), read from
// the database; content of each file from the version current at the time.
template <class G>
Tree treeAt(const ComPtr<ssapi::IVSSDatabaseT<G>>& database, const std::wstring& spec, std::int64_t millis) {
  Tree tree;
  ComPtr<ssapi::IVSSItemT<G>> item;
  if (FAILED(database->get_VSSItem(spec, VARIANT_FALSE, item.put())) || !item) return tree;
  testsupport::TempDir scratch;
  auto timed = detail::asOf<G>(item, millis);
  VARIANT_BOOL deleted = VARIANT_FALSE;
  if (timed && SUCCEEDED(timed->get_Deleted(&deleted)) && !deleted) detail::collect<G>(timed, scratch.path(), &tree);
  platform::clearErrorInfo();
  return tree;
}

// Applies the entries of a patch document in order, as a receiver would:
// "add" places the content of the named local file, "add-dir" makes the
// directory, "delete" removes the file, "delete-dir" removes the path with
// everything below it (the empty spec: everything).
inline void applyPatch(const std::wstring& document, Tree* tree) {
  using Kind = reference::PatchEntry::Kind;
  for (const reference::PatchEntry& entry : reference::patchEntries(document)) {
    const std::wstring& spec = entry.spec;
    if (entry.kind == Kind::kAdd) {
      tree->files[spec] = detail::readBytes(platform::wideToUtf8(entry.file));
    } else if (entry.kind == Kind::kAddDir) {
      tree->dirs.insert(spec);
    } else if (entry.kind == Kind::kDelete) {
      tree->files.erase(spec);
    } else {
      std::erase_if(tree->dirs, [&](const std::wstring& dir) { return detail::isUnder(dir, spec); });
      std::erase_if(tree->files, [&](const auto& file) { return detail::isUnder(file.first, spec); });
    }
  }
}

}  // namespace patchtest
