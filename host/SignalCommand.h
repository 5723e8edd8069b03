#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** The "signal" command: writes the built-in test signal (TestSignal.h) to a WAV file, the
    input that the main job renders through the plug-in.
      signal OUT.wav [--seconds S] [--rate R] [--channels 1|2]
    Returns 0, or 64 for unusable arguments and 73 when the file cannot be written.
*/
int runSignalCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tanglefix::host
