#pragma once

#include "RenderOptions.h"

#include <ostream>

namespace tanglefix::host
{

/** The "render" command: runs a sound file through the bundle offline, as a host bounces a
    track through an insert: start-up, registration, an instance for the layout, the settings
    (state chunks, host parameters, the master bypass), the audio on the host's audio thread
    with the reported latency compensated, then release, unload check and shut-down.
*/
class RenderCommand
{
public:
    enum ExitCode
    {
        success = 0,
        bundleNotLoaded = 1,      // as describe
        bundleCallFailed = 2,
        bundleNotClean = 3,
        badArguments = 64,        // unusable options or parameter names
        unusableInput = 65,       // unreadable input or state file, unsupported channels or rate
        cannotWrite = 73,         // the output's place refused before any audio
        writeFailed = 74          // a write failed on the way: disk full, size limit, closed output
    };

    explicit RenderCommand (RenderOptions options);

    /** Runs the command; what it did goes to out, problems to err. Returns an ExitCode. */
    int run (std::ostream& out, std::ostream& err) const;

private:
    RenderOptions options;
};

} // namespace tanglefix::host
