#pragma once

#include "AAX.h"

/** The process-wide access to the host's diagnostics. Between start-up and shut-down,
    asserts and traces reach the host; before and after, they are dropped. */
class AAX_CHostServices
{
public:
    /** A non-null host installs its services unless some are installed already; null
        removes them. */
    static void Set (IACFUnknown* hostUnknown);

    static AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note,
                                           int32_t flags = AAX_eAssertFlags_Log);

    /** Formats like printf into a 512-byte buffer (longer texts are cut) and traces it. */
    static AAX_Result Trace (int32_t priority, const char* format, ...)
        __attribute__ ((format (printf, 2, 3)));

    /** The size of the trace buffer, the terminating NUL included. */
    static constexpr size_t traceBufferSize = 512;
};
