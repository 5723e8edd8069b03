// Real-time safety through the whole road: the process procedure called as the host calls it,
// on the host's audio thread, with the main thread automating meanwhile. malloc and the mutex
// calls are replaced for the whole process (the bundle, loaded later, binds to them too);
// only calls made on the audio thread while counting are counted.

#include "BundleHarness.h"

#include <dlfcn.h>
#include <pthread.h>

#include "../AllocationHooks.h"

namespace
{
    using allocation_hooks::countingOnThisThread;
    auto& allocations = allocation_hooks::allocationCount;
    std::atomic<long> locks { 0 };

    void note (std::atomic<long>& counter) noexcept
    {
        if (countingOnThisThread)
            counter.fetch_add (1, std::memory_order_relaxed);
    }

    using MutexFunction = int (*) (pthread_mutex_t*);

    /** The C library's own mutex call; looked up before any thread counts. */
    MutexFunction next (const char* name)
    {
        return reinterpret_cast<MutexFunction> (dlsym (RTLD_NEXT, name));
    }

    const MutexFunction nextLock = next ("pthread_mutex_lock");
    const MutexFunction nextTryLock = next ("pthread_mutex_trylock");
}

extern "C"
{
    int pthread_mutex_lock (pthread_mutex_t* mutex)     { note (locks); return nextLock (mutex); }
    int pthread_mutex_trylock (pthread_mutex_t* mutex)  { note (locks); return nextTryLock (mutex); }
}

using namespace bundle_test;

namespace
{
    struct Counts
    {
        long allocations = 0, locks = 0, blocks = 0;
    };

    /** Process calls on an audio thread, counted after the first, while the main thread
        automates every knob.
    */
    Counts runCounted (BundleSession& bundle, ProcessingInstance& instance, const std::vector<int>& lengths)
    {
        Counts counts;
        std::atomic<bool> firstDone { false };

        AudioThread audio ([&]
        {
            instance.process (lengths.front());
            firstDone = true;

            allocations = 0;
            locks = 0;
            countingOnThisThread = true;

            for (const auto n : lengths)
                instance.process (n);

            countingOnThisThread = false;
            counts = { allocations.load(), locks.load(), (long) lengths.size() };
        });

        std::mt19937 random (4);
        std::uniform_real_distribution<double> value (0.0, 1.0);

        audio.serveUntilFinished ([&]
        {
            if (firstDone)
                for (int index = 0; index < 5; ++index)
                    instance.setParameter (std::to_string (index), value (random));

            bundle.session.dispatchRunLoop();
        }, std::chrono::milliseconds (1));

        return counts;
    }

    std::vector<int> blockLengths()
    {
        std::vector<int> lengths;

        for (int i = 0; i < 300; ++i)
            lengths.push_back (std::vector<int> { 1024, 1, 100, 333, 512, 64 }[(size_t) i % 6]);

        return lengths;
    }
}

TEST (BundleRealTime, AfterTheFirstBlockNothingAllocatesAndOnlyTheCallbackLockIsTaken)
{
    BundleSession bundle;

    for (const auto layout : allLayouts)
    {
        for (const auto factor : allFactors)
        {
            auto instance = bundle.makeInstance (layout);
            ASSERT_NE (instance, nullptr);
            ASSERT_EQ (instance->getInstance().setChunk (oversamplingState (*instance, factor)), AAX_SUCCESS);
            ASSERT_EQ (instance->setParameter ("5", factor % 4 == 0 ? 1.0 : 0.0), AAX_SUCCESS);

            const auto counts = runCounted (bundle, *instance, blockLengths());

            EXPECT_EQ (counts.allocations, 0) << nameOf (layout) << ", factor " << factor;
            EXPECT_EQ (counts.locks, counts.blocks) << "one lock per call, JUCE's callback lock; "
                                                    << nameOf (layout) << ", factor " << factor;
        }
    }
}

TEST (BundleRealTime, TheMasterBypassPathAllocatesNothingEither)
{
    BundleSession bundle;
    auto instance = bundle.makeInstance (ChannelLayout::stereo);
    ASSERT_NE (instance, nullptr);
    ASSERT_EQ (instance->getInstance().setChunk (oversamplingState (*instance, 16)), AAX_SUCCESS);
    ASSERT_EQ (instance->setParameter ("MasterBypassID", 1.0), AAX_SUCCESS);

    const auto counts = runCounted (bundle, *instance, blockLengths());
    EXPECT_EQ (counts.allocations, 0);
    EXPECT_EQ (counts.locks, counts.blocks);
}

TEST (BundleRealTime, JucesWrapperAllocatesOnTheFirstBlockAndOnTheFirstLongerBlockOnly)
{
    // Where JUCE's AAX wrapper allocates on the audio thread, which our layer cannot change:
    // its channel list on an instance's first block, and a new preparation (its side-chain
    // buffer, the processor's buffers and oversampler) on the first block longer than any
    // before (it prepares for 1024 samples). Seen here, the counters also see the bundle.
    BundleSession bundle;
    auto instance = bundle.makeInstance (ChannelLayout::stereo, 48000.0, 2048);
    ASSERT_NE (instance, nullptr);
    ASSERT_EQ (instance->getInstance().setChunk (oversamplingState (*instance, 4)), AAX_SUCCESS);

    std::vector<long> allocationsPerBlock, locksPerBlock;

    AudioThread audio ([&]
    {
        for (const auto n : { 512, 512, 1024, 2048, 2048, 512 })
        {
            allocations = 0;
            locks = 0;
            countingOnThisThread = true;
            instance->process (n);
            countingOnThisThread = false;
            allocationsPerBlock.push_back (allocations.load());
            locksPerBlock.push_back (locks.load());
        }
    });
    audio.join();

    EXPECT_GT (allocationsPerBlock[0], 0) << "the first block";
    EXPECT_EQ (allocationsPerBlock[1], 0);
    EXPECT_EQ (allocationsPerBlock[2], 0);
    EXPECT_GT (allocationsPerBlock[3], 0) << "the first block longer than 1024 samples";
    EXPECT_EQ (allocationsPerBlock[4], 0);
    EXPECT_EQ (allocationsPerBlock[5], 0);
    // The callback lock, once a block; on the longer block the processor's preparation
    // takes it again, which JUCE's wrapper already holds there (a re-entry that never waits).
    EXPECT_EQ (locksPerBlock, (std::vector<long> { 1, 1, 1, 2, 1, 1 })) << "the callback lock, once a block";
}
