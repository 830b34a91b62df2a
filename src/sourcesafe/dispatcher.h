// Reads a command and its arguments, runs the one request that carries it
// out, reports a failure with the command's fixed message, and folds the
// result into the exit code 0 or -1.
#pragma once

#include <string>

#include "log/logger.h"
#include "output/output_channels.h"
#include "sourcesafe/requests.h"
#include "util/arg_list.h"

namespace sourcesafe {

template <class A>
int dispatch(typename A::Database* database, const logging::Logger& log, const std::wstring& command,
             util::ArgList& args, Requests<A>& requests, output::OutputChannels& channels);

}  // namespace sourcesafe
