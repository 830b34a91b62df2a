// make_native_database <folder> <versions> [seed]
//
// Writes the database the generator makes (ssapi::generateDatabase, every
// kind of change) in SourceSafe's own files instead of the text form, for
// benchmarks of the reader at scale. Every user has an empty password.
// A rollback of the generated history is written as a check-in of the
// content it brought back (the reader replays no rollback record), so the
// versions keep their numbers. A change SourceSafe would refuse (archiving
// a shared file) is left out, with the changes about what it would have
// moved.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <filesystem>
#include <string>

#include "generator/change_stream.h"
#include "native_database_builder.h"

namespace {

using ssapi::model::ChangeKind;

class NativeSink : public ssapi::ChangeSink {
 public:
  void begin(const std::vector<ssapi::model::User>&) override {}

  void write(const ssapi::model::Change& c, const std::string& content) override {
    if (c.kind == ChangeKind::kCreateProject && c.spec == L"$/") return;  // the builder starts with the root
    db_.at(c.time).by(c.user);
    if (!c.comment.empty()) db_.withComment(c.comment);
    try {
      apply(c, content);
    } catch (const std::logic_error&) {
      // A change the text form allows and SourceSafe does not (archiving a
      // shared file), or one about an item such a change left elsewhere.
      ++skipped_;
    }
  }

  void finish() override {}

  const nativetest::NativeDatabaseBuilder& database() const { return db_; }
  std::uint64_t skipped() const { return skipped_; }

 private:
  void apply(const ssapi::model::Change& c, const std::string& content) {
    switch (c.kind) {
      case ChangeKind::kCreateProject: db_.createProject(c.spec); break;
      case ChangeKind::kAddFile: db_.addFile(c.spec, content); break;
      case ChangeKind::kCheckIn: db_.checkIn(c.spec, content); break;
      case ChangeKind::kRename: db_.rename(c.spec, c.argument); break;
      case ChangeKind::kMove: db_.move(c.spec, c.argument); break;
      case ChangeKind::kShare: db_.share(c.spec, c.argument); break;
      case ChangeKind::kBranch: db_.branch(c.spec); break;
      case ChangeKind::kPin: db_.pin(c.spec, c.version); break;
      case ChangeKind::kUnpin: db_.unpin(c.spec); break;
      case ChangeKind::kDelete: db_.remove(c.spec); break;
      case ChangeKind::kRecover: db_.recover(c.spec); break;
      case ChangeKind::kDestroy: db_.destroy(c.spec); break;
      case ChangeKind::kPurge: db_.purge(c.spec); break;
      case ChangeKind::kLabel: db_.label(c.spec, c.argument, c.labelComment); break;
      case ChangeKind::kArchive: db_.archive(c.spec); break;
      case ChangeKind::kRestore: db_.restore(c.spec); break;
      case ChangeKind::kRollback: db_.checkIn(c.spec, content); break;
    }
  }

  nativetest::NativeDatabaseBuilder db_;
  std::uint64_t skipped_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_native_database <folder> <versions> [seed]\n");
    return 2;
  }
  try {
    ssapi::GeneratorOptions options;
    options.versions = std::strtoull(argv[2], nullptr, 10);
    if (argc > 3) options.seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    NativeSink sink;
    const ssapi::GeneratedDatabase made = ssapi::generateChanges(options, sink);
    std::filesystem::remove_all(argv[1]);
    sink.database().writeTo(argv[1]);
    std::printf("%llu changes (%llu left out), %llu versions in the text form's count, %zu items\n",
                static_cast<unsigned long long>(made.changes), static_cast<unsigned long long>(sink.skipped()),
                static_cast<unsigned long long>(made.versions), sink.database().itemCount());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_native_database: %s\n", e.what());
    return 1;
  }
}
