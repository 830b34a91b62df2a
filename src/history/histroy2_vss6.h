// The change-log loader over the SourceSafe 6.0 automation. Its project
// entries about a child ("Added", "Recovered", "Deleted", "Destroyed") cannot
// be trusted to name the child, and the 6.0 item has no child lookup by name,
// so the project's children are compared with those of its previous version
// instead (Microsoft Knowledge Base article 248078).
#pragma once

#include <map>
#include <string>

#include "history/history2.h"

namespace history {

class Histroy2Vss6 : public History2<ssapi::Automation60> {
 public:
  using A = ssapi::Automation60;

  Histroy2Vss6(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to);
  ~Histroy2Vss6() override;

 protected:
  HRESULT onHistoryAdded(const Item& item, const Version& version, const util::JavaTime& time,
                         const std::wstring& name) override;
  HRESULT onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                           const std::wstring& name, bool fromFuture) override;
  HRESULT onHistoryDestroyed(const Item& item, const Version& version, const util::JavaTime& time,
                             const std::wstring& name, bool fromFuture) override;

 private:
  // A child of the project at one of its versions.
  struct Child {
    std::wstring spec;
    Item item;
  };
  // Children by name without regard to letter case: the versions compared
  // may name the project differently (it may have been renamed in between),
  // so their specs cannot be compared.
  using ChildMap = std::map<std::wstring, Child>;

  HRESULT reportChildChanges(const Item& item, const util::JavaTime& time, bool fromFuture);
  HRESULT diffChildren(const Item& item, ChildMap* added, ChildMap* removed);
  HRESULT loadChildren(const Item& item, ChildMap* children);
  // A removed child as the entry left it: deleted in the project's version
  // of the entry, or gone from it.
  void reportRemoved(const Item& project, const Child& before, const util::JavaTime& time, bool fromFuture);

  navigation::ItemLogger<A> log_;
};

}  // namespace history
