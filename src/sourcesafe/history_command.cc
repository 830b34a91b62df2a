#include "history/history_request2.h"
#include "sourcesafe/program_requests.h"
#include "ssapi/ssapi.h"

namespace sourcesafe {

template <class A>
HRESULT ProgramRequests<A>::history(Database* database, const std::wstring& path, util::JavaTime from,
                                    util::JavaTime to) {
  history::HistoryRequest2<A> request(channels_, from, to);
  return request.run(database, path);
}

template HRESULT ProgramRequests<ssapi::Automation60>::history(Database*, const std::wstring&, util::JavaTime, util::JavaTime);
template HRESULT ProgramRequests<ssapi::Automation2005>::history(Database*, const std::wstring&, util::JavaTime, util::JavaTime);

}  // namespace sourcesafe
