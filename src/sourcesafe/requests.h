// The requests a command runs, behind one interface so that the dispatcher's
// argument handling can be tested with recording fakes. Each call builds one
// request object, runs it once and destroys it before returning.
#pragma once

#include <string>

#include "platform/hresult.h"
#include "util/java_time.h"

namespace sourcesafe {

template <class A>
class Requests {
 public:
  using Database = typename A::Database;
  virtual ~Requests() = default;

  virtual HRESULT history(Database* database, const std::wstring& path, util::JavaTime from, util::JavaTime to) = 0;
  virtual HRESULT getByTime(Database* database, const std::wstring& path, const std::wstring& outputFile,
                            util::JavaTime time) = 0;
  virtual HRESULT getByVersion(Database* database, const std::wstring& path, const std::wstring& outputFile,
                               util::JavaTime time, LONG version) = 0;
  // The change-log patch ("patch").
  virtual HRESULT smartPatch(Database* database, const std::wstring& path, const std::wstring& mask,
                             util::JavaTime from, util::JavaTime to) = 0;
  // The clean patch by one recursive download ("patch2").
  virtual HRESULT cleanPatch(Database* database, const std::wstring& path, const std::wstring& mask,
                             util::JavaTime from, util::JavaTime to) = 0;
  // The clean patch by a walk over the item tree ("patch3").
  virtual HRESULT treePatch(Database* database, const std::wstring& path, const std::wstring& mask,
                            util::JavaTime from, util::JavaTime to) = 0;
  virtual HRESULT connection(Database* database, const std::wstring& path) = 0;
};

}  // namespace sourcesafe
