// A NaN or infinite sample, a finite one so large that the band products overflow, or a
// control that turns non-finite, must cost a live channel no more than the block it arrived
// in: after that block the processor sounds exactly as a fresh instance given the rest of
// the audio (or, where nothing was broken, as if the block had been clean), and whatever
// the input, later blocks are never non-finite.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <vector>

using namespace chain_test;

namespace
{
    constexpr int blockLength = 256;
    constexpr int numBlocks = 6;
    constexpr int badBlock = 2;
    constexpr int firstCleanSample = (badBlock + 1) * blockLength;

    struct Layout
    {
        int ins, outs;
    };

    constexpr Layout allLayouts[] = { { 1, 1 }, { 1, 2 }, { 2, 2 } };
    constexpr float nonFiniteValues[] = { std::numeric_limits<float>::quiet_NaN(),
                                          std::numeric_limits<float>::infinity(),
                                          -std::numeric_limits<float>::infinity() };

    /** Finite, but the filters' response to them squares past the largest float. */
    constexpr float hugeValues[] = { 1.0e20f, -std::numeric_limits<float>::max() };

    /** Every knob away from its default and the limiter on; the factor is set last, which
        settles the smoothers and filter ramps, so two such processors start alike. */
    std::unique_ptr<TanglefixAudioProcessor> makeSettled (Layout layout, int factor)
    {
        auto p = std::make_unique<TanglefixAudioProcessor>();
        EXPECT_TRUE (p->setBusesLayout (makeLayout (layout.ins, layout.outs)));
        p->prepareToPlay (48000.0, blockLength);

        const float knobs[] = { 0.3f, 0.7f, 0.6f, 0.65f, 0.8f };

        for (int i = 0; i < 5; ++i)
            p->getParameters()[i]->setValue (knobs[i]);

        p->limiterOn = true;
        p->setOversamplingFactor (factor);
        return p;
    }

    juce::AudioBuffer<float> makeInput (Layout layout)
    {
        juce::Random random (17);
        juce::AudioBuffer<float> input (juce::jmax (layout.ins, layout.outs), numBlocks * blockLength);
        input.clear();

        for (int ch = 0; ch < layout.ins; ++ch)
            for (int i = 0; i < input.getNumSamples(); ++i)
                input.setSample (ch, i, random.nextFloat() - 0.5f);

        return input;
    }

    /** The output of the blocks from firstBlock on, at their places in the input. */
    juce::AudioBuffer<float> render (TanglefixAudioProcessor& p, const juce::AudioBuffer<float>& input, Layout layout,
                                     int firstBlock, const std::function<void (int)>& beforeBlock = {})
    {
        juce::AudioBuffer<float> output (layout.outs, input.getNumSamples()), block (input.getNumChannels(), blockLength);
        output.clear();

        for (int b = firstBlock; b < numBlocks; ++b)
        {
            block.clear();

            for (int ch = 0; ch < layout.ins; ++ch)
                block.copyFrom (ch, 0, input, ch, b * blockLength, blockLength);

            if (beforeBlock)
                beforeBlock (b);

            process (p, block);

            for (int ch = 0; ch < layout.outs; ++ch)
                output.copyFrom (ch, b * blockLength, block, ch, 0, blockLength);
        }

        return output;
    }

    /** Checks the output after the bad block against a reference: a fresh instance given
        the rest of the audio, or one that never had the bad block. */
    void expectAsReferenceAfterTheBadBlock (const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& reference)
    {
        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            for (int i = firstCleanSample; i < output.getNumSamples(); ++i)
            {
                ASSERT_TRUE (std::isfinite (output.getSample (ch, i))) << "channel " << ch << ", sample " << i;
                ASSERT_EQ (output.getSample (ch, i), reference.getSample (ch, i)) << "channel " << ch << ", sample " << i;
            }
    }
}

//==============================================================================
TEST (NonFiniteInput, OneBadSampleCostsOnlyItsBlockInEveryLayoutAndFactor)
{
    std::vector<float> badValues (std::begin (nonFiniteValues), std::end (nonFiniteValues));
    badValues.insert (badValues.end(), std::begin (hugeValues), std::end (hugeValues));

    for (const auto layout : allLayouts)
        for (const auto factor : { 1, 16 })
            for (const auto bad : badValues)
                for (const auto position : { 0, blockLength - 1 })   // the last one is still in the dry delay
                {
                    SCOPED_TRACE (testing::Message() << layout.ins << " in, " << layout.outs << " out, factor " << factor
                                                     << ", " << bad << " at " << position);
                    auto input = makeInput (layout);
                    input.setSample (layout.ins - 1, badBlock * blockLength + position, bad);

                    const auto output = render (*makeSettled (layout, factor), input, layout, 0);
                    expectAsReferenceAfterTheBadBlock (output, render (*makeSettled (layout, factor), input, layout, badBlock + 1));
                }
}

TEST (NonFiniteInput, AGainOrMixTargetThatWasNotFiniteLeavesNothingBehind)
{
    // Gain and mix come after the filters, so a bad target breaks no state. A NaN one makes
    // the block's output NaN, and the chain forgets its signal as for a bad sample; the
    // limiter holds an infinite one at its bound, and the processor simply carries on as if
    // the target had never been bad.
    constexpr Layout stereo { 2, 2 };
    const auto input = makeInput (stereo);

    for (const auto factor : { 1, 16 })
        for (const auto bad : nonFiniteValues)
            for (const auto mix : { false, true })
            {
                SCOPED_TRACE (testing::Message() << "factor " << factor << ", " << (mix ? "mix " : "gain ") << bad);
                auto p = makeSettled (stereo, factor);
                auto& smoother = mix ? p->mixSmoother : p->gainSmoother;
                const auto target = smoother.getTarget();

                const auto output = render (*p, input, stereo, 0, [&smoother, target, bad] (int b)
                {
                    smoother.setTarget (b == badBlock ? bad : target);
                });

                const auto firstReferenceBlock = std::isnan (bad) ? badBlock + 1 : 0;
                expectAsReferenceAfterTheBadBlock (output, render (*makeSettled (stereo, factor), input, stereo, firstReferenceBlock));
            }
}

namespace
{
    /** A knob's value: as often at either end of its range as anywhere in between. */
    float randomKnobValue (juce::Random& random)
    {
        switch (random.nextInt (3))
        {
            case 0:  return 0.0f;
            case 1:  return 1.0f;
            default: return random.nextFloat();
        }
    }

    /** A sample that breaks the signal: not finite, or finite and so large that the band
        products overflow at once or only as the filters ring on. */
    float randomBadSample (juce::Random& random)
    {
        const auto sign = random.nextBool() ? 1.0f : -1.0f;

        switch (random.nextInt (6))
        {
            case 0:  return std::numeric_limits<float>::quiet_NaN();
            case 1:  return std::numeric_limits<float>::infinity() * sign;
            case 2:  return std::numeric_limits<float>::max() * sign;
            case 3:  return 1.0e30f * sign;
            default: return std::pow (10.0f, 17.0f + 6.0f * random.nextFloat()) * sign;
        }
    }
}

TEST (NonFiniteInput, RandomisedRunsNeverLeaveLaterBlocksNonFinite)
{
    // Random layouts, rates, factors, limiter, knobs (moved now and then, bypass included)
    // and block lengths, with bad samples now and then. A block's bad sample may spoil that
    // block and, through the delays, the reported latency after it (one more sample for the
    // dry path's interpolation): nothing later.
    constexpr int maxBlock = 512;
    constexpr int blocksPerRun = 64;

    for (int seed = 1; seed <= 24; ++seed)
    {
        // Small seeds put the generator's first draws all near zero: spread them out.
        juce::Random random ((juce::int64) seed << 32);
        const auto layout = allLayouts[random.nextInt (3)];
        const auto factor = 1 << random.nextInt (5);
        SCOPED_TRACE (testing::Message() << "seed " << seed << ", " << layout.ins << " in, " << layout.outs
                                         << " out, factor " << factor);

        TanglefixAudioProcessor p;
        ASSERT_TRUE (p.setBusesLayout (makeLayout (layout.ins, layout.outs)));
        p.prepareToPlay (random.nextBool() ? 44100.0 : 96000.0, maxBlock);

        const auto moveKnobs = [&p, &random]
        {
            for (int i = 0; i < 5; ++i)
                p.getParameters()[i]->setValue (randomKnobValue (random));

            p.limiterOn = random.nextBool();
        };

        moveKnobs();
        p.setOversamplingFactor (factor);
        const auto settle = p.getLatencySamples() + 1;

        juce::AudioBuffer<float> buffer (juce::jmax (layout.ins, layout.outs), maxBlock);
        juce::MidiBuffer midi;
        juce::int64 position = 0, mayBeNonFiniteUntil = 0;

        for (int b = 0; b < blocksPerRun; ++b)
        {
            const auto length = 1 + random.nextInt (maxBlock);
            buffer.setSize (buffer.getNumChannels(), length, false, false, true);
            buffer.clear();

            const auto level = random.nextBool() ? 1.0f : 1000.0f * random.nextFloat();

            for (int ch = 0; ch < layout.ins; ++ch)
                for (int i = 0; i < length; ++i)
                    buffer.setSample (ch, i, level * (random.nextFloat() * 2.0f - 1.0f));

            if (random.nextInt (3) == 0)
            {
                for (int n = 1 + random.nextInt (3); --n >= 0;)
                    buffer.setSample (random.nextInt (layout.ins), random.nextInt (length), randomBadSample (random));

                mayBeNonFiniteUntil = position + length + settle;
            }

            if (random.nextInt (6) == 0)
                moveKnobs();

            if (random.nextInt (10) == 0)
                p.getParameters()[5]->setValue (random.nextBool() ? 1.0f : 0.0f);

            p.processBlock (buffer, midi);

            for (int ch = 0; ch < layout.outs; ++ch)
                for (auto i = (int) juce::jlimit<juce::int64> (0, length, mayBeNonFiniteUntil - position); i < length; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i)))
                        << "block " << b << ", channel " << ch << ", sample " << position + i << ": "
                        << buffer.getSample (ch, i);

            position += length;
        }
    }
}
