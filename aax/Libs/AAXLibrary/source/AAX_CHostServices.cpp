#include "AAX_CHostServices.h"
#include "AAX_VHostServices.h"

#include <cstdarg>
#include <cstdio>

namespace
{
    // Set and cleared by start-up and shut-down on the host's main thread; no lock, as the
    // host never traces while it starts or stops the bundle.
    AAX_VHostServices* hostServices = nullptr;
}

void AAX_CHostServices::Set (IACFUnknown* hostUnknown)
{
    if (hostUnknown != nullptr && hostServices == nullptr)
    {
        hostServices = new AAX_VHostServices (hostUnknown);
    }
    else if (hostUnknown == nullptr && hostServices != nullptr)
    {
        delete hostServices;
        hostServices = nullptr;
    }
}

AAX_Result AAX_CHostServices::HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags)
{
    if (hostServices == nullptr)
        return AAX_SUCCESS;

    return hostServices->HandleAssertFailure (file, line, note, flags);
}

AAX_Result AAX_CHostServices::Trace (int32_t priority, const char* format, ...)
{
    if (hostServices == nullptr)
        return AAX_SUCCESS;

    // vsnprintf never writes past the buffer and always terminates it.
    char message[traceBufferSize];
    va_list arguments;
    va_start (arguments, format);
    const int length = format != nullptr ? std::vsnprintf (message, sizeof (message), format, arguments) : -1;
    va_end (arguments);

    if (length < 0)
        message[0] = 0;

    return hostServices->Trace (priority, message);
}
