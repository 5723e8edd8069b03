#include "HostContext.h"

namespace tanglefix::host
{

void HostContext::addTrace (TraceRecord trace)
{
    const std::lock_guard<std::mutex> lock (reportLock);
    traces.push_back (std::move (trace));
}

void HostContext::addAssert (AssertRecord failure)
{
    const std::lock_guard<std::mutex> lock (reportLock);
    asserts.push_back (std::move (failure));
}

std::vector<TraceRecord> HostContext::getTraces() const
{
    const std::lock_guard<std::mutex> lock (reportLock);
    return traces;
}

std::vector<AssertRecord> HostContext::getAsserts() const
{
    const std::lock_guard<std::mutex> lock (reportLock);
    return asserts;
}

} // namespace tanglefix::host
