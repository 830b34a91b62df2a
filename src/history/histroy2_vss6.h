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
  // Children by spec, ordered by plain code-unit comparison.
  using ChildMap = std::map<std::wstring, Item>;

  HRESULT reportChildChanges(const Item& item, const util::JavaTime& time, bool fromFuture);
  HRESULT diffChildren(const Item& item, ChildMap* added, ChildMap* removed);
  HRESULT loadChildren(const Item& item, ChildMap* children);

  navigation::ItemLogger<A> log_;
};

}  // namespace history
