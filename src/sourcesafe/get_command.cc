#include "get/abstract_get_request.h"
#include "sourcesafe/program_requests.h"
#include "ssapi/ssapi.h"

namespace sourcesafe {

template <class A>
HRESULT ProgramRequests<A>::getByTime(Database* database, const std::wstring& path, const std::wstring& outputFile,
                                      util::JavaTime time) {
  return get::AbstractGetRequest<A>::byTime(channels_)->run(*database, path, outputFile, time);
}

template <class A>
HRESULT ProgramRequests<A>::getByVersion(Database* database, const std::wstring& path, const std::wstring& outputFile,
                                         util::JavaTime time, LONG version) {
  return get::AbstractGetRequest<A>::byVersion(channels_, version)->run(*database, path, outputFile, time);
}

#define QUILLGATE_GET_COMMANDS(A)                                                                                 \
  template HRESULT ProgramRequests<A>::getByTime(Database*, const std::wstring&, const std::wstring&, util::JavaTime); \
  template HRESULT ProgramRequests<A>::getByVersion(Database*, const std::wstring&, const std::wstring&,             \
                                                    util::JavaTime, LONG);
QUILLGATE_GET_COMMANDS(ssapi::Automation60)
QUILLGATE_GET_COMMANDS(ssapi::Automation2005)
#undef QUILLGATE_GET_COMMANDS

}  // namespace sourcesafe
