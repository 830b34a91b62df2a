#include "sourcesafe/program_requests.h"

#include "sourcesafe/connection_test.h"
#include "ssapi/ssapi.h"

namespace sourcesafe {

template <class A>
HRESULT ProgramRequests<A>::connection(Database* database, const std::wstring& path) {
  return ConnectionTest<A>(channels_).run(database, path);
}

// The other commands' members are defined and instantiated in their own
// files (history_command.cc, get_command.cc, patch_command.cc).
template class ProgramRequests<ssapi::Automation60>;
template class ProgramRequests<ssapi::Automation2005>;

}  // namespace sourcesafe
