// tanglefix-host: plays the AAX host on Linux. It loads a bundle through its exported entry
// points only and reports what the bundle tells it.

#include "DescribeCommand.h"
#include "HostOptions.h"
#include "InstanceCommands.h"
#include "RenderCommand.h"
#include "SignalCommand.h"

#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
    constexpr int usageExitCode = 64;
    constexpr int systemErrorExitCode = 71;

    /** Points a closed standard stream at /dev/null. Otherwise the next file opened would take
        its number: the input as standard input, the output as standard output, and what is
        printed would land in the audio. */
    bool openStandardStreams()
    {
        for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor)
            if (fcntl (descriptor, F_GETFD) < 0 && errno == EBADF
                 && ::open ("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY) != descriptor)
                return false;

        return true;
    }

    void printUsage (std::ostream& out)
    {
        out << "Usage: tanglefix-host describe [--offer FAMILY=N]... BUNDLE\n"
               "       tanglefix-host params [--offer FAMILY=N]... [--set NAME=VALUE]... BUNDLE\n"
               "       tanglefix-host chunk get [--offer FAMILY=N]... [--set NAME=VALUE]... BUNDLE FILE\n"
               "       tanglefix-host chunk set [--offer FAMILY=N]... BUNDLE FILE\n"
               "       tanglefix-host render BUNDLE IN.wav OUT.wav [--set NAME=VALUE]... [--oversample N]\n"
               "                      [--limiter] [--bypass] [--layout mono|mono-stereo|stereo] [--block N]\n"
               "                      [--state FILE] [--offer FAMILY=N]...\n"
               "       tanglefix-host editor [--set NAME=VALUE]... [--scale S] [--screenshot FILE.png] [--hold MS] BUNDLE\n"
               "       tanglefix-host signal OUT.wav [--seconds S] [--rate R] [--channels 1|2]\n"
               "\n"
               "  describe   starts BUNDLE up, registers it, prints the registration, shuts it down\n"
               "  params     makes an instance of BUNDLE's effect and lists its parameters\n"
               "  chunk      saves an instance's chunks to FILE (get) or restores them from it (set)\n"
               "  editor     opens an instance's editor in an X window, times the cold open, drags it\n"
               "             to scale S, saves a picture of it after MS milliseconds (500)\n"
               "  --set      sets a parameter's normalised value first; NAME is its name or id\n"
               "  render     renders IN.wav through BUNDLE offline, latency compensated, into OUT.wav;\n"
               "             NAME is a parameter's name or id, VALUE normalised (0 to 1); --bypass is\n"
               "             the host's master bypass; --state restores a file of 'chunk get' first\n"
               "  signal     writes the built-in test signal (a log sweep with noise bursts)\n"
               "  --offer    offer only versions 1..N of a host interface (0: none); FAMILY is\n"
               "             'all' or one of:";

        for (int i = 0; i < static_cast<int> (tanglefix::host::InterfaceFamily::numFamilies); ++i)
            out << " " << tanglefix::host::HostOptions::nameOf (static_cast<tanglefix::host::InterfaceFamily> (i));

        out << "\n";
    }

    int runDescribe (const std::vector<std::string>& args)
    {
        tanglefix::host::HostOptions options;
        std::string bundlePath;

        for (size_t i = 0; i < args.size(); ++i)
        {
            if (args[i] == "--offer" && i + 1 < args.size())
            {
                if (! options.parseOffer (args[++i]))
                {
                    std::cerr << "tanglefix-host: bad --offer value '" << args[i] << "'\n";
                    return usageExitCode;
                }
            }
            else if (bundlePath.empty() && args[i].rfind ("--", 0) != 0)
            {
                bundlePath = args[i];
            }
            else
            {
                printUsage (std::cerr);
                return usageExitCode;
            }
        }

        if (bundlePath.empty())
        {
            printUsage (std::cerr);
            return usageExitCode;
        }

        return tanglefix::host::DescribeCommand (options).run (bundlePath, std::cout, std::cerr);
    }
}

namespace
{
    int runRender (const std::vector<std::string>& args)
    {
        tanglefix::host::RenderOptions options;
        std::string error;

        if (! options.parse (args, error))
        {
            std::cerr << "tanglefix-host render: " << error << "\n";
            printUsage (std::cerr);
            return usageExitCode;
        }

        return tanglefix::host::RenderCommand (options).run (std::cout, std::cerr);
    }
}

int main (int argc, char** argv)
{
    if (! openStandardStreams())
        return systemErrorExitCode;

    const std::vector<std::string> args (argv + 1, argv + argc);

    if (args.empty() || args[0] == "--help" || args[0] == "-h")
    {
        printUsage (args.empty() ? std::cerr : std::cout);
        return args.empty() ? usageExitCode : 0;
    }

    if (args[0] == "describe")
        return runDescribe ({ args.begin() + 1, args.end() });

    if (args[0] == "params")
        return tanglefix::host::runParamsCommand ({ args.begin() + 1, args.end() }, std::cout, std::cerr);

    if (args[0] == "chunk")
        return tanglefix::host::runChunkCommand ({ args.begin() + 1, args.end() }, std::cout, std::cerr);

    if (args[0] == "render")
        return runRender ({ args.begin() + 1, args.end() });
    if (args[0] == "editor")
        return tanglefix::host::runEditorCommand ({ args.begin() + 1, args.end() }, std::cout, std::cerr);

    if (args[0] == "signal")
        return tanglefix::host::runSignalCommand ({ args.begin() + 1, args.end() }, std::cout, std::cerr);

    std::cerr << "tanglefix-host: unknown command '" << args[0] << "'\n";
    printUsage (std::cerr);
    return usageExitCode;
}
