// Proves that the audio path allocates nothing once prepared (allocations counted on the
// test's thread alone, through AllocationHooks.h).

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include "../AllocationHooks.h"

#include <limits>

using namespace chain_test;
using allocation_hooks::ScopedAllocationCounter;

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

                // Now and then a NaN, which the chain must recover from on this thread too.
                if (block % 50 == 20)
                    buffer.setSample (0, buffer.getNumSamples() / 2, std::numeric_limits<float>::quiet_NaN());

                // The host's own bypass now and then.
                if (block % 8 == 7)
                    p.processBlockBypassed (buffer, midi);
                else
                    p.processBlock (buffer, midi);
            }

            EXPECT_EQ (counter.count(), 0) << ins << " in, " << outs << " out, factor " << factor;
        }
    }
}
