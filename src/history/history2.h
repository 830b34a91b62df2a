// The change-log loader: the base of every request that reads what happened
// to a SourceSafe project between two times (the history and the change-log
// patch). It walks the versions of the project and of everything that was
// below it, newest first, decodes each entry's action text and calls the
// request back through the visitor operations below.
//
// Every item handed to a visitor stands at the moment of its entry: its spec
// names the path it had then (every project above it under the name it had
// then), its deleted flag and version number are those of then. Only paths
// inside the requested project at that moment, and live then, are visited.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "navigation/deleted_test.h"
#include "navigation/item_iterator.h"
#include "navigation/version_cast.h"
#include "output/output_channels.h"
#include "util/java_time.h"

namespace history {

template <class A>
using VersionPtr = ComPtr<typename A::Version>;

// One loaded version of the change log.
template <class A>
struct ChangeEntry {
  VersionPtr<A> version;
  util::JavaTime time = util::EPOCH;  // the version's local date, as UTC
  bool fromFuture = false;            // later than the window's upper bound
};

template <class A>
class History2 : public navigation::VersionCast<A>, public navigation::DeletedTest<A> {
 public:
  using Item = navigation::ItemPtr<A>;
  using Version = VersionPtr<A>;
  using Database = typename A::Database;

  History2(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to);
  ~History2() override;

  // Opens the project at path, calls OnStart, walks the change log and calls
  // OnFinish. A request object runs once.
  HRESULT run(Database* database, const std::wstring& path);

 protected:
  // The two steps of the walk. doIterate replaces item by the project as it
  // stood at the upper bound; OnFinish gets that replaced reference.
  // Hands each entry of the window to `take`, newest first. A second pass
  // over the same log sets `again`: what the first pass logged is not
  // logged twice.
  HRESULT loadChanges(const Item& item, bool again, const std::function<void(ChangeEntry<A>&&)>& take);
  void visitChange(const ChangeEntry<A>& change);
  HRESULT doIterate(Item& item);

  // Wrapping text of a request's document.
  virtual HRESULT OnStart(const Item& item);
  virtual HRESULT OnFinish(const Item& item);

  // The visitor operations every request supplies. path and oldPath are full
  // specs as they were at the time; changed tells new content of an existing
  // item from an item that appeared.
  virtual HRESULT visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder, const std::wstring& path,
                                           bool fromFuture) = 0;
  virtual HRESULT visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) = 0;
  virtual HRESULT visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) = 0;
  virtual HRESULT visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) = 0;
  virtual HRESULT visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath, const Item& item,
                                         bool fromFuture) = 0;
  // A file that a share put into a project, visited as added.
  virtual HRESULT visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time);

  // Project-level entries about a named child; each automation generation
  // finds that child its own way. item is the project as of the entry.
  virtual HRESULT onHistoryAdded(const Item& item, const Version& version, const util::JavaTime& time,
                                 const std::wstring& name) = 0;
  virtual HRESULT onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                                   const std::wstring& name, bool fromFuture) = 0;
  virtual HRESULT onHistoryDestroyed(const Item& item, const Version& version, const util::JavaTime& time,
                                     const std::wstring& name, bool fromFuture) = 0;

  // New content of a file (a check-in or a rollback): every place that held
  // the file then, inside the project and showing the new version, as changed.
  virtual HRESULT onHistoryCheckedIn(const Item& item, const Version& version, const util::JavaTime& time);
  // A share into the project item: the copy it received, as added.
  virtual HRESULT onHistoryShared(const Item& item, const Version& version, const util::JavaTime& time,
                                  const std::wstring& name);

  // Decodes one entry of the change log and calls the matching operation.
  // action is a private copy.
  virtual HRESULT getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                                    const util::JavaTime& time, bool fromFuture);

  // The Debug line written before each entry is decoded.
  void traceEntry(const Version& version, bool fromFuture);

  // Whether the item, standing at the moment of an entry made at the time,
  // lay inside the requested project then (or was that project).
  bool isInsideRoot(const Item& item, const util::JavaTime& time);
  // The spec of the requested project at the time (it may have had another
  // name then); its present spec when it cannot be had.
  const std::wstring& rootSpecAt(const util::JavaTime& time);
  // Whether the item or a project above it, each taken at that time, had the
  // spec the requested project had then.
  bool projectAboveIsRoot(const Item& item, const util::JavaTime& at, const std::wstring& rootSpecThen);
  // Whether a project standing at the moment of an entry made at the time
  // was live then. SourceSafe's own files keep times to the second and no
  // order across items within one: a project deleted in the second of the
  // entry still counts as live when it was live just before that second.
  bool wasLive(const Item& project, const util::JavaTime& time);
  // The child of a project item with that name (exact spelling first, then
  // without regard to case), live ones before deleted ones; null when none.
  Item namedChild(const Item& project, const std::wstring& name, bool includeDeleted);

  // The loader's own log category ("History2").
  const navigation::ItemLogger<A>& log() const { return this->historyLog(); }

  output::OutputChannels& channels() const { return channels_; }
  const util::JavaTime& from() const { return from_; }
  const util::JavaTime& to() const { return to_; }
  const Item& root() const { return root_; }
  // The requested project as it stood at the upper bound; null when it did
  // not exist yet then.
  const Item& rootAtTo() const { return rootAtTo_; }
  const std::wstring& rootSpec() const { return rootSpec_; }
  const ComPtr<Database>& database() const { return database_; }

 private:
  HRESULT walkProject(const std::wstring& path);
  // The first version of an item that arrived with it (a new file or project,
  // a branched file): the item where it stood then.
  HRESULT visitArrival(const Item& item, const util::JavaTime& time);
  // The places of a file then, inside the project, live and showing the
  // entry's version.
  HRESULT visitPlacesOf(const Item& item, bool changed, const util::JavaTime& time);
  // "Added x": normally the new file's own first version reports it.
  HRESULT onChildAdded(const Item& item, const util::JavaTime& time, const std::wstring& name);
  HRESULT onHistoryRestored(const Item& item, const util::JavaTime& time, const std::wstring& name);
  HRESULT onHistoryPinned(const Item& item, const util::JavaTime& time, const std::wstring& name);
  HRESULT onHistoryArchived(const util::JavaTime& time, const Item& item, const std::wstring& name, bool fromFuture);
  HRESULT parseRename(const Item& item, const std::wstring& action, const util::JavaTime& time, bool fromFuture);
  HRESULT parseMove(const Item& item, const std::wstring& action, const util::JavaTime& time, bool fromFuture);

  util::JavaTime from_;
  util::JavaTime to_;
  output::OutputChannels& channels_;
  ComPtr<Database> database_;
  Item root_;
  Item rootAtTo_;
  std::wstring rootSpec_;
  // The last answer of rootSpecAt: entries come newest first, many at one time.
  bool rootSpecCached_ = false;
  util::JavaTime rootSpecTime_ = util::EPOCH;
  std::wstring rootSpecThen_;
};

extern template class History2<ssapi::Automation60>;
extern template class History2<ssapi::Automation2005>;

}  // namespace history
