#include "support/patch_receiver.h"

#include <fstream>
#include <iterator>

#include "platform/text_encoding.h"

namespace reference {
namespace {

std::wstring unescape(const std::wstring& text) {
  std::wstring result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      bool known = false;
      for (auto [entity, c] : {std::pair{L"&amp;", L'&'}, {L"&quot;", L'"'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}}) {
        std::wstring e = entity;
        if (text.compare(i, e.size(), e) == 0) {
          result += c;
          i += e.size() - 1;
          known = true;
          break;
        }
      }
      if (known) continue;
    }
    result += text[i];
  }
  return result;
}

std::wstring attribute(const std::wstring& line, const std::wstring& name) {
  const std::wstring key = name + L"=\"";
  std::size_t start = line.find(key);
  if (start == std::wstring::npos) return L"";
  start += key.size();
  return unescape(line.substr(start, line.find(L'"', start) - start));
}

bool under(const std::wstring& path, const std::wstring& base) {
  return base.empty() || path == base || (path.size() > base.size() && path.starts_with(base) && path[base.size()] == L'/');
}

std::wstring parentOf(const std::wstring& path) {
  std::size_t slash = path.rfind(L'/');
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

}  // namespace

std::vector<PatchEntry> patchEntries(const std::wstring& document) {
  std::vector<PatchEntry> entries;
  std::size_t start = 0;
  while (start < document.size()) {
    std::size_t end = document.find(L'\n', start);
    if (end == std::wstring::npos) end = document.size();
    const std::wstring line = document.substr(start, end - start);
    start = end + 1;
    PatchEntry entry;
    if (line.starts_with(L"   <add spec=")) {
      entry.kind = PatchEntry::Kind::kAdd;
      entry.file = attribute(line, L"file");
    } else if (line.starts_with(L"   <add-dir spec=")) {
      entry.kind = PatchEntry::Kind::kAddDir;
    } else if (line.starts_with(L"   <delete spec=")) {
      entry.kind = PatchEntry::Kind::kDelete;
    } else if (line.starts_with(L"   <delete-dir spec=")) {
      entry.kind = PatchEntry::Kind::kDeleteDir;
    } else {
      continue;
    }
    entry.spec = attribute(line, L"spec");
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> applyPatch(const std::wstring& document, const std::wstring& projectSpec, Tree* tree) {
  std::vector<std::string> problems;
  auto problem = [&](const std::string& what, const std::wstring& spec) {
    problems.push_back(what + " " + platform::wideToUtf8(spec));
  };
  const std::wstring prefix = projectSpec == L"$/" ? L"$/" : projectSpec + L"/";
  for (const PatchEntry& entry : patchEntries(document)) {
    std::wstring path;
    if (entry.kind == PatchEntry::Kind::kDeleteDir && entry.spec.empty()) {
      tree->folders.clear();
      tree->files.clear();
      continue;
    }
    if (entry.spec == projectSpec) {
      path.clear();
    } else if (entry.spec.starts_with(prefix)) {
      path = entry.spec.substr(prefix.size());
    } else {
      problem("outside the project:", entry.spec);
      continue;
    }
    const std::wstring parent = parentOf(path);
    const bool parentThere = parent.empty() || tree->folders.count(parent);
    switch (entry.kind) {
      case PatchEntry::Kind::kAdd: {
        if (!parentThere) problem("add into a missing folder:", entry.spec);
        if (tree->folders.count(path)) problem("add over a folder:", entry.spec);
        std::ifstream in(platform::wideToUtf8(entry.file), std::ios::binary);
        if (!in) problem("add of a missing local file:", entry.file);
        tree->files[path] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        break;
      }
      case PatchEntry::Kind::kAddDir:
        if (path.empty()) break;  // the project's own folder
        if (!parentThere) problem("folder in a missing folder:", entry.spec);
        if (tree->files.count(path)) problem("folder over a file:", entry.spec);
        tree->folders.insert(path);
        break;
      case PatchEntry::Kind::kDelete:
        if (!tree->files.erase(path)) problem("delete of a missing file:", entry.spec);
        break;
      case PatchEntry::Kind::kDeleteDir: {
        if (!path.empty() && !tree->folders.count(path)) problem("delete-dir of a missing folder:", entry.spec);
        std::erase_if(tree->folders, [&](const std::wstring& folder) { return under(folder, path); });
        std::erase_if(tree->files, [&](const auto& file) { return under(file.first, path); });
        break;
      }
    }
  }
  return problems;
}

}  // namespace reference
