#include "ssapi/generator.h"

#include "generator/change_stream.h"

#include <random>
#include <string>
#include <vector>

#include "model/database.h"
#include "model/names.h"
#include "model/operations.h"
#include "model/queries.h"
#include "text/journal_format.h"
#include "text/text_form_writer.h"

namespace ssapi {
namespace {

constexpr std::size_t kContentVariants = 64;
constexpr int kMaxDepth = 5;
constexpr std::uint32_t kDefaultCheckIns = 680;

// Keeps a model of what it generated so that it only writes possible changes.
class Generator {
 public:
  Generator(const GeneratorOptions& options, ChangeSink& sink) : options_(options), sink_(sink), random_(options.seed) {
    addUser(L"Admin", L"");
    for (int i = 1; i <= 4; ++i) addUser(L"user" + std::to_wstring(i), L"pass" + std::to_wstring(i));
    for (std::size_t i = 0; i < kContentVariants; ++i) {
      std::string text;
      std::size_t lines = 4 + i * 3;
      for (std::size_t line = 0; line < lines; ++line) {
        text += "line " + std::to_string(line) + " of variant " + std::to_string(i) + "\r\n";
      }
      contents_.push_back(db_.addContent(text));
    }
    sink_.begin(db_.users);
  }

  GeneratedDatabase run() {
    time_ = 946684800;  // 2000-01-01
    emit(change(model::ChangeKind::kCreateProject, L"$/"));
    for (int i = 0; i < 4; ++i) createProject();
    while (db_.revisionCount() < options_.versions) step();
    sink_.finish();
    GeneratedDatabase result;
    result.changes = changes_;
    result.versions = db_.revisionCount();
    for (std::size_t i = 0; i < db_.itemCount(); ++i) {
      (db_.item(static_cast<model::ItemId>(i)).isProject() ? result.projects : result.files)++;
    }
    return result;
  }

 private:
  void addUser(const std::wstring& name, const std::wstring& password) {
    model::User user{name, text::saltFor(name), ""};
    user.passwordHash = text::passwordHash(user.salt, password);
    db_.users.push_back(user);
  }

  std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : random_() % n; }

  model::Change change(model::ChangeKind kind, std::wstring spec, std::wstring argument = L"") {
    model::Change c;
    c.kind = kind;
    c.spec = std::move(spec);
    c.argument = std::move(argument);
    return c;
  }

  // Applies a change and writes it when it was possible.
  bool emit(model::Change c) {
    if (options_.sameSecondPercent == 0 || below(100) >= options_.sameSecondPercent) {
      time_ += static_cast<std::int64_t>(1 + below(600));
    }
    c.time = time_;
    c.user = db_.users[below(db_.users.size())].name;
    if (below(3) == 0) c.comment = L"change " + std::to_wstring(changes_);
    if (!model::apply(db_, c).ok()) return false;
    model::ContentId content = c.content;
    if (c.kind == model::ChangeKind::kRollback) {
      // The content that came back, for a writer that has no rollback.
      const model::ItemId file = model::locate(db_, c.spec, model::Want::kLive, false)->item;
      content = db_.revision(file, db_.item(file).lastVersion())->content;
    }
    sink_.write(c, db_.content(content));
    ++changes_;
    return true;
  }

  // A live project's spec; the root when the one picked is gone, so that
  // adding files always finds a place.
  std::wstring liveProject() {
    if (projects_.empty()) return L"$/";
    model::ItemId id = projects_[below(projects_.size())];
    auto spec = model::projectSpec(db_, id);
    if (!spec || !model::locate(db_, *spec, model::Want::kLive, false)) return L"$/";
    return *spec;
  }

  // A live file's spec through one of its entries, or empty.
  std::wstring liveFile() {
    if (files_.empty()) return L"";
    const model::Item& file = db_.item(files_[below(files_.size())]);
    if (file.links.empty()) return L"";
    const model::EntryRef& link = file.links[below(file.links.size())];
    const model::EntryState& state = db_.item(link.project).entries[static_cast<std::size_t>(link.slot)].current();
    auto project = model::projectSpec(db_, link.project);
    if (!project || state.deleted) return L"";
    std::wstring spec = model::childSpec(*project, db_.text(state.name));
    if (!model::locate(db_, spec, model::Want::kLive, false)) return L"";
    return spec;
  }

  std::wstring newName(const wchar_t* stem) { return stem + std::to_wstring(++names_) + (stem[0] == L'f' ? L".txt" : L""); }

  void createProject() {
    std::wstring parent = liveProject();
    if (model::splitSpec(parent)->size() >= kMaxDepth) return;
    std::wstring spec = model::childSpec(parent, newName(L"p"));
    if (emit(change(model::ChangeKind::kCreateProject, spec))) {
      projects_.push_back(model::locate(db_, spec, model::Want::kLive, false)->item);
    }
  }

  void addFile() {
    std::wstring spec = model::childSpec(liveProject(), newName(L"f"));
    model::Change c = change(model::ChangeKind::kAddFile, spec);
    c.content = contents_[below(contents_.size())];
    if (emit(c)) files_.push_back(model::locate(db_, spec, model::Want::kLive, false)->item);
  }

  void checkIn() {
    std::wstring spec = liveFile();
    if (spec.empty()) return addFile();
    model::Change c = change(model::ChangeKind::kCheckIn, spec);
    c.content = contents_[below(contents_.size())];
    emit(c);
  }

  void withSpec(model::ChangeKind kind, const std::wstring& spec, const std::wstring& argument = L"",
                std::int32_t version = 0) {
    if (spec.empty()) return;
    model::Change c = change(kind, spec, argument);
    c.version = version;
    bool done = emit(c);
    if (done && kind == model::ChangeKind::kDelete) deleted_.push_back(spec);
    if (done && kind == model::ChangeKind::kArchive) archived_.push_back(spec);
    if (done && kind == model::ChangeKind::kShare) shared_.push_back(model::childSpec(argument, model::lastComponent(spec)));
  }

  void step() {
    std::uint64_t dice = below(1000);
    if (options_.checkInPerMille != kDefaultCheckIns) dice = dice < options_.checkInPerMille ? 0 : 680 + below(320);
    if (dice < 680) return checkIn();
    if (dice < 760) return addFile();
    if (dice < 785) return createProject();
    if (dice < 805) return withSpec(model::ChangeKind::kLabel, below(2) ? liveFile() : liveProject(),
                                    L"build " + std::to_wstring(changes_));
    if (dice < 820) return withSpec(model::ChangeKind::kRename, liveFile(), newName(L"f"));
    if (dice < 825) return withSpec(model::ChangeKind::kRename, liveProject(), newName(L"p"));
    if (dice < 845) return withSpec(model::ChangeKind::kShare, liveFile(), liveProject());
    if (dice < 855 && !shared_.empty()) return withSpec(model::ChangeKind::kBranch, takeOne(&shared_));
    if (dice < 865) {
      std::wstring spec = liveFile();
      if (spec.empty()) return;
      auto at = model::locate(db_, spec, model::Want::kLive, false);
      std::int32_t last = db_.item(at->item).lastVersion();
      return withSpec(model::ChangeKind::kPin, spec, L"", static_cast<std::int32_t>(1 + below(static_cast<std::uint64_t>(last))));
    }
    if (dice < 875) return withSpec(model::ChangeKind::kUnpin, liveFile());
    if (dice < 900) return withSpec(model::ChangeKind::kDelete, liveFile());
    if (dice < 905) return withSpec(model::ChangeKind::kDelete, liveProject());
    if (dice < 925 && !deleted_.empty()) return withSpec(model::ChangeKind::kRecover, takeOne(&deleted_));
    if (dice < 935 && !deleted_.empty()) return withSpec(model::ChangeKind::kPurge, takeOne(&deleted_));
    if (dice < 945) return withSpec(model::ChangeKind::kDestroy, liveFile());
    if (dice < 955) return withSpec(model::ChangeKind::kMove, liveProject(), liveProject());
    if (dice < 962) return withSpec(model::ChangeKind::kArchive, below(4) ? liveFile() : liveProject());
    if (dice < 975 && !archived_.empty()) return withSpec(model::ChangeKind::kRestore, takeOne(&archived_));
    if (dice < 990) {
      std::wstring spec = liveFile();
      if (spec.empty()) return;
      std::int32_t last = db_.item(model::locate(db_, spec, model::Want::kLive, false)->item).lastVersion();
      if (last < 2) return;
      return withSpec(model::ChangeKind::kRollback, spec, L"",
                      static_cast<std::int32_t>(1 + below(static_cast<std::uint64_t>(last - 1))));
    }
    checkIn();
  }

  std::wstring takeOne(std::vector<std::wstring>* specs) {
    std::size_t at = below(specs->size());
    std::wstring spec = (*specs)[at];
    (*specs)[at] = specs->back();
    specs->pop_back();
    return spec;
  }

  GeneratorOptions options_;
  ChangeSink& sink_;
  std::mt19937_64 random_;
  model::Database db_;
  std::vector<model::ContentId> contents_;
  std::vector<model::ItemId> projects_;
  std::vector<model::ItemId> files_;
  std::vector<std::wstring> deleted_;
  std::vector<std::wstring> archived_;
  std::vector<std::wstring> shared_;
  std::int64_t time_ = 0;
  std::uint64_t changes_ = 0;
  std::uint64_t names_ = 0;
};

}  // namespace

GeneratedDatabase generateChanges(const GeneratorOptions& options, ChangeSink& sink) {
  return Generator(options, sink).run();
}

namespace {

class TextFormSink : public ChangeSink {
 public:
  explicit TextFormSink(const std::filesystem::path& folder) : folder_(folder) {}
  void begin(const std::vector<model::User>& users) override {
    writer_ = std::make_unique<text::TextFormWriter>(folder_, users);
  }
  void write(const model::Change& change, const std::string& content) override { writer_->write(change, content); }
  void finish() override { writer_->finish(); }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<text::TextFormWriter> writer_;
};

}  // namespace

GeneratedDatabase generateDatabase(const std::filesystem::path& folder, const GeneratorOptions& options) {
  TextFormSink sink(folder);
  return generateChanges(options, sink);
}

}  // namespace ssapi
