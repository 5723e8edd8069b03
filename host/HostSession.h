#pragma once

#include "Bundle.h"
#include "HostContext.h"
#include "HostOptions.h"
#include "Registration.h"

#include <ACFTypes.h>

#include <memory>
#include <optional>
#include <string>

namespace tanglefix::host
{

class HostUnknown;

/** The answer of one call into the bundle: its result code, and what went wrong on the host's
    side of the call when the bundle broke the rules (an exception let through, a success
    without the object it promised).
*/
struct EntryPointResult
{
    ACFRESULT code = ACF_OK;
    std::string problem;

    bool succeeded() const noexcept { return code == ACF_OK && problem.empty(); }
};

/** One bundle loaded into the stand-in host, driven through its seven entry points.

    The session owns the host unknown that it hands to every entry point; the objects the
    bundle obtains through it are the host's, reference counted, and report into one context.
    Instances and processing will hang off this class too.
*/
class HostSession
{
public:
    explicit HostSession (HostOptions options = {});
    ~HostSession();

    HostSession (const HostSession&) = delete;
    HostSession& operator= (const HostSession&) = delete;

    /** Opens the bundle; false (with the reason) when it can't be loaded or lacks an entry point. */
    bool load (const std::string& path, std::string& errorMessage);
    const Bundle& getBundle() const;

    EntryPointResult startUp();
    EntryPointResult getSdkVersion (acfUInt64& version);

    /** Registers the plug-in. Whenever the bundle hands back its definition, what it registered
        is available from getRegistration(); a registration that reports success but is
        incomplete comes back with a problem.
    */
    EntryPointResult registerPlugin();
    const std::optional<PluginRecord>& getRegistration() const noexcept { return registration; }

    EntryPointResult registerComponent (acfUInt32 index);

    /** Asks the bundle for a class factory; gotFactory tells whether it handed one out. */
    EntryPointResult getClassFactory (const acfCLSID& classID, const acfIID& interfaceID, bool& gotFactory);
    EntryPointResult shutDown();

    /** Main thread: lets the bundle dispatch its pending messages (the platform's run loop on
        other systems). Returns how often it found something to do; 0 for a bundle without
        the Linux run-loop export. Call it regularly while instances are alive.
    */
    int dispatchRunLoop();

    /** The bundle's count of live objects: 0 means it may be unloaded. */
    EntryPointResult canUnloadNow (acfUInt32& activeObjects);

    std::vector<TraceRecord> getTraces() const    { return context->getTraces(); }
    std::vector<AssertRecord> getAsserts() const  { return context->getAsserts(); }

    /** Host objects still alive apart from the host unknown that the session itself holds:
        anything else left after shut-down is a reference the bundle never released.
    */
    int getLeakedHostObjectCount() const;

    IACFUnknown* getHostUnknown() const noexcept;

    /** What the session's host objects share; objects made for instances join it. */
    const std::shared_ptr<HostContext>& getSharedContext() const noexcept { return context; }

private:
    template <typename Function, typename... Args>
    EntryPointResult call (const char* name, Args... args);

    std::shared_ptr<HostContext> context;
    HostUnknown* hostUnknown = nullptr;     // one reference held for the session's life
    std::unique_ptr<Bundle> bundle;
    std::optional<PluginRecord> registration;
    bool started = false;
};

} // namespace tanglefix::host
