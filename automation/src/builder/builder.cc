#include "ssapi/builder.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "model/database.h"
#include "model/names.h"
#include "model/operations.h"
#include "objects/objects.h"
#include "platform/text_encoding.h"
#include "text/journal_format.h"
#include "text/text_form_writer.h"

namespace ssapi {

struct DatabaseBuilder::State {
  // Shared with the databases opened so far; copied before the next change
  // so that they keep what they were opened with.
  std::shared_ptr<model::Database> db = std::make_shared<model::Database>();
  std::shared_ptr<FaultInjector> faults = std::make_shared<FaultInjector>();
  std::vector<model::Change> journal;
  std::int64_t nextTime = kDefaultStart;
  std::wstring user = L"Admin";
  std::wstring comment;

  model::Database& mutableDb() {
    if (db.use_count() > 1) db = std::make_shared<model::Database>(*db);
    return *db;
  }

  void apply(model::Change change) {
    change.time = nextTime;
    change.user = user;
    change.comment = std::exchange(comment, std::wstring());
    model::Status status = model::apply(mutableDb(), change);
    if (!status.ok()) {
      throw std::logic_error(platform::wideToUtf8(model::describeChange(change) + L": " + status.reason));
    }
    nextTime = change.time + 1;
    journal.push_back(std::move(change));
  }

  void setUser(const std::wstring& name, const std::wstring& password) {
    if (name.empty()) throw std::logic_error("addUser: the user name is empty");
    model::Database& d = mutableDb();
    model::User account{name, text::saltFor(name), ""};
    account.passwordHash = text::passwordHash(account.salt, password);
    for (model::User& known : d.users) {
      if (model::sameName(known.name, name)) {
        account.name = known.name;
        known = account;
        return;
      }
    }
    d.users.push_back(std::move(account));
  }
};

namespace {

model::Change change(model::ChangeKind kind, const std::wstring& spec, const std::wstring& argument = L"") {
  model::Change c;
  c.kind = kind;
  c.spec = spec;
  c.argument = argument;
  return c;
}

}  // namespace

DatabaseBuilder::DatabaseBuilder() : state_(std::make_unique<State>()) {
  state_->setUser(L"Admin", L"");
  state_->apply(change(model::ChangeKind::kCreateProject, L"$/"));
}

DatabaseBuilder::~DatabaseBuilder() = default;

DatabaseBuilder& DatabaseBuilder::at(std::int64_t utcSeconds) {
  state_->nextTime = utcSeconds;
  return *this;
}

DatabaseBuilder& DatabaseBuilder::by(const std::wstring& user) {
  if (!state_->db->findUser(user)) state_->setUser(user, L"");
  state_->user = user;
  return *this;
}

DatabaseBuilder& DatabaseBuilder::withComment(const std::wstring& c) {
  state_->comment = c;
  return *this;
}

DatabaseBuilder& DatabaseBuilder::addUser(const std::wstring& name, const std::wstring& password) {
  state_->setUser(name, password);
  return *this;
}

DatabaseBuilder& DatabaseBuilder::createProject(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kCreateProject, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::addFile(const std::wstring& spec, const std::string& content) {
  model::Change c = change(model::ChangeKind::kAddFile, spec);
  c.content = state_->mutableDb().addContent(content);
  state_->apply(std::move(c));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::checkIn(const std::wstring& spec, const std::string& content) {
  model::Change c = change(model::ChangeKind::kCheckIn, spec);
  c.content = state_->mutableDb().addContent(content);
  state_->apply(std::move(c));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::rename(const std::wstring& spec, const std::wstring& newName) {
  state_->apply(change(model::ChangeKind::kRename, spec, newName));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::move(const std::wstring& projectSpec, const std::wstring& newParentSpec) {
  state_->apply(change(model::ChangeKind::kMove, projectSpec, newParentSpec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::share(const std::wstring& fileSpec, const std::wstring& intoProjectSpec) {
  state_->apply(change(model::ChangeKind::kShare, fileSpec, intoProjectSpec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::branch(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kBranch, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::pin(const std::wstring& spec, int version) {
  model::Change c = change(model::ChangeKind::kPin, spec);
  c.version = version;
  state_->apply(std::move(c));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::unpin(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kUnpin, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::remove(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kDelete, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::recover(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kRecover, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::destroy(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kDestroy, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::purge(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kPurge, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::label(const std::wstring& spec, const std::wstring& label,
                                        const std::wstring& labelComment) {
  model::Change c = change(model::ChangeKind::kLabel, spec, label);
  c.labelComment = labelComment;
  state_->apply(std::move(c));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::archive(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kArchive, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::restore(const std::wstring& spec) {
  state_->apply(change(model::ChangeKind::kRestore, spec));
  return *this;
}

DatabaseBuilder& DatabaseBuilder::rollback(const std::wstring& spec, int version) {
  model::Change c = change(model::ChangeKind::kRollback, spec);
  c.version = version;
  state_->apply(std::move(c));
  return *this;
}

template <class G>
ComPtr<IVSSDatabaseT<G>> DatabaseBuilder::open() const {
  auto session = std::make_shared<objects::Session>();
  session->db = state_->db;
  session->faults = state_->faults;
  session->user = L"Admin";
  auto* database = new objects::DatabaseObject<G>(std::move(session));
  return ComPtr<IVSSDatabaseT<G>>(database);
}

template ComPtr<IVSSDatabaseT<Vss60>> DatabaseBuilder::open<Vss60>() const;
template ComPtr<IVSSDatabaseT<Vss2005>> DatabaseBuilder::open<Vss2005>() const;

void DatabaseBuilder::writeTo(const std::filesystem::path& folder) const {
  text::TextFormWriter writer(folder, state_->db->users);
  for (const model::Change& c : state_->journal) writer.write(c, state_->db->content(c.content));
  writer.finish();
}

FaultInjector& DatabaseBuilder::faults() { return *state_->faults; }

const model::Database& DatabaseBuilder::database() const { return *state_->db; }

}  // namespace ssapi
