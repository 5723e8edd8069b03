#include "HostServices.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

namespace
{
    std::string textOrEmpty (const char* text)
    {
        return text != nullptr ? text : "";
    }
}

HostServices::HostServices (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostServices::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::hostServices,
                               { { IID_IAAXHostServicesV1, static_cast<AAX_IACFHostServices*> (this) },
                                 { IID_IAAXHostServicesV2, static_cast<AAX_IACFHostServices_V2*> (this) },
                                 { IID_IAAXHostServicesV3, static_cast<AAX_IACFHostServices_V3*> (this) } });
}

AAX_Result HostServices::Trace (int32_t priority, const char* message)
{
    getContext().addTrace ({ priority, -1, textOrEmpty (message) });
    return AAX_SUCCESS;
}

AAX_Result HostServices::StackTrace (int32_t tracePriority, int32_t stackTracePriority, const char* message)
{
    getContext().addTrace ({ tracePriority, stackTracePriority, textOrEmpty (message) });
    return AAX_SUCCESS;
}

AAX_Result HostServices::HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags)
{
    getContext().addAssert ({ textOrEmpty (file), line, textOrEmpty (note), flags });
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
