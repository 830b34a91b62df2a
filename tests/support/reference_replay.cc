#include "support/reference_replay.h"

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "platform/ole_date.h"
#include "platform/text_encoding.h"
#include "util/java_time.h"

namespace reference {

std::string describe(const Tree& tree) {
  std::string text = tree.exists ? "project " + platform::wideToUtf8(tree.spec) + "\n" : "no project\n";
  for (const std::wstring& folder : tree.folders) text += "  dir  " + platform::wideToUtf8(folder) + "\n";
  for (const auto& [path, content] : tree.files) {
    text += "  file " + platform::wideToUtf8(path) + " (" + std::to_string(content.size()) + " bytes)\n";
  }
  return text;
}

std::int64_t reportedMillis(std::int64_t utcSecond) {
  DATE date = 0;
  if (!platform::systemTimeToVariantTime(platform::utcFieldsOf(utcSecond), &date)) throw std::runtime_error("time outside the calendar");
  return util::JavaTime::fromUtcDate(date).millis();
}

namespace {

bool sameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

std::vector<std::wstring> components(const std::wstring& spec) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (std::size_t i = 1; i <= spec.size(); ++i) {
    if (i == spec.size() || spec[i] == L'/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += spec[i];
    }
  }
  return parts;
}

std::wstring join(const std::wstring& parent, const std::wstring& name) {
  return parent == L"$/" ? parent + name : parent + L"/" + name;
}

bool inside(const std::wstring& spec, const std::wstring& project) {
  if (project == L"$/") return true;
  if (spec.size() < project.size() || !sameName(spec.substr(0, project.size()), project)) return false;
  return spec.size() == project.size() || spec[project.size()] == L'/';
}

// Journal words: bare, or in double quotes with backslash escapes.
std::vector<std::wstring> words(const std::string& line) {
  std::vector<std::wstring> result;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        word += line[i];
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    result.push_back(platform::utf8ToWide(word));
  }
  return result;
}

// "2000-01-01T00:00:05Z" as UTC seconds.
std::int64_t parseTime(const std::wstring& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (std::swscanf(text.c_str(), L"%d-%d-%dT%d:%d:%dZ", &year, &month, &day, &hour, &minute, &second) != 6) {
    throw std::runtime_error("bad journal time " + platform::wideToUtf8(text));
  }
  return platform::daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace

struct Replay::State {
  struct Entry {
    std::wstring name;
    int item = 0;
    bool deleted = false;
    int pinned = 0;
    bool present = true;
    bool archived = false;
    std::uint64_t namedAt = 0;  // lookups among namesakes take the earliest named
  };
  struct Item {
    bool project = false;
    std::vector<std::string> versions;  // content names, version 1 first
    std::vector<Entry> entries;
  };
  struct Place {
    int project = 0;
    int slot = -1;
  };
  enum class Want { kLive, kDeleted, kArchived };

  std::vector<Item> items{Item{true, {}, {}}};
  std::uint64_t naming = 0;
  bool rootMade = false;

  Entry& entry(const Place& place) { return items[place.project].entries[place.slot]; }

  int find(int project, const std::wstring& name, Want want) const {
    int best = -1;
    const auto& entries = items[project].entries;
    for (int slot = 0; slot < static_cast<int>(entries.size()); ++slot) {
      const Entry& e = entries[slot];
      if (!sameName(e.name, name)) continue;
      bool match = want == Want::kLive       ? e.present && !e.deleted
                   : want == Want::kDeleted  ? e.present && e.deleted
                                             : e.archived;
      if (!match) continue;
      // The newest archived one comes back; otherwise the first named.
      if (best < 0 || (want == Want::kArchived ? slot > best : e.namedAt < entries[best].namedAt)) best = slot;
    }
    return best;
  }

  Place resolve(const std::wstring& spec, Want last) const {
    std::vector<std::wstring> parts = components(spec);
    int project = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      bool isLast = i + 1 == parts.size();
      int slot = find(project, parts[i], isLast ? last : Want::kLive);
      if (slot < 0) throw std::runtime_error("reference: no " + platform::wideToUtf8(spec));
      if (isLast) return {project, slot};
      project = items[project].entries[slot].item;
    }
    throw std::runtime_error("reference: the root has no entry");
  }

  int resolveProject(const std::wstring& spec) const {
    if (components(spec).empty()) return 0;
    Place place = resolve(spec, Want::kLive);
    return items[place.project].entries[place.slot].item;
  }

  // The present entry holding a project; none for the root or a project out of the tree.
  std::optional<Place> home(int project) const {
    for (int p = 0; p < static_cast<int>(items.size()); ++p) {
      const auto& entries = items[p].entries;
      for (int slot = 0; slot < static_cast<int>(entries.size()); ++slot) {
        if (entries[slot].present && entries[slot].item == project) return Place{p, slot};
      }
    }
    return std::nullopt;
  }

  // Spec of a project and whether it is live (no deleted entry on the way up).
  std::optional<std::pair<std::wstring, bool>> whereIs(int project) const {
    if (project == 0) return std::pair<std::wstring, bool>{L"$/", rootMade};
    auto at = home(project);
    if (!at) return std::nullopt;
    auto parent = whereIs(at->project);
    if (!parent) return std::nullopt;
    const Entry& e = items[at->project].entries[at->slot];
    return std::pair<std::wstring, bool>{join(parent->first, e.name), parent->second && !e.deleted};
  }

  // The spec of an entry when its path is live.
  std::optional<std::wstring> liveSpec(const Place& place) const {
    const Entry& e = items[place.project].entries[place.slot];
    if (!e.present || e.deleted) return std::nullopt;
    auto parent = whereIs(place.project);
    if (!parent || !parent->second) return std::nullopt;
    return join(parent->first, e.name);
  }

  std::vector<Place> placesOf(int item) const {
    std::vector<Place> places;
    for (int p = 0; p < static_cast<int>(items.size()); ++p) {
      const auto& entries = items[p].entries;
      for (int slot = 0; slot < static_cast<int>(entries.size()); ++slot) {
        if (entries[slot].present && entries[slot].item == item) places.push_back({p, slot});
      }
    }
    return places;
  }

  Place addEntry(int project, const std::wstring& name, int item) {
    Entry e;
    e.name = name;
    e.item = item;
    e.namedAt = ++naming;
    items[project].entries.push_back(e);
    return {project, static_cast<int>(items[project].entries.size()) - 1};
  }

  std::wstring lastName(const std::wstring& spec) const { return components(spec).back(); }
  std::wstring parentOf(const std::wstring& spec) const {
    std::vector<std::wstring> parts = components(spec);
    parts.pop_back();
    std::wstring parent = L"$/";
    for (const std::wstring& part : parts) parent = join(parent, part);
    return parent;
  }

  // Applies one change; the live paths it touched go to `touched` (removed
  // ones as they were before it, the others as they are after it).
  void apply(const Line& line, std::vector<std::pair<std::wstring, bool>>* touched) {
    auto added = [&](const Place& place) {
      if (auto spec = liveSpec(place)) touched->push_back({*spec, false});
    };
    auto removed = [&](const Place& place) {
      if (auto spec = liveSpec(place)) touched->push_back({*spec, true});
    };
    const std::wstring& k = line.kind;
    if (k == L"create-project" || k == L"add-file") {
      if (components(line.spec).empty()) {
        rootMade = true;
        touched->push_back({L"$/", false});
        return;
      }
      items.push_back(Item{k == L"create-project", {}, {}});
      int item = static_cast<int>(items.size()) - 1;
      if (k == L"add-file") items[item].versions.push_back(platform::wideToUtf8(line.argument));
      added(addEntry(resolveProject(parentOf(line.spec)), lastName(line.spec), item));
    } else if (k == L"check-in" || k == L"rollback") {
      int item = entry(resolve(line.spec, Want::kLive)).item;
      auto& versions = items[item].versions;
      versions.push_back(k == L"check-in" ? platform::wideToUtf8(line.argument)
                                          : versions[static_cast<std::size_t>(std::stoi(line.argument)) - 1]);
      for (const Place& place : placesOf(item))
        if (entry(place).pinned == 0) added(place);
    } else if (k == L"rename") {
      Place at = resolve(line.spec, Want::kLive);
      int item = entry(at).item;
      std::vector<Place> places = items[item].project ? std::vector<Place>{at} : placesOf(item);
      for (const Place& place : places) removed(place);
      for (const Place& place : places) {
        entry(place).name = line.argument;
        entry(place).namedAt = ++naming;
      }
      for (const Place& place : places) added(place);
    } else if (k == L"move") {
      Place at = resolve(line.spec, Want::kLive);
      removed(at);
      Entry moved = entry(at);
      entry(at).present = false;
      Place arrived = addEntry(resolveProject(line.argument), moved.name, moved.item);
      added(arrived);
    } else if (k == L"share") {
      Place at = resolve(line.spec, Want::kLive);
      added(addEntry(resolveProject(line.argument), entry(at).name, entry(at).item));
    } else if (k == L"branch") {
      Place at = resolve(line.spec, Want::kLive);
      const Item& source = items[entry(at).item];
      std::size_t shown = entry(at).pinned > 0 ? static_cast<std::size_t>(entry(at).pinned) : source.versions.size();
      Item branched{false, std::vector<std::string>(source.versions.begin(), source.versions.begin() + shown), {}};
      branched.versions.push_back(branched.versions.back());
      items.push_back(branched);
      entry(at).item = static_cast<int>(items.size()) - 1;
      entry(at).pinned = 0;
      added(at);
    } else if (k == L"pin" || k == L"unpin") {
      Place at = resolve(line.spec, Want::kLive);
      entry(at).pinned = k == L"pin" ? std::stoi(line.argument) : 0;
      added(at);
    } else if (k == L"delete") {
      Place at = resolve(line.spec, Want::kLive);
      removed(at);
      entry(at).deleted = true;
    } else if (k == L"recover") {
      Place at = resolve(line.spec, Want::kDeleted);
      entry(at).deleted = false;
      added(at);
    } else if (k == L"destroy" || k == L"archive") {
      Place at = resolve(line.spec, Want::kLive);
      removed(at);
      entry(at).present = false;
      entry(at).archived = k == L"archive";
    } else if (k == L"purge") {
      entry(resolve(line.spec, Want::kDeleted)).present = false;
    } else if (k == L"restore") {
      int project = resolveProject(parentOf(line.spec));
      int slot = find(project, lastName(line.spec), Want::kArchived);
      if (slot < 0) throw std::runtime_error("reference: nothing archived at " + platform::wideToUtf8(line.spec));
      Entry& e = items[project].entries[slot];
      e.present = true;
      e.archived = false;
      e.deleted = false;
      added({project, slot});
    } else if (k == L"label") {
      // A label is a version of a file of its own, with the content it had.
      if (components(line.spec).empty()) return;
      Item& labelled = items[entry(resolve(line.spec, Want::kLive)).item];
      if (!labelled.project) labelled.versions.push_back(labelled.versions.back());
    } else {
      throw std::runtime_error("reference: unknown change " + platform::wideToUtf8(k));
    }
  }

  void collect(int project, const std::wstring& path, const std::map<std::wstring, std::string>& contents,
               Tree* tree) const {
    for (const Entry& e : items[project].entries) {
      if (!e.present || e.deleted) continue;
      std::wstring child = path.empty() ? e.name : path + L"/" + e.name;
      const Item& it = items[e.item];
      if (it.project) {
        tree->folders.insert(child);
        collect(e.item, child, contents, tree);
      } else {
        const std::string& name = it.versions[static_cast<std::size_t>(e.pinned > 0 ? e.pinned : it.versions.size()) - 1];
        auto found = contents.find(platform::utf8ToWide(name));
        tree->files[child] = found == contents.end() ? "<no content " + name + ">" : found->second;
      }
    }
  }
};

Replay::Replay(const std::filesystem::path& dataFolder) {
  std::ifstream in(dataFolder / "journal.txt", std::ios::binary);
  if (!in) throw std::runtime_error("no journal in " + dataFolder.string());
  std::string text;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#' || text.starts_with("journal-format")) continue;
    std::vector<std::wstring> w = words(text);
    if (w.size() < 4) throw std::runtime_error("short journal line: " + text);
    Line line{parseTime(w[0]), w[2], w[3], w.size() > 4 ? w[4] : L""};
    if (line.argument == L"comment" || line.argument == L"label-comment") line.argument.clear();
    if (line.kind == L"add-file" || line.kind == L"check-in") {
      const std::wstring& name = line.argument;
      std::ifstream content(dataFolder / "contents" / platform::wideToUtf8(name.substr(0, 2)) /
                                platform::wideToUtf8(name),
                            std::ios::binary);
      contents_[name] = std::string(std::istreambuf_iterator<char>(content), std::istreambuf_iterator<char>());
    }
    millis_.push_back(reportedMillis(line.second));
    lines_.push_back(std::move(line));
  }
}

Replay::~Replay() = default;

std::vector<std::wstring> Replay::changeKinds() const {
  std::vector<std::wstring> kinds;
  for (const Line& line : lines_) kinds.push_back(line.kind);
  return kinds;
}

std::vector<std::wstring> Replay::projectsNow() const {
  State state;
  std::vector<std::pair<std::wstring, bool>> ignored;
  for (const Line& line : lines_) state.apply(line, &ignored);
  std::vector<std::wstring> specs;
  for (int item = 0; item < static_cast<int>(state.items.size()); ++item) {
    if (!state.items[item].project) continue;
    auto where = state.whereIs(item);
    if (where && where->second) specs.push_back(where->first);
  }
  return specs;
}

Tree Replay::treeAt(const std::wstring& projectNow, std::int64_t millis) const {
  State final;
  std::vector<std::pair<std::wstring, bool>> ignored;
  for (const Line& line : lines_) final.apply(line, &ignored);
  const int project = final.resolveProject(projectNow);

  State state;
  for (std::size_t i = 0; i < lines_.size() && millis_[i] <= millis; ++i) state.apply(lines_[i], &ignored);
  Tree tree;
  if (project >= static_cast<int>(state.items.size())) return tree;
  auto where = state.whereIs(project);
  if (!where || !where->second) return tree;
  tree.exists = true;
  tree.spec = where->first;
  state.collect(project, L"", contents_, &tree);
  return tree;
}

std::vector<Touch> Replay::touchedIn(const std::wstring& projectNow, std::int64_t from, std::int64_t to) const {
  State final;
  std::vector<std::pair<std::wstring, bool>> touched;
  for (const Line& line : lines_) final.apply(line, &touched);
  const int project = final.resolveProject(projectNow);

  State state;
  std::vector<Touch> result;
  for (std::size_t i = 0; i < lines_.size() && millis_[i] <= to; ++i) {
    auto projectBefore = project < static_cast<int>(state.items.size()) ? state.whereIs(project) : std::nullopt;
    touched.clear();
    state.apply(lines_[i], &touched);
    if (millis_[i] < from) continue;
    auto projectAfter = project < static_cast<int>(state.items.size()) ? state.whereIs(project) : std::nullopt;
    for (const auto& [spec, removed] : touched) {
      const auto& where = removed ? projectBefore : projectAfter;
      if (!where || !inside(spec, where->first)) continue;
      // What happens to the project itself is recorded in the project that
      // holds it, outside its own change log; only its creation is its own.
      if (spec.size() == where->first.size() && lines_[i].kind != L"create-project") continue;
      result.push_back({millis_[i], spec, removed});
    }
  }
  return result;
}

}  // namespace reference
