#pragma once

#include "HostOptions.h"
#include "Registration.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace tanglefix::host
{

/** What every host object of one session shares: the versions the host offers, what the
    bundle reported through the host services, and a count of the host objects alive, which
    shows whether the bundle released everything it was given.
*/
class HostContext
{
public:
    explicit HostContext (HostOptions hostOptions) : options (hostOptions) {}

    const HostOptions& getOptions() const noexcept { return options; }

    void addTrace (TraceRecord trace);
    void addAssert (AssertRecord failure);

    std::vector<TraceRecord> getTraces() const;
    std::vector<AssertRecord> getAsserts() const;

    void objectCreated() noexcept     { ++liveObjects; }
    void objectDestroyed() noexcept   { --liveObjects; }
    int getLiveObjectCount() const noexcept { return liveObjects.load(); }

    /** A new id for a registered process procedure; ids start at 1 (0 ends an id list). */
    std::uint32_t takeProcessProcId() noexcept { return ++lastProcessProcId; }

private:
    const HostOptions options;

    mutable std::mutex reportLock;   // traces may come from any of the bundle's threads
    std::vector<TraceRecord> traces;
    std::vector<AssertRecord> asserts;

    std::atomic<int> liveObjects { 0 };
    std::atomic<std::uint32_t> lastProcessProcId { 0 };
};

} // namespace tanglefix::host
