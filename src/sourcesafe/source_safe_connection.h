// One automation generation's database object, the checks of the srcsafe.ini
// path, the login, and the hand-over to the dispatcher.
#pragma once

#include "log/logger.h"
#include "output/output_channels.h"
#include "platform/com.h"
#include "sourcesafe/requests.h"
#include "util/arg_list.h"

namespace sourcesafe {

template <class A>
class SourceSafeConnection {
 public:
  SourceSafeConnection() : log_(L"ssCommandLine") {}
  SourceSafeConnection(const SourceSafeConnection&) = delete;
  SourceSafeConnection& operator=(const SourceSafeConnection&) = delete;

  // Creates the database object of this generation through the class
  // registry (ProgID "SourceSafe"); true when one was obtained.
  bool probe();

  // Takes srcsafe.ini, login, password and command from args, checks the ini
  // path, opens the database and dispatches. Returns the exit code.
  int openAndDispatch(util::ArgList args, Requests<A>& requests, output::OutputChannels& channels);

  typename A::Database* database() const { return database_.get(); }
  const logging::Logger& log() const { return log_; }

 private:
  ComPtr<typename A::Database> database_;
  logging::Logger log_;
};

}  // namespace sourcesafe
