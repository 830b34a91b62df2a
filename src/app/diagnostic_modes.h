// The diagnostic words after the output files: facts about the machine and
// the program's time logic, without opening any database.
#pragma once

#include <string>

#include "output/output_channels.h"
#include "platform/system_time.h"
#include "util/java_time.h"

namespace app {

// "ss_path": the automation library's file path into the output XML file
// (no line break, no terminating zero) and 0; when it cannot be found, the
// line "Failed to get path to ssapi.dll" in the error file and 1.
int runSsPath(output::OutputChannels& channels);

// "ss_date": the javatime as SourceSafe writes a local date,
// e.g. "1/1/1970;12:00:00a", with no line break.
void runSsDate(const std::wstring& text, output::OutputChannels& channels);

// "debug_time": the current time and the given javatime through every
// conversion, with the zone information, so that a wrong zone set-up on a
// build machine shows.
void runDebugTime(const std::wstring& text, output::OutputChannels& channels);
// The same with the current local time given.
void runDebugTime(const std::wstring& text, const platform::SystemTime& now, output::OutputChannels& channels);

// One javatime through the zone conversions, as debug_time writes it.
std::wstring dumpJavaTime(const util::JavaTime& value);

}  // namespace app
