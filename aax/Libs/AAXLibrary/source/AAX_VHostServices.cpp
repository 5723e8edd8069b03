#include "AAX_VHostServices.h"
#include "AAX_HostComponents.h"

AAX_VHostServices::AAX_VHostServices (IACFUnknown* hostUnknown)
{
    // The host may offer any of the versions; each is created on its own.
    mHostServicesV1 = AAX::CreateHostComponent<AAX_IACFHostServices> (hostUnknown, AAXCompID_HostServices, IID_IAAXHostServicesV1);
    mHostServicesV2 = AAX::CreateHostComponent<AAX_IACFHostServices_V2> (hostUnknown, AAXCompID_HostServices, IID_IAAXHostServicesV2);
    mHostServicesV3 = AAX::CreateHostComponent<AAX_IACFHostServices_V3> (hostUnknown, AAXCompID_HostServices, IID_IAAXHostServicesV3);
}

AAX_VHostServices::~AAX_VHostServices() = default;

AAX_Result AAX_VHostServices::HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags)
{
    if (! mHostServicesV3)
        return AAX_ERROR_NULL_OBJECT;

    return mHostServicesV3->HandleAssertFailure (file, line, note, flags);
}

AAX_Result AAX_VHostServices::Trace (int32_t priority, const char* message)
{
    if (! mHostServicesV1)
        return AAX_ERROR_NULL_OBJECT;

    return mHostServicesV1->Trace (priority, message);
}

AAX_Result AAX_VHostServices::StackTrace (int32_t tracePriority, int32_t stackTracePriority, const char* message)
{
    if (! mHostServicesV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mHostServicesV2->StackTrace (tracePriority, stackTracePriority, message);
}
