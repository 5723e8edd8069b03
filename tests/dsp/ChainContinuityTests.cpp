// A re-prepare or a state restore that changes neither the rate nor the oversampling
// factor, arriving while audio runs, must not cut the sound: the chain runs on, and new
// values ramp in. A click shows as a sample-to-sample jump far above the steady one.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>
#include <functional>

using namespace chain_test;

namespace
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 256;

    /** A 220 Hz sine at 0.5 through a processor, block after block, tracking the largest
        jump between neighbouring output samples. */
    class SineRun
    {
    public:
        explicit SineRun (int factor)  : processor (makeProcessor (rate, blockSize))
        {
            processor->setOversamplingFactor (factor);
        }

        /** The largest jump over these blocks, the step into the first one included. */
        float run (int numBlocks, int length = blockSize)
        {
            juce::AudioBuffer<float> buffer (2, length);
            auto largest = 0.0f;

            for (int block = 0; block < numBlocks; ++block)
            {
                for (int i = 0; i < length; ++i, ++position)
                    for (int ch = 0; ch < 2; ++ch)
                        buffer.setSample (ch, i, 0.5f * (float) std::sin (phaseStep * (double) position));

                process (*processor, buffer);

                for (int i = 0; i < length; ++i)
                {
                    const auto y = buffer.getSample (0, i);
                    largest = std::max (largest, std::abs (y - last));
                    last = y;
                }
            }

            return largest;
        }

        juce::MemoryBlock state (const std::function<void (TanglefixAudioProcessor&)>& change = {})
        {
            // A second instance makes the state, so this one's chain is left alone.
            auto other = makeProcessor (rate, blockSize);
            restoreInto (*other, currentState());

            if (change)
                change (*other);

            juce::MemoryBlock block;
            other->getStateInformation (block);
            return block;
        }

        void restore (const juce::MemoryBlock& block)    { restoreInto (*processor, block); }

        std::unique_ptr<TanglefixAudioProcessor> processor;

    private:
        juce::MemoryBlock currentState()
        {
            juce::MemoryBlock block;
            processor->getStateInformation (block);
            return block;
        }

        static void restoreInto (TanglefixAudioProcessor& p, const juce::MemoryBlock& block)
        {
            p.setStateInformation (block.getData(), (int) block.getSize());
        }

        const double phaseStep = 2.0 * juce::MathConstants<double>::pi * 220.0 / rate;
        long long position = 0;
        float last = 0.0f;
    };

    struct Event
    {
        const char* name;
        std::function<void (SineRun&)> apply;
        int blockLength = blockSize;
    };

    /** Steady before, the event, a window after it, steady again: the window's largest
        jump may not stand out from the steady ones (a click is twenty times as large). */
    void expectNoClick (const Event& event, int factor)
    {
        SineRun run (factor);
        run.run (40);                              // ramps from the start settle
        const auto before = run.run (20);

        event.apply (run);
        const auto window = run.run (10 * blockSize / event.blockLength, event.blockLength);
        const auto after = run.run (20, event.blockLength);

        EXPECT_LT (window, 1.5f * std::max (before, after))
            << event.name << " at " << factor << "x: a jump of " << window << " against " << before << " steady before, "
            << after << " after";
    }

    void setParameter (TanglefixAudioProcessor& p, int index, float value)
    {
        p.getParameters()[index]->setValueNotifyingHost (value);
    }
}

TEST (ChainContinuity, NothingChangedMeansNothingIsReset)
{
    const Event events[] =
    {
        { "restoring the state in force", [] (SineRun& r) { r.restore (r.state()); } },
        { "preparing again at the same rate", [] (SineRun& r) { r.processor->prepareToPlay (rate, blockSize); } },
        { "preparing for a longer block", [] (SineRun& r) { r.processor->prepareToPlay (rate, 4 * blockSize); },
          4 * blockSize },
        { "setting the factor in force", [] (SineRun& r) { r.processor->setOversamplingFactor (r.processor->oversamplingFactor); } },
    };

    for (const auto factor : { 1, 16 })
        for (const auto& event : events)
            expectNoClick (event, factor);
}

TEST (ChainContinuity, ValuesARestoreChangesRampInAndItsBypassFades)
{
    const Event events[] =
    {
        { "restoring another gain and frequency",
          [] (SineRun& r) { r.restore (r.state ([] (auto& p) { setParameter (p, 3, 0.8f); setParameter (p, 0, 0.3f); })); } },
        { "restoring the bypass on", [] (SineRun& r) { r.restore (r.state ([] (auto& p) { setParameter (p, 5, 1.0f); })); } },
    };

    for (const auto factor : { 1, 16 })
        for (const auto& event : events)
            expectNoClick (event, factor);

    // The restored bypass does hold once faded: the input comes back, delayed by the
    // latency the host takes off.
    SineRun run (1);
    run.run (10);
    run.restore (run.state ([] (auto& p) { setParameter (p, 5, 1.0f); }));
    run.run (10);

    juce::AudioBuffer<float> buffer (2, blockSize);
    fill (buffer, 0.25f);
    process (*run.processor, buffer);
    EXPECT_EQ (buffer.getSample (0, blockSize - 1), 0.25f);
    EXPECT_TRUE (run.processor->crossfade.isFullyBypassed());
}

TEST (ChainContinuity, ARateOrFactorChangeStillDerivesTheChainAnew)
{
    for (const auto change : { 0, 1 })
    {
        SineRun run (4);
        run.run (10);

        if (change == 0)
            run.processor->prepareToPlay (2 * rate, blockSize);
        else
            run.processor->setOversamplingFactor (8);

        // Derived anew: the filters start from silence, as a fresh instance's do.
        for (const auto& filter : run.processor->bandFilters)
            for (int ch = 0; ch < 2; ++ch)
                EXPECT_EQ (filter.s1[ch], 0.0f) << change;

        // 4x at twice the rate, or 8x at the same: the filters run at eight times 48 kHz.
        EXPECT_EQ (run.processor->bandFilters[0].sampleRate, (float) (8 * rate)) << change;
    }
}
