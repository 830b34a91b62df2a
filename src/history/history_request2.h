// The history command: one history document listing every change to the
// files and subprojects of a project between two times, newest first, with
// the user, comment and version number of each change.
#pragma once

#include <set>
#include <string>
#include <tuple>

#include "history/generation_history.h"

namespace history {

template <class A>
class HistoryRequest2 : public GenerationHistory<A> {
 public:
  using Base = GenerationHistory<A>;
  using Item = typename Base::Item;
  using Version = typename Base::Version;

  HistoryRequest2(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to);
  ~HistoryRequest2() override;

  // Writes one history_item, unless the entry being decoded wrote the same
  // one (path, action and version) already: one change is reported once per
  // path. Two changes of one second are two entries, and two items.
  HRESULT writeItem(const std::wstring& action, bool isFolder, const util::JavaTime& time, const std::wstring& path,
                    LONG number);

 protected:
  HRESULT OnStart(const Item& item) override;
  HRESULT OnFinish(const Item& item) override;

  HRESULT visitHistoryNodeRemoveEx(const util::JavaTime& time, bool isFolder, const std::wstring& path,
                                   bool fromFuture) override;
  HRESULT visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) override;
  HRESULT visitHistoryNodeAdded(bool changed, const util::JavaTime& time, const Item& item) override;
  HRESULT visitHistoryNodeAddedTree(const util::JavaTime& time, const Item& item) override;
  HRESULT visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath, const Item& item,
                                 bool fromFuture) override;

  // Takes the user, comment and version number of the entry, then decodes it.
  HRESULT getItemFromParentAndActionAndCall(const Version& version, const Item& item, std::wstring action,
                                            const util::JavaTime& time, bool fromFuture) override;

 private:
  std::wstring entryComment(const Version& version, const Item& item);
  // When the entry has no comment, the comment of the item's own version.
  void loadCommentIfEmpty(const Item& item, const util::JavaTime& time);
  // The comment of the version object that the 2005 item gives for itself.
  static bool ownVersionComment(const Item& item, std::wstring* comment)
    requires(A::kIs2005);

  const std::wstring actionAdded_ = L"Added";
  const std::wstring actionChanged_ = L"Changed";
  const std::wstring actionDeleted_ = L"Deleted";
  navigation::ItemLogger<A> log_;
  std::wstring comment_;
  std::wstring user_;
  LONG versionNumber_ = -1;
  std::set<std::tuple<std::wstring, std::wstring, LONG>> written_;  // by the current entry
};

extern template class HistoryRequest2<ssapi::Automation60>;
extern template class HistoryRequest2<ssapi::Automation2005>;

}  // namespace history
