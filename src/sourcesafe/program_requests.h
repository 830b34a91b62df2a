// The program's own requests for each command.
#pragma once

#include "output/output_channels.h"
#include "sourcesafe/requests.h"

namespace sourcesafe {

template <class A>
class ProgramRequests : public Requests<A> {
 public:
  using Database = typename A::Database;
  explicit ProgramRequests(output::OutputChannels& channels) : channels_(channels) {}

  HRESULT history(Database* database, const std::wstring& path, util::JavaTime from, util::JavaTime to) override;
  HRESULT getByTime(Database* database, const std::wstring& path, const std::wstring& outputFile,
                    util::JavaTime time) override;
  HRESULT getByVersion(Database* database, const std::wstring& path, const std::wstring& outputFile,
                       util::JavaTime time, LONG version) override;
  HRESULT smartPatch(Database* database, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                     util::JavaTime to) override;
  HRESULT cleanPatch(Database* database, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                     util::JavaTime to) override;
  HRESULT treePatch(Database* database, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                    util::JavaTime to) override;
  HRESULT connection(Database* database, const std::wstring& path) override;

 private:
  output::OutputChannels& channels_;
};

}  // namespace sourcesafe
