#pragma once

#include "HostOptions.h"

#include <ostream>
#include <string>

namespace tanglefix::host
{

/** The "describe" command: starts a bundle up, asks its SDK version, registers it, prints the
    whole registration, then shuts it down and checks that it can be unloaded.
*/
class DescribeCommand
{
public:
    enum ExitCode
    {
        success = 0,
        bundleNotLoaded = 1,     // missing file, not a shared library, missing entry point
        bundleCallFailed = 2,    // an entry point failed or broke the rules
        bundleNotClean = 3       // after shut-down: objects still alive or references kept
    };

    explicit DescribeCommand (HostOptions options);

    /** Runs the command; the listing goes to out, problems to err. Returns an ExitCode. */
    int run (const std::string& bundlePath, std::ostream& out, std::ostream& err) const;

private:
    HostOptions options;
};

} // namespace tanglefix::host
