#include <gtest/gtest.h>

#include "ChainTestHelpers.h"
#include "SoftClipper.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

using namespace chain_test;

namespace
{
    float expectedPattern (int pattern, const float (&y)[4])
    {
        switch (pattern)
        {
            case 0:  return (y[0] + y[1] * y[2] + y[3]) * 0.5f;
            case 1:  return (y[0] + y[1] + y[2] * y[3]) * 0.5f;
            case 2:  return (y[0] * y[1] + y[2] + y[3]) * 0.5f;
            default: return y[0] * y[1] + y[2] * y[3];
        }
    }

    /** Centre of mass of a response: the delay of a symmetric impulse response. */
    double centroid (const float* samples, int numSamples)
    {
        double weighted = 0.0, total = 0.0;

        for (int i = 0; i < numSamples; ++i)
        {
            weighted += i * (double) samples[i];
            total += samples[i];
        }

        return weighted / total;
    }
}

//==============================================================================
TEST (SignalChain, EachOperationsPatternCombinesTheRightBands)
{
    auto p = makeProcessor();
    const auto x = 0.75f;

    for (int pattern = 0; pattern < 4; ++pattern)
    {
        for (int mask = 0; mask < 16; ++mask)
        {
            setWetUnity (*p);
            setBandsPassing (*p, mask);
            p->operationsIndex = pattern;

            juce::AudioBuffer<float> buffer (2, 8);
            fill (buffer, x);
            process (*p, buffer);

            float y[4];
            for (int b = 0; b < 4; ++b)
                y[b] = (mask >> b) & 1 ? x : 0.0f;

            EXPECT_FLOAT_EQ (buffer.getSample (0, 7), expectedPattern (pattern, y)) << pattern << " " << mask;
            EXPECT_FLOAT_EQ (buffer.getSample (1, 7), expectedPattern (pattern, y)) << pattern << " " << mask;
        }
    }

    // All four bands at 1: the summing patterns halve, the product pattern does not.
    setBandsPassing (*p, 0b1111);
    p->operationsIndex = 3;
    juce::AudioBuffer<float> buffer (2, 4);
    fill (buffer, 1.0f);
    process (*p, buffer);
    EXPECT_EQ (buffer.getSample (0, 3), 2.0f);

    // An index outside 0..3 leaves the signal unfiltered.
    setBandsPassing (*p, 0);
    p->operationsIndex = 7;
    fill (buffer, 0.25f);
    process (*p, buffer);
    EXPECT_EQ (buffer.getSample (1, 3), 0.25f);
}

TEST (SignalChain, SoftClipperValues)
{
    EXPECT_EQ (SoftClipper::process (0.0f), 0.0f);
    EXPECT_FLOAT_EQ (SoftClipper::process (1.0f), 0.7618435f);
    EXPECT_FLOAT_EQ (SoftClipper::process (-1.0f), -0.7618435f);
    EXPECT_FLOAT_EQ (SoftClipper::process (2.0f), 0.9637175f);
    EXPECT_FLOAT_EQ (SoftClipper::process (1000.0f), 1.0079417f);
    EXPECT_NEAR (SoftClipper::process (1.0e-4f) / 1.0e-4f, 2.45550750702956 / 2.44506634652299, 1.0e-6);
    EXPECT_NEAR (SoftClipper::process (1.0e30f), 0.821226666969744 / 0.814642734961073, 1.0e-6);
    EXPECT_TRUE (std::isfinite (SoftClipper::process (3.0e38f)));

    // Infinity is where the curve has already arrived at its bound, sign and all.
    const auto largest = std::numeric_limits<float>::max();
    const auto infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ (SoftClipper::process (infinity), SoftClipper::process (largest));
    EXPECT_EQ (SoftClipper::process (-infinity), SoftClipper::process (-largest));
    EXPECT_NEAR (SoftClipper::process (-infinity), -0.821226666969744 / 0.814642734961073, 1.0e-6);
}

TEST (SignalChain, LimiterAndMixApplyToTheWetSignal)
{
    auto p = makeProcessor();
    setTransparentWet (*p);
    holdSmoother (p->gainSmoother, 4.0f);
    holdSmoother (p->mixSmoother, 0.25f);
    p->limiterOn = true;

    juce::AudioBuffer<float> buffer (2, 16);
    fill (buffer, 0.5f);
    process (*p, buffer);

    // wet 2.0, mixed a quarter of the way from dry 0.5: 0.875, then clipped.
    EXPECT_FLOAT_EQ (buffer.getSample (0, 15), SoftClipper::process (0.875f));
    EXPECT_EQ (p->getLatencySamples(), 0);
}

//==============================================================================
TEST (BypassCrossfade, EngagingFadesToDry)
{
    auto p = makeProcessor (44100.0, 512);
    p->setOversamplingFactor (4);
    setWetUnity (*p);
    setBandsPassing (*p, 0);       // the wet signal is silence: the output is the dry ramp

    juce::AudioBuffer<float> buffer (2, 512);
    fill (buffer, 1.0f);
    process (*p, buffer);          // fills the dry delay with ones
    const auto latency = p->getLatencySamples();
    EXPECT_GT (latency, 0);

    p->crossfade.setBypassed (true);
    fill (buffer, 1.0f);
    process (*p, buffer);
    const auto step = 1.0f / 441.0f;

    for (int i = 0; i < 441; ++i)
        ASSERT_NEAR (buffer.getSample (0, i), i * step, 1.0e-6) << i;

    for (int i = 441; i < 512; ++i)
        ASSERT_NEAR (buffer.getSample (1, i), 1.0f, 1.0e-6) << i;

    // A second engage does not restart the fade.
    p->crossfade.setBypassed (true);
    EXPECT_TRUE (p->crossfade.dryFadeIn.isFinished());

    // The first block after the fade is the (delayed) dry copy.
    process (*p, buffer);
    EXPECT_EQ (p->crossfade.fullyBypassed, 1);
    EXPECT_EQ (buffer.getSample (0, 0), 1.0f);
    EXPECT_EQ (p->getLatencySamples(), latency);
}

TEST (BypassCrossfade, ReleasingStartsFromPureDry)
{
    auto p = makeProcessor (48000.0, 256);
    p->crossfade.setBypassed (true);

    juce::AudioBuffer<float> buffer (2, 256);

    for (int i = 0; i < 4; ++i)
        process (*p, buffer);

    ASSERT_EQ (p->crossfade.fullyBypassed, 1);

    setWetUnity (*p);
    setBandsPassing (*p, 0);
    p->crossfade.setBypassed (false);

    // The dry part falls over 480 samples at 48 kHz; the silent wet part rises.
    juce::AudioBuffer<float> longBuffer (2, 512);
    fill (longBuffer, 1.0f);
    process (*p, longBuffer);
    EXPECT_EQ (longBuffer.getSample (0, 0), 1.0f);
    EXPECT_NEAR (longBuffer.getSample (0, 240), 0.5f, 1.0e-6);
    EXPECT_NEAR (longBuffer.getSample (1, 479), 1.0f / 480.0f, 1.0e-6);
    EXPECT_NEAR (longBuffer.getSample (1, 480), 0.0f, 1.0e-6);
    EXPECT_EQ (longBuffer.getSample (1, 511), 0.0f);
}

TEST (BypassCrossfade, ReleaseFromAnotherThreadIsNeverLostAtTheEndOfTheFade)
{
    // Hosts automate from their own thread. A release that lands while the audio thread
    // completes the bypass fade must still bring the effect back.
    auto p = makeProcessor (44100.0, 64);
    p->operationsIndex = 7;     // no filtering: the end of the fade is most of the block
    auto* bypass = p->getParameters()[5];
    std::atomic<int> blocksDone { 0 };
    std::atomic<bool> stop { false };

    std::thread audioThread ([&]
    {
        juce::AudioBuffer<float> buffer (2, 64);

        while (! stop)
        {
            fill (buffer, 0.5f);
            process (*p, buffer);
            ++blocksDone;
        }
    });

    const auto waitForBlocks = [&] (int count)
    {
        const auto target = blocksDone.load() + count;

        while (blocksDone.load() < target)
            std::this_thread::yield();
    };

    int releasesLost = 0;

    for (int cycle = 0; cycle < 1500; ++cycle)
    {
        // 441 samples of fade take seven 64-sample blocks; release around the block that
        // hands over to the dry signal.
        bypass->setValue (1.0f);
        waitForBlocks (7 + cycle % 2);

        // Land at a different point of the block each time.
        for (volatile int spin = 0; spin < (cycle * 37) % 300; ++spin) {}

        bypass->setValue (0.0f);
        waitForBlocks (2);

        if (p->crossfade.fullyBypassed != 0)
            ++releasesLost;
    }

    stop = true;
    audioThread.join();
    EXPECT_EQ (releasesLost, 0);
}

//==============================================================================
TEST (DryDelay, ImpulseComesOutDryAndWetAtTheReportedLatency)
{
    for (const auto factor : { 2, 4, 8, 16 })
    {
        auto p = makeProcessor (48000.0, 512);
        p->setOversamplingFactor (factor);
        setTransparentWet (*p);

        const auto& oversampler = *p->oversamplers[(size_t) p->oversamplerIndex];
        const auto latency = (double) oversampler.getLatencyInSamples();

        // Let the dry delay glide to the latency first.
        juce::AudioBuffer<float> buffer (2, 512);
        buffer.clear();
        process (*p, buffer);
        process (*p, buffer);
        EXPECT_EQ (p->getLatencySamples(), juce::roundToInt (latency)) << factor;

        const auto run = [&] (float mix)
        {
            holdSmoother (p->mixSmoother, mix);
            juce::AudioBuffer<float> impulse (2, 512);
            impulse.clear();
            impulse.setSample (0, 0, 1.0f);
            impulse.setSample (1, 0, 1.0f);
            process (*p, impulse);

            juce::AudioBuffer<float> tail (2, 512);
            tail.clear();
            process (*p, tail);            // flush whatever rings past the first block
            return centroid (impulse.getReadPointer (0), 512);
        };

        const auto dryDelay = run (0.0f);
        const auto wetDelay = run (1.0f);
        EXPECT_NEAR (dryDelay, latency, 1.0e-3) << factor;
        EXPECT_NEAR (wetDelay, latency, 0.05) << factor;
    }
}
