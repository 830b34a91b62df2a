#include "util/usage.h"

#include "platform/console.h"
#include "util/main_logger.h"

namespace util {
namespace {

constexpr const wchar_t* kUsageLines[] = {
    L"Usage:\r\n",
    L"quillgate.exe [/log|/logf <log file>] <output xml file> <output error text file> "
    L"[/version-v6|/version-v2005] <srcsafe.ini> /login:<login> /pwd:<pwd> <command_and_args>\r\n",
    L"where:\r\n",
    L"  /log - enables debug logging to <output xml file>.logs.txt file\r\n",
    L"  /logf - enables debug logging to <log file>\r\n",
    L"  <output xml file> - file name to save xml-output for Velmora\r\n",
    L"  <output error file> - file for any other (means error) output\r\n",
    L"  /version-v6 - force using VSS6\r\n",
    L"  /version-v2005 - force using VSS2005\r\n",
    L"  <srcsafe.ini> - path to srcsafe.ini\r\n",
    L"  <login> - login name to VSS\r\n",
    L"  <pwd> - password to VSS\r\n",
    L"  <command_and_args> - syntax depends on the command:\r\n",
    L"     history <path> [<from> [<to>]] \r\n",
    L"     get <path> <output file> <time> [version]\r\n",
    L"     patch <path> <output file mask> [<from> [<to>]]\r\n",
    L"     patch2 <path> <output file mask> [<from> [<to>]]\r\n",
    L"     connection <path>\r\n",
    L"     \r\n",
    L"     where:\r\n",
    L"       <from>, <to>, <time> - javatime long integer\r\n",
    L"       <path> - VSS path of item, like, starting from $\\ \r\n",
    L"       <output file mask> - prefix name for checked out files\r\n",
    L"       <output file> - file to save chedkout result\r\n",
    L"       [version] - version of an VSS item to get\r\n",
    L"       \r\n",
    L"     commands description:\r\n",
    L"       history - builds log if changes. User, files, actions, comment,time, etc\r\n",
    L"       get - gets the file from VSS on current date and/+ revision\r\n",
    L"       patch - builds patch using changes log analisys.\r\n",
    L"       patch2 - builds clean patch using recursive \r\n",
    L"                IVSSItem::Get command. <from> is ignored\r\n",
    L"       patch3 - builds clean patch using VSSItem tree walk\r\n",
    L"       connections - checks connection to some VSS path\r\n",
    L"       \r\n",
    L"       \r\n",
};

}  // namespace

int printUsage() {
  mainLogger().info(L"Command line parameters error.");
  for (const wchar_t* line : kUsageLines) platform::printConsole(line);
  return -1;
}

}  // namespace util
