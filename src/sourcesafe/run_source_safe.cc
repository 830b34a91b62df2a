#include "sourcesafe/run_source_safe.h"

#include "output/output_channels.h"
#include "sourcesafe/generation_choice.h"
#include "sourcesafe/program_requests.h"

namespace sourcesafe {

int runSourceSafe(util::ArgList& args) {
  output::OutputChannels& channels = output::channels();
  ProgramRequests<ssapi::Automation60> requests60(channels);
  ProgramRequests<ssapi::Automation2005> requests2005(channels);
  return runSourceSafeWith(args, requests60, requests2005, channels);
}

}  // namespace sourcesafe
