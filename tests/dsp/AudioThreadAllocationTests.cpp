// Proves that the audio path allocates nothing once prepared. malloc and its relatives
// are replaced for the whole process (operator new and JUCE's heap blocks end there);
// only allocations made on a thread that has switched counting on are counted, so the
// news thread and the test framework are left alone.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void  __libc_free (void*);
}

namespace
{
    thread_local bool countingOnThisThread = false;
    std::atomic<long> allocationCount { 0 };

    void noteAllocation() noexcept
    {
        if (countingOnThisThread)
            allocationCount.fetch_add (1, std::memory_order_relaxed);
    }

    struct ScopedAllocationCounter
    {
        ScopedAllocationCounter()   { allocationCount = 0; countingOnThisThread = true; }
        ~ScopedAllocationCounter()  { countingOnThisThread = false; }
        long count() const          { return allocationCount.load(); }
    };
}

extern "C"
{
    void* malloc (size_t size)                 { noteAllocation(); return __libc_malloc (size); }
    void* calloc (size_t n, size_t size)       { noteAllocation(); return __libc_calloc (n, size); }
    void* realloc (void* p, size_t size)       { noteAllocation(); return __libc_realloc (p, size); }
    void  free (void* p)                       { __libc_free (p); }
    void* memalign (size_t align, size_t size) { noteAllocation(); return __libc_memalign (align, size); }
    void* aligned_alloc (size_t align, size_t size) { noteAllocation(); return __libc_memalign (align, size); }

    int posix_memalign (void** result, size_t align, size_t size)
    {
        noteAllocation();
        *result = __libc_memalign (align, size);
        return *result != nullptr ? 0 : ENOMEM;
    }
}

using namespace chain_test;

TEST (AudioThread, CounterSeesAllocations)
{
    ScopedAllocationCounter counter;
    auto* block = new std::vector<float> (1000);
    juce::AudioBuffer<float> buffer (2, 100);
    delete block;
    EXPECT_GE (counter.count(), 2);
}

TEST (AudioThread, ProcessingAllocatesNothingInAnyLayoutOrFactor)
{
    constexpr int preparedBlock = 512;
    const int blockLengths[] = { 512, 1, 100, 333, 2048 };   // the last is longer than announced
    const std::pair<int, int> layouts[] = { { 2, 2 }, { 1, 1 }, { 1, 2 } };

    for (const auto& [ins, outs] : layouts)
    {
        TanglefixAudioProcessor p;
        ASSERT_TRUE (p.setBusesLayout (makeLayout (ins, outs)));
        p.prepareToPlay (48000.0, preparedBlock);

        const auto& parameters = p.getParameters();
        ASSERT_EQ (parameters.size(), 6);
        juce::Random random (1);
        juce::MidiBuffer midi;

        // Every buffer is made before counting starts; the test only fills them.
        std::vector<std::unique_ptr<juce::AudioBuffer<float>>> buffers;
        for (const auto length : blockLengths)
            buffers.push_back (std::make_unique<juce::AudioBuffer<float>> (juce::jmax (ins, outs), length));

        for (const auto factor : { 1, 2, 4, 8, 16 })
        {
            p.setOversamplingFactor (factor);

            ScopedAllocationCounter counter;

            for (int block = 0; block < 200; ++block)
            {
                // Automation arrives on the audio thread as well: every parameter moves,
                // the bypass included, now and then.
                for (int i = 0; i < parameters.size(); ++i)
                    parameters[i]->setValue (i == 5 ? (block % 60 < 30 ? 0.0f : 1.0f) : random.nextFloat());

                p.limiterOn = (block & 4) != 0;

                auto& buffer = *buffers[(size_t) block % buffers.size()];
                fillNoise (buffer, random);
                p.processBlock (buffer, midi);
            }

            EXPECT_EQ (counter.count(), 0) << ins << " in, " << outs << " out, factor " << factor;
        }
    }
}
