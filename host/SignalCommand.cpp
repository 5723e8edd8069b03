#include "SignalCommand.h"

#include "RenderOptions.h"
#include "TestSignal.h"

namespace tanglefix::host
{

namespace
{
    constexpr int usageExitCode = 64;
    constexpr int cannotCreateExitCode = 73;

    int usageError (std::ostream& err, const std::string& message)
    {
        err << "tanglefix-host signal: " << message << "\n";
        return usageExitCode;
    }
}

int runSignalCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string path;
    double seconds = 4.0;
    int rate = 48000, channels = 2;

    for (size_t i = 0; i < args.size(); ++i)
    {
        if (args[i].rfind ("--", 0) != 0)
        {
            if (! path.empty())
                return usageError (err, "only one output file, please");

            path = args[i];
            continue;
        }

        if (i + 1 >= args.size())
            return usageError (err, args[i] + " needs a value");

        const auto& option = args[i];
        const auto& value = args[++i];

        if (option == "--seconds")
        {
            const auto parsed = parseNumber (value, 0.01, 600.0);
            if (! parsed.has_value())
                return usageError (err, "--seconds takes a length from 0.01 to 600, not '" + value + "'");
            seconds = *parsed;
        }
        else if (option == "--rate")
        {
            const auto parsed = parseNumber (value, 1, 1e6);
            if (! parsed.has_value() || ! isSupportedSampleRate ((int) *parsed) || *parsed != (int) *parsed)
                return usageError (err, "--rate takes 44100, 48000, 88200, 96000, 176400 or 192000, not '" + value + "'");
            rate = (int) *parsed;
        }
        else if (option == "--channels")
        {
            if (value != "1" && value != "2")
                return usageError (err, "--channels takes 1 or 2, not '" + value + "'");
            channels = value == "1" ? 1 : 2;
        }
        else
        {
            return usageError (err, "unknown option " + option);
        }
    }

    if (path.empty())
        return usageError (err, "where should the signal go? signal OUT.wav [--seconds S] [--rate R] [--channels 1|2]");

    std::string error, movedPath;

    if (! AudioFile::writeWav (path, makeTestSignal (seconds, rate, channels), error, &movedPath))
    {
        err << "tanglefix-host signal: " << error << "\n";
        return cannotCreateExitCode;
    }

    if (! error.empty())
        err << "tanglefix-host signal: warning: " << error << "\n";

    out << "Test signal: " << seconds << " s, " << rate << " Hz, " << channels
        << (channels == 1 ? " channel" : " channels") << ": a 20 Hz to 20 kHz log sweep at -12 dBFS"
           " with 100 ms noise bursts at -18 dBFS every 500 ms\n"
        << "Wrote " << (movedPath.empty() ? path : movedPath) << "\n";
    return 0;
}

} // namespace tanglefix::host
