// The change-log loader over the SourceSafe 2005 automation, whose items can
// look a child up by name: project entries about a child ("Added",
// "Recovered", "Deleted", "Destroyed") are resolved through the name they
// carry, with coarser reports when the lookup fails.
#pragma once

#include <string>

#include "history/history2.h"

namespace history {

class History2Vss2005 : public History2<ssapi::Automation2005> {
 public:
  using A = ssapi::Automation2005;

  History2Vss2005(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to);
  ~History2Vss2005() override;

 protected:
  HRESULT onHistoryAdded(const Item& item, const Version& version, const util::JavaTime& time,
                         const std::wstring& name) override;
  HRESULT onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                           const std::wstring& name, bool fromFuture) override;
  HRESULT onHistoryDestroyed(const Item& item, const Version& version, const util::JavaTime& time,
                             const std::wstring& name, bool fromFuture) override;

 private:
  // Every direct child of the project, as added.
  HRESULT getAllItemsUnder(const Item& item, const util::JavaTime& time);

  navigation::ItemLogger<A> log_;
};

}  // namespace history
