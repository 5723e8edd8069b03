#include "HostSession.h"

#include "HostCollection.h"
#include "HostUnknown.h"

#include <AAX_LinuxRunLoop.h>

#include <exception>

namespace tanglefix::host
{

namespace
{
    // The entry points as a host calls them. The bundle is C++ on the other side of a plain
    // C boundary, so nothing but these types crosses it.
    using RegisterPluginFunction    = ACFRESULT (*) (IACFUnknown*, IACFPluginDefinition**);
    using RegisterComponentFunction = ACFRESULT (*) (IACFUnknown*, acfUInt32, IACFUnknown**);
    using GetClassFactoryFunction   = ACFRESULT (*) (IACFUnknown*, const acfCLSID&, const acfIID&, void**);
    using CanUnloadNowFunction      = ACFRESULT (*) (IACFUnknown*);
    using StartupFunction           = ACFRESULT (*) (IACFUnknown*);
    using ShutdownFunction          = ACFRESULT (*) (IACFUnknown*);
    using GetSdkVersionFunction     = ACFRESULT (*) (acfUInt64*);
}

HostSession::HostSession (HostOptions options)
    : context (std::make_shared<HostContext> (options))
{
    hostUnknown = new HostUnknown (context);
    hostUnknown->AddRef();
}

HostSession::~HostSession()
{
    // A host never unloads a bundle that it started and didn't shut down.
    if (started)
        shutDown();

    bundle.reset();
    hostUnknown->Release();
}

bool HostSession::load (const std::string& path, std::string& errorMessage)
{
    bundle = Bundle::open (path, errorMessage);
    return bundle != nullptr;
}

const Bundle& HostSession::getBundle() const
{
    return *bundle;
}

IACFUnknown* HostSession::getHostUnknown() const noexcept
{
    return hostUnknown->asUnknown();
}

template <typename Function, typename... Args>
EntryPointResult HostSession::call (const char* name, Args... args)
{
    EntryPointResult result;

    if (bundle == nullptr)
    {
        result.code = ACF_E_UNEXPECTED;
        result.problem = "no bundle is loaded";
        return result;
    }

    // An exported function must never let an exception out; if one does, the host reports
    // it instead of dying with the bundle.
    try
    {
        result.code = reinterpret_cast<Function> (bundle->entryPoint (name)) (args...);
    }
    catch (const std::exception& e)
    {
        result.code = ACF_E_UNEXPECTED;
        result.problem = std::string (name) + " let an exception escape: " + e.what();
    }
    catch (...)
    {
        result.code = ACF_E_UNEXPECTED;
        result.problem = std::string (name) + " let an exception escape";
    }

    return result;
}

EntryPointResult HostSession::startUp()
{
    auto result = call<StartupFunction> ("ACFStartup", hostUnknown->asUnknown());
    started = started || result.succeeded();
    return result;
}

EntryPointResult HostSession::getSdkVersion (acfUInt64& version)
{
    version = 0;
    return call<GetSdkVersionFunction> ("ACFGetSDKVersion", &version);
}

EntryPointResult HostSession::registerPlugin()
{
    registration.reset();
    IACFPluginDefinition* definition = nullptr;

    auto result = call<RegisterPluginFunction> ("ACFRegisterPlugin", hostUnknown->asUnknown(), &definition);

    if (result.code == ACF_OK && result.problem.empty())
    {
        // What the bundle hands back must be the definition the host built for it; anything
        // else (null included) would be a success with nothing registered.
        if (auto* collection = HostObject::as<HostCollection> (definition))
        {
            registration = collection->getRecord();
            result.problem = findRegistrationFault (*registration);
        }
        else
        {
            result.problem = definition == nullptr ? "ACFRegisterPlugin succeeded but returned no plug-in definition"
                                                   : "ACFRegisterPlugin returned a plug-in definition that is not the host's";
        }
    }

    if (definition != nullptr)
        definition->Release();

    return result;
}

EntryPointResult HostSession::registerComponent (acfUInt32 index)
{
    IACFUnknown* component = nullptr;
    auto result = call<RegisterComponentFunction> ("ACFRegisterComponent", hostUnknown->asUnknown(),
                                                   index, &component);

    if (component != nullptr)
        component->Release();

    return result;
}

EntryPointResult HostSession::getClassFactory (const acfCLSID& classID, const acfIID& interfaceID, bool& gotFactory)
{
    void* factory = nullptr;
    auto result = call<GetClassFactoryFunction> ("ACFGetClassFactory", hostUnknown->asUnknown(),
                                                 classID, interfaceID, &factory);
    gotFactory = factory != nullptr;

    // Every ACF interface starts with the IACFUnknown operations, so the reference can be
    // given back without knowing which interface it is.
    if (factory != nullptr)
        static_cast<IACFUnknown*> (factory)->Release();

    return result;
}

EntryPointResult HostSession::shutDown()
{
    started = false;
    return call<ShutdownFunction> ("ACFShutdown", hostUnknown->asUnknown());
}

int HostSession::dispatchRunLoop()
{
    auto* runLoop = bundle != nullptr ? bundle->runLoopEntryPoint() : nullptr;
    return runLoop != nullptr ? reinterpret_cast<AAXLinuxRunLoopDispatchProc> (runLoop)() : 0;
}

EntryPointResult HostSession::canUnloadNow (acfUInt32& activeObjects)
{
    auto result = call<CanUnloadNowFunction> ("ACFCanUnloadNow", hostUnknown->asUnknown());
    // The result is the count itself, not a status.
    activeObjects = result.problem.empty() ? static_cast<acfUInt32> (result.code) : 0;

    if (result.problem.empty())
        result.code = ACF_OK;

    return result;
}

int HostSession::getLeakedHostObjectCount() const
{
    return context->getLiveObjectCount() - 1;
}

} // namespace tanglefix::host
