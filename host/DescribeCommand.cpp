#include "DescribeCommand.h"

#include "HostSession.h"
#include "RegistrationPrinter.h"

namespace tanglefix::host
{

namespace
{
    std::string formatResult (const EntryPointResult& result)
    {
        return std::to_string (result.code);
    }

    /** Prints a failed call and says whether the command should stop. */
    bool reportFailure (const char* what, const EntryPointResult& result, std::ostream& err)
    {
        if (result.succeeded())
            return false;

        err << "tanglefix-host: " << what << " failed";

        if (result.code != ACF_OK)
            err << " with result " << result.code
                << " (" << RegistrationPrinter::formatHex (static_cast<std::uint32_t> (result.code), 8) << ")";

        if (! result.problem.empty())
            err << ": " << result.problem;

        err << "\n";
        return true;
    }
}

DescribeCommand::DescribeCommand (HostOptions o)
    : options (o)
{
}

int DescribeCommand::run (const std::string& bundlePath, std::ostream& out, std::ostream& err) const
{
    HostSession session (options);
    std::string loadError;

    if (! session.load (bundlePath, loadError))
    {
        err << "tanglefix-host: " << loadError << "\n";
        return bundleNotLoaded;
    }

    const auto& bundle = session.getBundle();
    const RegistrationPrinter printer (out, [&bundle] (const void* p) { return bundle.describePointer (p); });
    auto exitCode = success;

    out << "Bundle: " << bundle.getPath() << "\n";

    const auto startUp = session.startUp();
    out << "Start-up: " << formatResult (startUp) << "\n";

    if (reportFailure ("ACFStartup", startUp, err))
    {
        printer.printTraces (session.getTraces());
        printer.printAsserts (session.getAsserts());
        return bundleCallFailed;
    }

    acfUInt64 sdkVersion = 0;
    const auto version = session.getSdkVersion (sdkVersion);
    out << "SDK version: " << RegistrationPrinter::formatHex (sdkVersion, 16) << "\n";

    if (reportFailure ("ACFGetSDKVersion", version, err))
        exitCode = bundleCallFailed;

    const auto registration = session.registerPlugin();
    out << "Registration: " << formatResult (registration) << "\n";

    if (session.getRegistration().has_value())
        printer.print (*session.getRegistration());

    if (reportFailure ("ACFRegisterPlugin", registration, err))
        exitCode = bundleCallFailed;

    // Shut down even after a failed registration: the bundle must let go of the host either way.
    const auto shutDown = session.shutDown();
    out << "Shut-down: " << formatResult (shutDown) << "\n";

    if (reportFailure ("ACFShutdown", shutDown, err))
        exitCode = bundleCallFailed;

    printer.printTraces (session.getTraces());
    printer.printAsserts (session.getAsserts());

    acfUInt32 activeObjects = 0;
    const auto unload = session.canUnloadNow (activeObjects);
    out << "Active objects after shut-down: " << activeObjects << "\n";

    if (reportFailure ("ACFCanUnloadNow", unload, err))
    {
        exitCode = bundleCallFailed;
    }
    else if (activeObjects != 0)
    {
        err << "tanglefix-host: the bundle cannot be unloaded: " << activeObjects << " of its objects are still alive\n";
        exitCode = exitCode == success ? bundleNotClean : exitCode;
    }

    const auto leaked = session.getLeakedHostObjectCount();
    out << "Host objects still held: " << leaked << "\n";

    if (leaked != 0)
    {
        err << "tanglefix-host: the bundle still holds " << leaked << " host object(s) after shut-down\n";
        exitCode = exitCode == success ? bundleNotClean : exitCode;
    }

    return exitCode;
}

} // namespace tanglefix::host
