// The change-log loader: the base of every request that reads what happened
// to a SourceSafe project between two times (the history and the change-log
// patch). It walks the versions of the project and of everything below it,
// newest first, decodes each entry's action text and calls the request back
// through the visitor operations below.
#pragma once

#include <string>
#include <vector>

#include "navigation/deleted_test.h"
#include "navigation/item_iterator.h"
#include "navigation/version_cast.h"
#include "output/output_channels.h"
#include "util/java_time.h"
#include "util/rename_map.h"

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
  HRESULT loadChanges(const Item& item, std::vector<ChangeEntry<A>>* changes);
  HRESULT doIterate(Item& item);

  // Wrapping text of a request's document.
  virtual HRESULT OnStart(const Item& item);
  virtual HRESULT OnFinish(const Item& item);

  // The visitor operations every request supplies. path and oldPath are full
  // specs; changed tells new content of an existing item from an item that
  // appeared.
  virtual HRESULT visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder, const std::wstring& path,
                                           bool fromFuture) = 0;
  virtual HRESULT visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) = 0;
  virtual HRESULT visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) = 0;
  virtual HRESULT visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) = 0;
  virtual HRESULT visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath, const Item& item,
                                         bool fromFuture) = 0;
  // A link of a shared item, taken as it stood at the time and visited as
  // added.
  virtual HRESULT visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time);

  // Project-level entries about a named child; each automation generation
  // finds that child its own way.
  virtual HRESULT onHistoryAdded(const Item& item, const Version& version, const util::JavaTime& time,
                                 const std::wstring& name) = 0;
  virtual HRESULT onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                                   const std::wstring& name, bool fromFuture) = 0;
  virtual HRESULT onHistoryDestroyed(const Item& item, const Version& version, const util::JavaTime& time,
                                     const std::wstring& name, bool fromFuture) = 0;

  // Whether a rename met at that time maps the newer spec back to the older
  // one (true) or the older forward to the newer (false).
  virtual bool isInFuture(const util::JavaTime& time);

  // A check-in: every shared copy of the file inside the project, then the
  // file itself, as changed.
  virtual HRESULT onHistoryCheckedIn(const Item& item, const Version& version, const util::JavaTime& time);
  // A share into the project item: every link of the shared item that lies
  // inside that project, as added.
  virtual HRESULT onHistoryShared(const Item& item, const Version& version, const util::JavaTime& time,
                                  const std::wstring& name);

  // Decodes one entry of the change log and calls the matching operation.
  // action is a private copy.
  virtual HRESULT getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                                    const util::JavaTime& time, bool fromFuture);

  // The Debug line written before each entry is decoded.
  void traceEntry(const Version& version, bool fromFuture);

  // The loader's own log category ("History2").
  const navigation::ItemLogger<A>& log() const { return this->historyLog(); }

  output::OutputChannels& channels() const { return channels_; }
  const util::JavaTime& from() const { return from_; }
  const util::JavaTime& to() const { return to_; }
  const Item& root() const { return root_; }
  const std::wstring& rootSpec() const { return rootSpec_; }
  const ComPtr<Database>& database() const { return database_; }
  util::RenameMap& renames() { return renames_; }
  const util::RenameMap& renames() const { return renames_; }

 private:
  HRESULT walkProject(const std::wstring& path);
  HRESULT parseRename(const Item& item, const std::wstring& action, const util::JavaTime& time, bool fromFuture);
  HRESULT parseMove(const Item& item, const std::wstring& action, const util::JavaTime& time, bool fromFuture);

  util::JavaTime from_;
  util::JavaTime to_;
  output::OutputChannels& channels_;
  ComPtr<Database> database_;
  Item root_;
  std::wstring rootSpec_;
  util::RenameMap renames_;
};

extern template class History2<ssapi::Automation60>;
extern template class History2<ssapi::Automation2005>;

}  // namespace history
