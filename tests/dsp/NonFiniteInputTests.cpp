// A NaN or infinite sample, or a control that turns so, must cost a live channel no more
// than the block it arrived in: after that block the processor sounds exactly as a fresh
// instance given the rest of the audio.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>
#include <functional>
#include <limits>

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

    void expectFreshAfterTheBadBlock (const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& fresh)
    {
        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            for (int i = firstCleanSample; i < output.getNumSamples(); ++i)
            {
                ASSERT_TRUE (std::isfinite (output.getSample (ch, i))) << "channel " << ch << ", sample " << i;
                ASSERT_EQ (output.getSample (ch, i), fresh.getSample (ch, i)) << "channel " << ch << ", sample " << i;
            }
    }
}

//==============================================================================
TEST (NonFiniteInput, OneBadSampleCostsOnlyItsBlockInEveryLayoutAndFactor)
{
    for (const auto layout : allLayouts)
        for (const auto factor : { 1, 16 })
            for (const auto bad : nonFiniteValues)
                for (const auto position : { 0, blockLength - 1 })   // the last one is still in the dry delay
                {
                    SCOPED_TRACE (testing::Message() << layout.ins << " in, " << layout.outs << " out, factor " << factor
                                                     << ", " << bad << " at " << position);
                    auto input = makeInput (layout);
                    input.setSample (layout.ins - 1, badBlock * blockLength + position, bad);

                    const auto output = render (*makeSettled (layout, factor), input, layout, 0);
                    expectFreshAfterTheBadBlock (output, render (*makeSettled (layout, factor), input, layout, badBlock + 1));
                }
}

TEST (NonFiniteInput, AGainOrMixTargetThatWasNotFiniteLeavesNothingBehind)
{
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

                expectFreshAfterTheBadBlock (output, render (*makeSettled (stereo, factor), input, stereo, badBlock + 1));
            }
}
