// The texts of the history document: the opening and closing of the history
// element and one history_item per change. The change-log patch writes the
// same wrapper inside its own document.
#pragma once

#include <string>

#include "platform/hresult.h"
#include "util/java_time.h"

namespace history {

// "<history from=... to=...>" with the window's bounds as dates.
std::wstring historyOpening(const util::JavaTime& from, const util::JavaTime& to);
std::wstring historyClosing();

struct HistoryItemText {
  bool isFolder = false;
  util::JavaTime time = util::EPOCH;
  LONG version = 0;
  std::wstring file;  // the spec as it is to be shown
  std::wstring user;
  std::wstring action;
  std::wstring comment;
};

// One history_item element, its values escaped.
std::wstring historyItem(const HistoryItemText& item);

}  // namespace history
