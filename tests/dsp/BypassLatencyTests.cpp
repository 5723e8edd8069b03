// Hosts delay every other track by the latency the plug-in reports, so whatever the plug-in
// passes on while bypassed must carry that latency too, or it comes out early; and the
// dry delay line must never hand out audio from another time.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>
#include <iterator>
#include <limits>

using namespace chain_test;

namespace
{
    constexpr float rampSlope = 1.0e-4f;

    /** A rising line across blocks: delayed by d samples, even fractionally, sample n
        reads (n - d) x slope, since linear interpolation of a line is exact. */
    struct RampSource
    {
        void fill (juce::AudioBuffer<float>& buffer, int numInputs)
        {
            buffer.clear();

            for (int i = 0; i < buffer.getNumSamples(); ++i)
                for (int ch = 0; ch < numInputs; ++ch)
                    buffer.setSample (ch, i, (float) (position + i) * rampSlope);

            position += buffer.getNumSamples();
        }

        int position = 0;
    };

    /** Checks that every output channel is the ramp delayed by the latency, from
        startChecking on (before that the delay line was still filling). */
    void expectDelayedRamp (const juce::AudioBuffer<float>& output, int firstSample, double latency,
                            int startChecking, const char* what)
    {
        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            for (int i = 0; i < output.getNumSamples(); ++i)
            {
                const auto n = firstSample + i;

                if (n < startChecking)
                    continue;

                ASSERT_NEAR (output.getSample (ch, i), (n - latency) * rampSlope, 2.0e-6)
                    << what << ", channel " << ch << ", sample " << n;
            }
    }

    double activeLatency (const TanglefixAudioProcessor& p)
    {
        return p.oversamplingOn ? (double) p.oversamplers[(size_t) p.oversamplerIndex]->getLatencyInSamples() : 0.0;
    }
}

//==============================================================================
TEST (BypassLatency, OwnBypassKeepsTheOutputAlignedThroughEngageAndRelease)
{
    constexpr int blockSize = 256;
    auto p = makeProcessor (44100.0, blockSize);
    p->setOversamplingFactor (4);
    holdSmoother (p->mixSmoother, 0.0f);      // all dry: processed, the output is the delayed input

    const auto latency = activeLatency (*p);
    const auto reported = p->getLatencySamples();
    ASSERT_GT (latency, 1.0);

    auto* bypass = p->getParameters()[5];
    RampSource ramp;
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    // Engaged after 4 blocks, fully bypassed two blocks later, released after 12.
    for (int block = 0; block < 20; ++block)
    {
        if (block == 4)   bypass->setValue (1.0f);
        if (block == 12)  bypass->setValue (0.0f);

        const auto first = ramp.position;
        ramp.fill (buffer, 2);
        p->processBlock (buffer, midi);

        expectDelayedRamp (buffer, first, latency, blockSize, "own bypass");
        ASSERT_EQ (p->getLatencySamples(), reported) << block;

        if (block == 10)
        {
            ASSERT_EQ (p->crossfade.fullyBypassed, 1);
        }
    }
}

TEST (BypassLatency, HostBypassDelaysTheInputAndFeedsEveryOutput)
{
    constexpr int blockSize = 128;
    const std::pair<int, int> layouts[] = { { 2, 2 }, { 1, 1 }, { 1, 2 } };

    for (const auto& [ins, outs] : layouts)
        for (const auto factor : { 1, 8 })
        {
            TanglefixAudioProcessor p;
            ASSERT_TRUE (p.setBusesLayout (makeLayout (ins, outs)));
            p.prepareToPlay (48000.0, blockSize);
            p.setOversamplingFactor (factor);
            holdSmoother (p.mixSmoother, 0.0f);

            const auto latency = activeLatency (p);
            RampSource ramp;
            juce::AudioBuffer<float> buffer (outs, blockSize);
            juce::MidiBuffer midi;

            // The host switches its bypass on and off between blocks; the delay line
            // carries on through both.
            for (int block = 0; block < 16; ++block)
            {
                const auto hostBypassed = (block / 3) % 2 == 1;
                const auto first = ramp.position;
                ramp.fill (buffer, ins);

                if (hostBypassed)
                    p.processBlockBypassed (buffer, midi);
                else
                    p.processBlock (buffer, midi);

                const auto what = juce::String (ins) + " in, " + juce::String (outs) + " out, factor "
                                + juce::String (factor) + (hostBypassed ? ", host bypass" : ", processing");
                expectDelayedRamp (buffer, first, latency, 2 * blockSize, what.toRawUTF8());
            }
        }
}

TEST (BypassLatency, NoStaleDryAudioWhenOversamplingComesBack)
{
    for (const auto laterFactor : { 4, 16 })
    {
        auto p = makeProcessor (44100.0, 256);
        p->setOversamplingFactor (4);
        holdSmoother (p->mixSmoother, 0.0f);

        juce::Random random (9);
        juce::AudioBuffer<float> buffer (2, 256);

        const auto processNoise = [&]
        {
            fillNoise (buffer, random);
            process (*p, buffer);
        };

        processNoise();
        p->setOversamplingFactor (1);
        processNoise();
        p->setOversamplingFactor (laterFactor);
        holdSmoother (p->mixSmoother, 0.0f);

        // Silence in, so anything that comes out is left over from before.
        buffer.clear();
        process (*p, buffer);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ (buffer.getSample (ch, i), 0.0f) << "factor " << laterFactor << ", sample " << i;
    }
}

TEST (BypassLatency, HostBypassPassesTheInputUntouchedWhenTheLatencyIsFractional)
{
    // 16x oversampling delays by 42.125 samples and reports 42, which the host takes off:
    // a bypassed signal delayed by the fraction would come out interpolated (dulled highs,
    // an eighth of a sample late). Once the delay has glided onto the whole number, the
    // input comes out exactly, however the host's bypass and the plug-in's own alternate.
    constexpr int blockSize = 256;
    constexpr int glide = 441;
    auto p = makeProcessor (48000.0, blockSize);
    p->setOversamplingFactor (16);

    const auto reported = p->getLatencySamples();
    ASSERT_NE ((double) reported, activeLatency (*p));

    juce::Random random (3);
    juce::AudioBuffer<float> input (2, 16 * blockSize), buffer (2, blockSize);
    fillNoise (input, random);
    juce::MidiBuffer midi;

    for (int block = 0; block < 16; ++block)
    {
        // Halfway the plug-in's own bypass takes over from the host's: its fade blends with
        // the dry path's fractional delay, then the delay glides back; those blocks are not
        // checked.
        if (block == 8)
            p->getParameters()[5]->setValue (1.0f);

        for (int ch = 0; ch < 2; ++ch)
            buffer.copyFrom (ch, 0, input, ch, block * blockSize, blockSize);

        if (block < 8)
            p->processBlockBypassed (buffer, midi);
        else
            p->processBlock (buffer, midi);

        if (block >= 8 && block < 13)
            continue;

        for (int i = 0; i < blockSize; ++i)
        {
            const auto n = block * blockSize + i;

            if (n < glide + reported)
                continue;

            for (int ch = 0; ch < 2; ++ch)
                ASSERT_EQ (buffer.getSample (ch, i), input.getSample (ch, n - reported)) << "sample " << n;
        }
    }
}

TEST (BypassLatency, BypassedOutputCarriesExactlyTheNonFiniteSamplesThatWentIn)
{
    // A NaN must not take its clean neighbours with it: with a whole-sample delay there is
    // nothing to interpolate, so every sample, finite or not, comes out as it went in.
    constexpr int blockSize = 256;
    constexpr int numBlocks = 12;
    constexpr int settled = 2 * blockSize;    // past any glide of the delay onto the whole number
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<int, float> badSamples[] = { { 1000, nan }, { 1001, inf }, { 1300, -inf }, { 1301, nan },
                                                 { 1302, nan }, { 5 * blockSize - 1, nan }, { 5 * blockSize, inf } };
    const std::pair<int, int> layouts[] = { { 2, 2 }, { 1, 2 } };

    for (const auto& [ins, outs] : layouts)
        for (const auto factor : { 1, 2, 16 })
            for (const auto hostBypass : { false, true })
            {
                SCOPED_TRACE (testing::Message() << ins << " in, " << outs << " out, factor " << factor
                                                 << (hostBypass ? ", host bypass" : ", own bypass"));
                TanglefixAudioProcessor p;
                ASSERT_TRUE (p.setBusesLayout (makeLayout (ins, outs)));

                if (! hostBypass)
                    p.getParameters()[5]->setValue (1.0f);

                p.prepareToPlay (48000.0, blockSize);
                p.setOversamplingFactor (factor);
                const auto latency = p.getLatencySamples();

                juce::Random random (11);
                juce::AudioBuffer<float> input (ins, numBlocks * blockSize), buffer (outs, blockSize);
                fillNoise (input, random);

                for (const auto& [position, value] : badSamples)
                    input.setSample (ins - 1, position, value);

                juce::MidiBuffer midi;
                int nonFiniteOut = 0;

                for (int block = 0; block < numBlocks; ++block)
                {
                    buffer.clear();

                    for (int ch = 0; ch < ins; ++ch)
                        buffer.copyFrom (ch, 0, input, ch, block * blockSize, blockSize);

                    if (hostBypass)
                        p.processBlockBypassed (buffer, midi);
                    else
                        p.processBlock (buffer, midi);

                    for (int i = 0; i < blockSize; ++i)
                    {
                        const auto n = block * blockSize + i;

                        if (n < settled)
                            continue;

                        for (int ch = 0; ch < outs; ++ch)
                        {
                            const auto out = buffer.getSample (ch, i);
                            const auto in = input.getSample (juce::jmin (ch, ins - 1), n - latency);
                            nonFiniteOut += std::isfinite (out) ? 0 : 1;
                            ASSERT_TRUE (out == in || (std::isnan (out) && std::isnan (in)))
                                << "channel " << ch << ", sample " << n << ": " << out << " for " << in;
                        }
                    }
                }

                const auto nonFiniteIn = (ins == 1 ? outs : 1) * (int) std::size (badSamples);
                EXPECT_EQ (nonFiniteOut, nonFiniteIn);
            }
}
