// Chooses the automation generation (2005 when it is installed, unless a
// switch says otherwise) and runs the command through it.
#pragma once

#include "output/output_channels.h"
#include "sourcesafe/requests.h"
#include "ssapi/ssapi.h"
#include "util/arg_list.h"

namespace sourcesafe {

int runSourceSafeWith(util::ArgList& args, Requests<ssapi::Automation60>& requests60,
                      Requests<ssapi::Automation2005>& requests2005, output::OutputChannels& channels);

}  // namespace sourcesafe
