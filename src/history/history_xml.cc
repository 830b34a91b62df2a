#include "history/history_xml.h"

#include <fmt/xchar.h>

#include "output/xml_escape.h"

namespace history {

std::wstring historyOpening(const util::JavaTime& from, const util::JavaTime& to) {
  return fmt::format(L"<history from=\"{}\" to=\"{}\">\r\n\r\n", from.toText(), to.toText());
}

std::wstring historyClosing() { return L"</history>\r\n"; }

std::wstring historyItem(const HistoryItemText& item) {
  return fmt::format(
      L"\n<history_item type=\"{}\" time=\"{}\" version=\"{}\">\n"
      L"   <file><![CDATA[{}]]></file>\n"
      L"   <user><![CDATA[{}]]></user>\n"
      L"   <action><![CDATA[{}]]></action>\n"
      L"   <comment><![CDATA[{}]]></comment>\n"
      L"   <rdate>{}</rdate>\n"
      L"</history_item>\n\n",
      output::escapeAttribute(item.isFolder ? L"Dir" : L"File"), item.time.toMillisText(), item.version,
      output::escapeCData(item.file), output::escapeCData(item.user), output::escapeCData(item.action),
      output::escapeCData(item.comment), output::escapeAttribute(item.time.toText()));
}

}  // namespace history
