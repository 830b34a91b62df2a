#include "native_database_builder.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "native/crc.h"
#include "native/physical_name.h"
#include "native/users_file.h"
#include "platform/ole_date.h"
#include "platform/time_zone.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kCfOffset = 0x1A0;
constexpr std::size_t kShortNameLimit = 33;

// Action codes as SourceSafe stores them.
enum : std::uint16_t {
  kLabel = 0,
  kCreateProject = 1,
  kAddProject = 2,
  kAddFile = 3,
  kDestroyProject = 4,
  kDestroyFile = 5,
  kDeleteProject = 6,
  kDeleteFile = 7,
  kRecoverProject = 8,
  kRecoverFile = 9,
  kRenameProject = 10,
  kRenameFile = 11,
  kMoveFrom = 12,
  kMoveTo = 13,
  kShareFile = 14,
  kBranchFile = 15,
  kCreateFile = 16,
  kCheckIn = 17,
  kCreateBranch = 19,
  kArchiveFile = 22,
  kArchiveProject = 23,
  kRestoreFile = 24,
  kRestoreProject = 25,
};

// Windows-1252 for the Latin-1 range, which is all the tests use.
std::string ansi(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    if (c > 0xFF) throw std::logic_error("NativeDatabaseBuilder: a name outside Latin-1");
    bytes += static_cast<char>(static_cast<unsigned char>(c));
  }
  return bytes;
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool sameName(const std::string& a, const std::string& b) { return lowerAscii(a) == lowerAscii(b); }

// "$/a/b" → {"a", "b"}; "$/" and "$" → {}.
std::vector<std::string> components(const std::wstring& spec) {
  std::string text = ansi(spec);
  if (text.rfind("$", 0) != 0) throw std::logic_error("NativeDatabaseBuilder: not a spec: " + text);
  std::vector<std::string> parts;
  std::size_t at = 1;
  while (at < text.size()) {
    if (text[at] == '/') {
      ++at;
      continue;
    }
    std::size_t end = text.find('/', at);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(at, end - at));
    at = end;
  }
  return parts;
}

std::wstring parentOf(const std::wstring& spec) {
  std::size_t slash = spec.find_last_of(L'/');
  if (slash == std::wstring::npos || slash <= 1) return L"$/";
  return spec.substr(0, slash);
}

std::string childSpec(const std::string& project, const std::string& name) {
  return project == "$/" ? "$/" + name : project + "/" + name;
}

// Seconds of this process's wall clock at a UTC instant, counted as if they
// were UTC: what a SourceSafe client stores.
std::uint32_t wallClock(std::int64_t utc) {
  platform::SystemTime local;
  platform::localTimeOf(utc, &local);
  return static_cast<std::uint32_t>(platform::daysFromCivil(local.year, local.month, local.day) * 86400 +
                                    local.hour * 3600 + local.minute * 60 + local.second);
}

// The name as it fits the 34-byte field: no spaces, no leading dot, 33 bytes.
bool fitsShortField(const std::string& name) {
  return name.size() <= kShortNameLimit && name.find(' ') == std::string::npos && (name.empty() || name[0] != '.');
}

std::string mangled(std::string name) {
  if (!name.empty() && name[0] == '.') name.erase(0, 1);
  std::replace(name.begin(), name.end(), ' ', '_');
  if (name.size() > kShortNameLimit) name.resize(kShortNameLimit);
  return name;
}

// The delta SourceSafe keeps with a check-in: it turns the new content back
// into the old one, copying what the two share at their ends.
std::string reverseDelta(const std::string& newer, const std::string& older) {
  std::size_t prefix = 0;
  while (prefix < newer.size() && prefix < older.size() && newer[prefix] == older[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < newer.size() - prefix && suffix < older.size() - prefix &&
         newer[newer.size() - 1 - suffix] == older[older.size() - 1 - suffix]) {
    ++suffix;
  }
  std::string ops;
  if (prefix > 0) ops += copyOp(0, static_cast<std::uint32_t>(prefix));
  std::string middle = older.substr(prefix, older.size() - prefix - suffix);
  if (!middle.empty()) ops += insertOp(middle);
  if (suffix > 0) ops += copyOp(static_cast<std::uint32_t>(newer.size() - suffix), static_cast<std::uint32_t>(suffix));
  return ops + stopOp();
}

}  // namespace

NativeDatabaseBuilder::Item::Item(bool isProject, std::uint16_t firstVersion)
    : project(isProject), file(isProject ? ItemFileBuilder::kProject : ItemFileBuilder::kFile, firstVersion) {}

NativeDatabaseBuilder::NativeDatabaseBuilder() {
  std::string root = allocate(true);
  item(root).nameField = nameField("", true);
  // The root's creation names neither the root nor its physical name.
  item(root).file.addHistory(recordBody(kCreateProject));
  finishChange();
}

NativeDatabaseBuilder& NativeDatabaseBuilder::at(std::int64_t utcSeconds) {
  next_ = utcSeconds;
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::by(const std::wstring& user) {
  user_ = ansi(user);
  bool known = std::any_of(users_.begin(), users_.end(), [&](const std::string& u) { return sameName(u, user_); });
  if (!known) users_.push_back(user_);
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::withComment(const std::wstring& comment) {
  comment_ = ansi(comment);
  return *this;
}

void NativeDatabaseBuilder::finishChange() {
  ++next_;
  comment_.reset();
}

std::string NativeDatabaseBuilder::allocate(bool project, std::uint16_t firstVersion) {
  std::string physical = ssapi::native::physicalNameOf(nextNumber_++);
  Item fresh(project, firstVersion);
  if (project) {
    fresh.rightsOffset = nextRights_;
    nextRights_ += 148;
  }
  items_.emplace(physical, std::move(fresh));
  return physical;
}

std::string NativeDatabaseBuilder::recordBody(std::uint16_t action) const {
  return historyBody(action, user_, wallClock(next_));
}

std::string NativeDatabaseBuilder::nameField(const std::string& name, bool project) {
  std::string field(0x28, '\0');
  if (fitsShortField(name)) {
    putName(field, 0, name, project);
    return field;
  }
  auto key = std::make_pair(project, name);
  auto found = nameOffsets_.find(key);
  if (found == nameOffsets_.end()) {
    // A DOS alias, then the long name (files) or the project name.
    std::vector<std::pair<std::uint16_t, std::string>> names;
    if (project) {
      names = {{10, name}};
    } else {
      names = {{1, mangled(name).substr(0, 6) + "~1"}, {2, name}};
    }
    std::string body = u16(static_cast<std::uint16_t>(names.size())) + u16(0);
    std::string strings;
    for (const auto& [kind, text] : names) {
      body += u16(kind) + u16(static_cast<std::uint16_t>(strings.size()));
      strings += text + '\0';
    }
    auto at = static_cast<std::uint32_t>(0x58 + namesRecords_.size());
    namesRecords_ += record("SN", body + strings);
    found = nameOffsets_.emplace(key, at).first;
  }
  putName(field, 0, mangled(name), project, found->second);
  return field;
}

void NativeDatabaseBuilder::putNameField(std::string& bytes, std::size_t offset, const std::string& name,
                                         bool project) {
  std::string field = nameField(name, project);
  bytes.replace(offset, field.size(), field);
}

NativeDatabaseBuilder::Entry NativeDatabaseBuilder::newEntry(bool project, const std::string& name,
                                                             const std::string& physical) {
  Entry e;
  e.project = project;
  e.name = name;
  e.physical = physical;
  e.nameField = nameField(name, project);
  return e;
}

void NativeDatabaseBuilder::setName(const std::string& physical, const std::string& name) {
  Item& it = item(physical);
  it.name = name;
  it.nameField = nameField(name, it.project);
}

std::optional<NativeDatabaseBuilder::Place> NativeDatabaseBuilder::find(const std::wstring& spec, Want want) const {
  std::vector<std::string> parts = components(spec);
  if (parts.empty()) return std::nullopt;
  std::string project = ssapi::native::physicalNameOf(0);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    const std::vector<Entry>& entries = item(project).entries;
    std::optional<std::size_t> chosen;
    for (std::size_t e = 0; e < entries.size() && !chosen; ++e) {
      const Entry& candidate = entries[e];
      if (!sameName(candidate.name, parts[i])) continue;
      bool wanted = last && want == Want::kDeleted ? candidate.deleted : !candidate.deleted;
      if (wanted && (last || candidate.project)) chosen = e;
    }
    if (!chosen) return std::nullopt;
    if (last) return Place{project, *chosen};
    project = entries[*chosen].physical;
  }
  return std::nullopt;
}

NativeDatabaseBuilder::Place NativeDatabaseBuilder::findOrThrow(const std::wstring& spec, Want want,
                                                                const char* change) const {
  auto place = find(spec, want);
  if (!place) throw std::logic_error(std::string(change) + ": no item at " + ansi(spec));
  return *place;
}

std::string NativeDatabaseBuilder::projectOrThrow(const std::wstring& spec, const char* change) const {
  if (components(spec).empty()) return ssapi::native::physicalNameOf(0);
  Place place = findOrThrow(spec, Want::kLive, change);
  const Entry& found = item(place.project).entries[place.index];
  if (!found.project) throw std::logic_error(std::string(change) + ": not a project: " + ansi(spec));
  return found.physical;
}

std::string NativeDatabaseBuilder::specOf(const std::string& project) const {
  const Item& it = item(project);
  if (it.parent.empty()) return "$/";
  return childSpec(specOf(it.parent), it.name);
}

int NativeDatabaseBuilder::lastVersion(const std::string& physical) const {
  return item(physical).file.nextVersion() - 1;
}

std::string NativeDatabaseBuilder::contentOf(const std::string& file, int version) const {
  const Item& it = item(file);
  auto found = it.contents.upper_bound(version);
  if (found == it.contents.begin()) return contentOf(it.branchSource, version);
  return std::prev(found)->second;
}

std::uint16_t NativeDatabaseBuilder::sortedIndex(const std::string& project, const std::string& physical) const {
  std::vector<Entry> entries = item(project).entries;
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return lowerAscii(a.name) < lowerAscii(b.name); });
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].physical == physical) return static_cast<std::uint16_t>(i);
  return 0;
}

// SourceSafe writes a project's entries to a new data file on a change; its
// extension is the one the header names.
void NativeDatabaseBuilder::entriesChanged(const std::string& project) {
  Item& p = item(project);
  p.extension = p.extension == 'A' ? 'B' : 'A';
}

NativeDatabaseBuilder& NativeDatabaseBuilder::createProject(const std::wstring& spec) {
  std::vector<std::string> parts = components(spec);
  if (parts.empty()) throw std::logic_error("createProject: the root exists");
  return addProjectTo(projectOrThrow(parentOf(spec), "createProject"), parts.back());
}

NativeDatabaseBuilder& NativeDatabaseBuilder::addProjectTo(const std::string& parent, const std::string& name) {
  std::string child = allocate(true);
  setName(child, name);
  item(child).parent = parent;

  std::string add = recordBody(kAddProject);
  putNameField(add, 0x58, name, true);
  putText(add, 0x80, child, 10);
  item(parent).file.addHistory(add);
  item(parent).entries.push_back(newEntry(true, name, child));
  entriesChanged(parent);

  std::string create = recordBody(kCreateProject);
  putNameField(create, 0x58, name, true);
  putText(create, 0x80, child, 10);
  item(child).file.addHistoryWith(create, {comment_.value_or(""), std::nullopt});
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::addFile(const std::wstring& spec, const std::string& content) {
  std::vector<std::string> parts = components(spec);
  if (parts.empty()) throw std::logic_error("addFile: the root is a project");
  return addFileTo(projectOrThrow(parentOf(spec), "addFile"), parts.back(), content);
}

NativeDatabaseBuilder& NativeDatabaseBuilder::addFileNamed(const std::wstring& parentSpec, const std::string& rawName,
                                                           const std::string& content) {
  return addFileTo(projectOrThrow(parentSpec, "addFileNamed"), rawName, content);
}

NativeDatabaseBuilder& NativeDatabaseBuilder::addFileTo(const std::string& parent, const std::string& name,
                                                        const std::string& content) {
  std::string file = allocate(false);
  setName(file, name);
  Item& f = item(file);
  f.binary = content.find('\0') != std::string::npos;
  f.parents.push_back(parent);
  f.file.addParent(parent);
  std::string create = recordBody(kCreateFile);
  putNameField(create, 0x58, name, false);
  putText(create, 0x80, file, 10);
  f.file.addHistoryWith(create, {comment_.value_or(""), std::nullopt});
  f.contents[1] = content;
  f.lastRevisionTime = wallClock(next_);

  std::string add = recordBody(kAddFile);
  putNameField(add, 0x58, name, false);
  putText(add, 0x80, file, 10);
  item(parent).file.addHistory(add);
  Entry entry = newEntry(false, name, file);
  entry.binary = f.binary;
  item(parent).entries.push_back(entry);
  entriesChanged(parent);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::checkIn(const std::wstring& spec, const std::string& content) {
  Place place = findOrThrow(spec, Want::kLive, "checkIn");
  const Entry& at = entry(place);
  if (at.project) throw std::logic_error("checkIn: not a file: " + ansi(spec));
  Item& f = item(at.physical);
  int version = f.file.nextVersion();
  std::string older = contentOf(at.physical, version - 1);
  std::uint32_t delta = f.file.add("FD", reverseDelta(content, older));
  std::string body = recordBody(kCheckIn);
  put32(body, 0x58, delta);
  putText(body, 0x60, specOf(place.project), 260);
  f.file.addHistoryWith(body, {comment_.value_or(""), std::nullopt});
  f.contents[version] = content;
  f.extension = f.extension == 'A' ? 'B' : 'A';
  f.lastRevisionTime = wallClock(next_);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::label(const std::wstring& spec, const std::wstring& label,
                                                    const std::wstring& labelComment) {
  std::string physical = components(spec).empty() ? ssapi::native::physicalNameOf(0)
                                                  : entry(findOrThrow(spec, Want::kLive, "label")).physical;
  std::string body = recordBody(kLabel);
  putText(body, 0x2C, ansi(label), 32);
  // The text typed with a label is its label comment; the record's own
  // comment stays empty until someone edits it.
  item(physical).file.addHistoryWith(body, {std::nullopt, ansi(labelComment)});
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::remove(const std::wstring& spec) {
  Place place = findOrThrow(spec, Want::kLive, "remove");
  Entry& at = entry(place);
  std::string body = recordBody(at.project ? kDeleteProject : kDeleteFile);
  putNameField(body, 0x58, at.name, at.project);
  putText(body, 0x80, at.physical, 10);
  item(place.project).file.addHistory(body);
  entry(place).deleted = true;
  entriesChanged(place.project);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::recover(const std::wstring& spec) {
  Place place = findOrThrow(spec, Want::kDeleted, "recover");
  Entry& at = entry(place);
  std::string body = recordBody(at.project ? kRecoverProject : kRecoverFile);
  putNameField(body, 0x58, at.name, at.project);
  putText(body, 0x80, at.physical, 10);
  item(place.project).file.addHistory(body);
  entry(place).deleted = false;
  entriesChanged(place.project);
  finishChange();
  return *this;
}

void NativeDatabaseBuilder::unlink(const std::string& project, const std::string& physical) {
  Item& it = item(physical);
  if (it.project) {
    // Everything below goes with the project.
    for (const Entry& child : std::vector<Entry>(it.entries)) unlink(physical, child.physical);
    return;
  }
  it.file.blankParent(project);
  auto link = std::find(it.parents.begin(), it.parents.end(), project);
  if (link != it.parents.end()) it.parents.erase(link);
}

NativeDatabaseBuilder& NativeDatabaseBuilder::destroyAt(const Place& place) {
  Entry gone = entry(place);
  std::string body = recordBody(gone.project ? kDestroyProject : kDestroyFile);
  putNameField(body, 0x58, gone.name, gone.project);
  put16(body, 0x80, gone.deleted ? 1 : 0);
  putText(body, 0x82, gone.physical, 10);
  item(place.project).file.addHistory(body);
  auto& entries = item(place.project).entries;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(place.index));
  entriesChanged(place.project);
  unlink(place.project, gone.physical);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::destroy(const std::wstring& spec) {
  return destroyAt(findOrThrow(spec, Want::kLive, "destroy"));
}

NativeDatabaseBuilder& NativeDatabaseBuilder::purge(const std::wstring& spec) {
  return destroyAt(findOrThrow(spec, Want::kDeleted, "purge"));
}

NativeDatabaseBuilder& NativeDatabaseBuilder::rename(const std::wstring& spec, const std::wstring& newName) {
  Place place = findOrThrow(spec, Want::kLive, "rename");
  Entry renamed = entry(place);
  std::string name = ansi(newName);
  // A file is renamed in every project holding it, deleted entries included,
  // each project with a record of its own.
  std::vector<std::string> projects{place.project};
  if (!renamed.project) projects = item(renamed.physical).parents;
  for (const std::string& project : projects) {
    for (Entry& e : item(project).entries) {
      if (e.physical != renamed.physical) continue;
      std::string body = recordBody(renamed.project ? kRenameProject : kRenameFile);
      putNameField(body, 0x58, name, renamed.project);
      putNameField(body, 0x80, e.name, renamed.project);
      putText(body, 0xA8, renamed.physical, 10);
      item(project).file.addHistory(body);
      e.name = name;
      e.nameField = nameField(name, renamed.project);
    }
    entriesChanged(project);
  }
  setName(renamed.physical, name);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::move(const std::wstring& projectSpec, const std::wstring& newParentSpec) {
  Place place = findOrThrow(projectSpec, Want::kLive, "move");
  Entry moved = entry(place);
  if (!moved.project) throw std::logic_error("move: not a project: " + ansi(projectSpec));
  std::string target = projectOrThrow(newParentSpec, "move");
  std::string oldSpec = specOf(moved.physical);
  std::string newSpec = childSpec(specOf(target), moved.name);

  std::string away = recordBody(kMoveTo);
  putText(away, 0x58, newSpec, 260);
  putNameField(away, 0x15C, moved.name, true);
  putText(away, 0x184, moved.physical, 10);
  item(place.project).file.addHistory(away);
  auto& entries = item(place.project).entries;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(place.index));
  entriesChanged(place.project);

  std::string in = recordBody(kMoveFrom);
  putText(in, 0x58, oldSpec, 260);
  putNameField(in, 0x15C, moved.name, true);
  putText(in, 0x184, moved.physical, 10);
  item(target).file.addHistory(in);
  item(target).entries.push_back(moved);
  entriesChanged(target);
  item(moved.physical).parent = target;
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::share(const std::wstring& fileSpec, const std::wstring& intoProjectSpec) {
  Place place = findOrThrow(fileSpec, Want::kLive, "share");
  std::string target = projectOrThrow(intoProjectSpec, "share");
  Entry& source = entry(place);
  if (source.project) throw std::logic_error("share: not a file: " + ansi(fileSpec));
  source.shared = true;
  entriesChanged(place.project);
  Entry added = source;
  added.pinned = 0;
  Item& f = item(added.physical);
  f.shared = true;
  f.parents.push_back(target);
  f.file.addParent(target);
  item(target).entries.push_back(added);
  entriesChanged(target);

  std::string body = recordBody(kShareFile);
  putText(body, 0x58, specOf(place.project), 260);
  putNameField(body, 0x15C, added.name, false);
  put16(body, 0x184, 0xFFFF);  // -1: a share, not a pin
  put16(body, 0x186, 0);
  put16(body, 0x188, sortedIndex(target, added.physical));
  putText(body, 0x18A, added.physical, 10);
  item(target).file.addHistory(body);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::pin(const std::wstring& spec, int version) {
  Place place = findOrThrow(spec, Want::kLive, "pin");
  Entry& at = entry(place);
  at.pinned = static_cast<std::uint16_t>(version);
  std::string body = recordBody(kShareFile);
  putText(body, 0x58, specOf(place.project), 260);
  putNameField(body, 0x15C, at.name, false);
  put16(body, 0x184, 0);
  put16(body, 0x186, static_cast<std::uint16_t>(version));
  put16(body, 0x188, sortedIndex(place.project, at.physical));
  putText(body, 0x18A, at.physical, 10);
  item(place.project).file.addHistory(body);
  entriesChanged(place.project);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::unpin(const std::wstring& spec) {
  Place place = findOrThrow(spec, Want::kLive, "unpin");
  Entry& at = entry(place);
  std::string body = recordBody(kShareFile);
  putText(body, 0x58, specOf(place.project), 260);
  putNameField(body, 0x15C, at.name, false);
  put16(body, 0x184, at.pinned);
  put16(body, 0x186, 0);
  put16(body, 0x188, sortedIndex(place.project, at.physical));
  putText(body, 0x18A, at.physical, 10);
  at.pinned = 0;
  item(place.project).file.addHistory(body);
  entriesChanged(place.project);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::branch(const std::wstring& spec) {
  Place place = findOrThrow(spec, Want::kLive, "branch");
  Entry at = entry(place);
  std::string source = at.physical;
  int point = at.pinned > 0 ? at.pinned : lastVersion(source);
  std::string branched = allocate(false, static_cast<std::uint16_t>(point + 1));
  setName(branched, at.name);
  Item& b = item(branched);
  b.binary = item(source).binary;
  b.branchSource = source;
  b.parents.push_back(place.project);
  b.file.addParent(place.project);
  std::string create = recordBody(kCreateBranch);
  putNameField(create, 0x58, at.name, false);
  putText(create, 0x80, branched, 10);
  putText(create, 0x8A, source, 10);
  b.file.addHistoryWith(create, {comment_.value_or(""), std::nullopt});
  b.contents[point + 1] = contentOf(source, point);
  b.lastRevisionTime = wallClock(next_);

  Item& s = item(source);
  s.file.addBranch(branched);
  s.file.blankParent(place.project);
  s.parents.erase(std::find(s.parents.begin(), s.parents.end(), place.project));

  std::string body = recordBody(kBranchFile);
  putNameField(body, 0x58, at.name, false);
  putText(body, 0x80, branched, 10);
  putText(body, 0x8A, source, 10);
  item(place.project).file.addHistory(body);
  Entry& now = entry(place);
  now.physical = branched;
  now.pinned = 0;
  now.shared = false;
  entriesChanged(place.project);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::archive(const std::wstring& spec) {
  Place place = findOrThrow(spec, Want::kLive, "archive");
  Entry gone = entry(place);
  if (!gone.project && item(gone.physical).parents.size() > 1) {
    throw std::logic_error("archive: a shared file: " + ansi(spec));
  }
  std::string body = recordBody(gone.project ? kArchiveProject : kArchiveFile);
  putNameField(body, 0x58, gone.name, gone.project);
  putText(body, 0x80, gone.physical, 10);
  putText(body, 0x8C, "C:\\archives\\" + gone.name + ".ssa", 260);
  item(place.project).file.addHistory(body);
  auto& entries = item(place.project).entries;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(place.index));
  entriesChanged(place.project);
  // The item's files leave the data folder with it; a restore writes them
  // back with their old history.
  archived_[place.project].push_back(gone);
  finishChange();
  return *this;
}

NativeDatabaseBuilder& NativeDatabaseBuilder::restore(const std::wstring& spec) {
  std::string project = projectOrThrow(parentOf(spec), "restore");
  std::string name = components(spec).back();
  auto& kept = archived_[project];
  auto found = std::find_if(kept.rbegin(), kept.rend(), [&](const Entry& e) { return sameName(e.name, name); });
  if (found == kept.rend()) throw std::logic_error("restore: nothing archived at " + ansi(spec));
  Entry back = *found;
  kept.erase(std::next(found).base());
  back.deleted = false;
  std::string body = recordBody(back.project ? kRestoreProject : kRestoreFile);
  putNameField(body, 0x58, back.name, back.project);
  putText(body, 0x80, back.physical, 10);
  putText(body, 0x8C, "C:\\archives\\" + back.name + ".ssa", 260);
  item(project).file.addHistory(body);
  item(project).entries.push_back(back);
  entriesChanged(project);
  finishChange();
  return *this;
}

std::string NativeDatabaseBuilder::physicalOf(const std::wstring& spec, bool deleted) const {
  if (components(spec).empty()) return ssapi::native::physicalNameOf(0);
  Place place = findOrThrow(spec, deleted ? Want::kDeleted : Want::kLive, "physicalOf");
  return item(place.project).entries[place.index].physical;
}

fs::path NativeDatabaseBuilder::itemFilePath(const fs::path& folder, const std::string& physical) {
  std::string lower = lowerAscii(physical);
  return folder / "data" / lower.substr(0, 1) / lower;
}

fs::path NativeDatabaseBuilder::dataFilePath(const fs::path& folder, const std::string& physical) const {
  fs::path path = itemFilePath(folder, physical);
  path += item(physical).extension == 'A' ? ".a" : ".b";
  return path;
}

void NativeDatabaseBuilder::writeTo(const fs::path& folder) const {
  const fs::path data = folder / "data";
  for (char letter = 'a'; letter <= 'z'; ++letter) fs::create_directories(data / std::string(1, letter));
  testsupport::writeFileBytes(folder / "srcsafe.ini", "Data_Path = data\r\nUsers_Path = users\r\n");

  std::vector<std::string> users = users_;
  std::sort(users.begin(), users.end(),
            [](const std::string& a, const std::string& b) { return lowerAscii(a) < lowerAscii(b); });
  std::vector<std::pair<std::string, std::uint16_t>> records;
  for (const std::string& user : users) records.emplace_back(user, ssapi::native::kEmptyPasswordHash);
  testsupport::writeFileBytes(data / "um.dat", usersFile(records, static_cast<std::uint16_t>(records.size())));

  std::string namesHeader(0x50, '\0');
  put32(namesHeader, 0x10, 0x58 + static_cast<std::uint32_t>(namesRecords_.size()));
  testsupport::writeFileBytes(data / "names.dat", record("HN", namesHeader) + namesRecords_);
  testsupport::writeFileBytes(data / "version.dat", u16(6));
  testsupport::writeFileBytes(data / "aaaaaaaa.cnt", ssapi::native::physicalNameOf(nextNumber_ - 1));

  // What the tree reaches, deleted entries included, and the sources of the
  // branches among it: everything else was destroyed or archived away.
  std::set<std::string> kept;
  std::vector<std::string> pending{ssapi::native::physicalNameOf(0)};
  while (!pending.empty()) {
    std::string physical = pending.back();
    pending.pop_back();
    if (!kept.insert(physical).second) continue;
    const Item& it = item(physical);
    for (const Entry& e : it.entries) pending.push_back(e.physical);
    if (!it.branchSource.empty()) pending.push_back(it.branchSource);
  }

  for (const std::string& physical : kept) {
    const Item& it = item(physical);
    ItemFileBuilder file = it.file;
    std::string& dh = file.header;
    dh.replace(0x04, it.nameField.size(), it.nameField);
    putText(dh, 0x2E, it.extension == 'A' ? ".A" : ".B", 2);
    std::string data;
    if (it.project) {
      put32(dh, 0x3C, it.rightsOffset);
      if (!it.parent.empty()) {
        putText(dh, 0x50, specOf(it.parent), 260);
        putText(dh, 0x154, it.parent, 12);
      }
      // Entries are kept sorted by their lower-cased short name.
      std::vector<Entry> entries = it.entries;
      std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return lowerAscii(a.nameField.substr(2, 34).c_str()) < lowerAscii(b.nameField.substr(2, 34).c_str());
      });
      std::uint16_t subprojects = 0;
      for (const Entry& e : entries) {
        std::string body(0x38, '\0');
        put16(body, 0, e.project ? 1 : 2);
        put16(body, 2,
              static_cast<std::uint16_t>((e.deleted ? 0x01 : 0) | (e.binary ? 0x02 : 0) | (e.shared ? 0x08 : 0)));
        body.replace(4, e.nameField.size(), e.nameField);
        put16(body, 0x2C, e.pinned);
        putText(body, 0x2E, e.physical, 10);
        data += record("JP", body);
        if (e.project && !e.deleted) ++subprojects;
      }
      put16(dh, 0x160, static_cast<std::uint16_t>(entries.size()));
      put16(dh, 0x162, subprojects);
    } else {
      data = contentOf(physical, lastVersion(physical));
      put16(dh, 0x50, static_cast<std::uint16_t>((it.binary ? 0x02 : 0) | (it.shared ? 0x20 : 0)));
      putText(dh, 0x52, it.branchSource, 10);
      put16(dh, 0x66, static_cast<std::uint16_t>(it.parents.size()));
      put32(dh, 0x6C, kCfOffset);
      put32(dh, 0x70, ssapi::native::crc32(data));
      put32(dh, 0x7C, it.lastRevisionTime);
      put32(dh, 0x80, it.lastRevisionTime);
      put32(dh, 0x84, it.lastRevisionTime);
    }
    testsupport::writeFileBytes(itemFilePath(folder, physical), file.build());
    testsupport::writeFileBytes(dataFilePath(folder, physical), data);
  }
}

}  // namespace nativetest
