#pragma once

#include "AAX.h"

/** The host's diagnostics: traces (version 1), stack traces (version 2), asserts (version 3). */
class AAX_IACFHostServices : public IACFUnknown
{
public:
    virtual AAX_Result Trace (int32_t priority, const char* message) = 0;

protected:
    ~AAX_IACFHostServices() = default;
};

class AAX_IACFHostServices_V2 : public AAX_IACFHostServices
{
public:
    virtual AAX_Result StackTrace (int32_t tracePriority, int32_t stackTracePriority, const char* message) = 0;

protected:
    ~AAX_IACFHostServices_V2() = default;
};

class AAX_IACFHostServices_V3 : public AAX_IACFHostServices_V2
{
public:
    virtual AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags) = 0;

protected:
    ~AAX_IACFHostServices_V3() = default;
};
