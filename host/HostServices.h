#pragma once

#include "HostObject.h"

#include <AAX_IACFHostServices.h>

namespace tanglefix::host
{

/** The host's diagnostics service: every trace, stack trace and assert the bundle sends is
    recorded in the session's context, to be printed or checked.
*/
class HostServices final : public HostObjectWith<AAX_IACFHostServices_V3>
{
public:
    explicit HostServices (std::shared_ptr<HostContext> context);

    // AAX_IACFHostServices
    AAX_Result Trace (int32_t priority, const char* message) override;

    // AAX_IACFHostServices_V2
    AAX_Result StackTrace (int32_t tracePriority, int32_t stackTracePriority, const char* message) override;

    // AAX_IACFHostServices_V3
    AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags) override;

private:
    void* findInterface (const acfIID& iid) override;
};

} // namespace tanglefix::host
