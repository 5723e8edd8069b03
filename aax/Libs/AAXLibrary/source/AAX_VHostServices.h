#pragma once

#include "AAX_IACFHostServices.h"
#include "ACFPtr.h"

/** The host's diagnostics, whichever versions of them it offers. */
class AAX_VHostServices
{
public:
    explicit AAX_VHostServices (IACFUnknown* hostUnknown);
    virtual ~AAX_VHostServices();

    virtual AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags);
    virtual AAX_Result Trace (int32_t priority, const char* message);
    virtual AAX_Result StackTrace (int32_t tracePriority, int32_t stackTracePriority, const char* message);

    AAX_VHostServices (const AAX_VHostServices&) = delete;
    AAX_VHostServices& operator= (const AAX_VHostServices&) = delete;

private:
    // Declared oldest first, so that destruction releases the newest version first.
    ACFPtr<AAX_IACFHostServices> mHostServicesV1;
    ACFPtr<AAX_IACFHostServices_V2> mHostServicesV2;
    ACFPtr<AAX_IACFHostServices_V3> mHostServicesV3;
};
