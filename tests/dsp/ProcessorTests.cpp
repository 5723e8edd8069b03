#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>

using namespace chain_test;

namespace
{
    /** Gives the chain something audible: resonant filters, moving smoothers, pattern 2. */
    void setAudibleChain (TanglefixAudioProcessor& p)
    {
        const float cutoffs[] = { 200.0f, 800.0f, 3000.0f, 9000.0f };

        for (int b = 0; b < 4; ++b)
        {
            p.bandFilters[b].setCutoff (cutoffs[b]);
            p.bandFilters[b].setResonance (0.6f);
        }

        p.gainSmoother.setTarget (1.5f);
        p.mixSmoother.setTarget (0.8f);
        p.operationsIndex = 2;
    }
}

//==============================================================================
TEST (Processor, AcceptsExactlyTheThreeLayoutsWithTheirPluginIds)
{
    TanglefixAudioProcessor p;

    for (int ins = 0; ins <= 3; ++ins)
        for (int outs = 0; outs <= 3; ++outs)
        {
            const auto expected = (ins == 1 && outs == 1) || (ins == 1 && outs == 2) || (ins == 2 && outs == 2);
            EXPECT_EQ (p.checkBusesLayoutSupported (makeLayout (ins, outs)), expected) << ins << " " << outs;
        }

    juce::AudioProcessor::BusesLayout noOutput;
    noOutput.inputBuses.add (juce::AudioChannelSet::stereo());
    EXPECT_FALSE (p.checkBusesLayoutSupported (noOutput));

    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();
    EXPECT_EQ (p.getAAXPluginIDForMainBusConfig (stereo, stereo, false), 0x6A636161);  // 'jcaa'
    EXPECT_EQ (p.getAAXPluginIDForMainBusConfig (mono, stereo, true), 0x6A796162);     // 'jyab'
    EXPECT_EQ (p.getAAXPluginIDForMainBusConfig (mono, mono, false), 0x6A636163);      // 'jcac'
    EXPECT_EQ (p.getAAXPluginIDForMainBusConfig (stereo, mono, false), 0x6A636161);
}

TEST (Processor, OversamplingFactorAndPreparationFallbacks)
{
    auto p = makeProcessor (48000.0, 300);

    p->setOversamplingFactor (8);
    EXPECT_TRUE (p->oversamplingOn);
    EXPECT_EQ (p->oversamplerIndex, 2);
    EXPECT_EQ (p->bandFilters[3].sampleRate, 384000.0f);

    p->setOversamplingFactor (1);
    EXPECT_FALSE (p->oversamplingOn);
    EXPECT_EQ (p->oversamplerIndex, 2);
    EXPECT_EQ (p->bandFilters[0].sampleRate, 48000.0f);

    p->setOversamplingFactor (3);
    EXPECT_EQ (p->oversamplingFactor, 1);
    EXPECT_FALSE (p->isSuspended());

    // No usable figures from the host: defaults, and the oversampling set-up stays.
    p->setOversamplingFactor (16);
    p->prepareToPlay (0.0, 0);
    EXPECT_EQ (p->sampleRate, 44100.0);
    EXPECT_EQ (p->blockSize, 256.0);
    EXPECT_EQ (p->bandFilters[0].sampleRate, 768000.0f);
    EXPECT_EQ (p->scratchBuffer.getNumChannels(), 2);
    EXPECT_EQ (p->dryBuffer.getNumSamples(), 600);   // buffers only ever grow

    // A caller that already suspended processing keeps it suspended.
    p->suspendProcessing (true);
    p->setOversamplingFactor (2);
    EXPECT_TRUE (p->isSuspended());
}

TEST (Processor, LatencyChangesReachTheHostOutsideTheAudioCallback)
{
    // A latency change reported from processBlock would lock and call the host's listener
    // on the audio thread; the factor change announces it instead.
    struct Listener  : public juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}

        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            if (details.latencyChanged && insideProcessBlock)
                ++changesFromTheAudioCallback;
        }

        bool insideProcessBlock = false;
        int changesFromTheAudioCallback = 0;
    };

    auto p = makeProcessor (48000.0, 256);
    Listener listener;
    p->addListener (&listener);
    juce::AudioBuffer<float> buffer (2, 256);

    const auto processWatched = [&]
    {
        listener.insideProcessBlock = true;
        process (*p, buffer);
        listener.insideProcessBlock = false;
    };

    for (const auto factor : { 2, 16, 1, 8, 4, 1 })
    {
        p->setOversamplingFactor (factor);
        const auto announced = p->getLatencySamples();
        EXPECT_EQ (announced, factor == 1 ? 0 : juce::roundToInt (p->oversamplers[(size_t) p->oversamplerIndex]->getLatencyInSamples()));

        processWatched();
        EXPECT_EQ (p->getLatencySamples(), announced) << factor;
    }

    // Fully bypassed, the output carries the latency too, so a new factor is announced
    // at once, and the release that follows announces nothing from the audio callback.
    p->crossfade.setBypassed (true);

    for (int i = 0; i < 4; ++i)
        processWatched();

    ASSERT_EQ (p->crossfade.fullyBypassed, 1);
    p->setOversamplingFactor (16);
    const auto latency16 = juce::roundToInt (p->oversamplers[3]->getLatencyInSamples());
    EXPECT_EQ (p->getLatencySamples(), latency16);

    processWatched();
    p->crossfade.setBypassed (false);

    for (int i = 0; i < 4; ++i)
        processWatched();

    EXPECT_EQ (p->getLatencySamples(), latency16);
    EXPECT_EQ (listener.changesFromTheAudioCallback, 0);
    p->removeListener (&listener);
}

TEST (Processor, MonoLayoutsMatchAStereoPassOfTheDuplicatedInput)
{
    juce::Random random (3);
    juce::AudioBuffer<float> mono (1, 400);
    fillNoise (mono, random);

    auto stereo = makeProcessor (44100.0, 400);
    setAudibleChain (*stereo);
    juce::AudioBuffer<float> reference (2, 400);
    reference.copyFrom (0, 0, mono, 0, 0, 400);
    reference.copyFrom (1, 0, mono, 0, 0, 400);
    process (*stereo, reference);

    for (const auto outs : { 1, 2 })
    {
        TanglefixAudioProcessor p;
        ASSERT_TRUE (p.setBusesLayout (makeLayout (1, outs)));
        p.prepareToPlay (44100.0, 400);
        setAudibleChain (p);

        juce::AudioBuffer<float> buffer (outs, 400);
        buffer.copyFrom (0, 0, mono, 0, 0, 400);
        process (p, buffer);

        for (int ch = 0; ch < outs; ++ch)
            for (int i = 0; i < 400; ++i)
                ASSERT_EQ (buffer.getSample (ch, i), reference.getSample (ch, i)) << outs << " " << ch << " " << i;
    }
}

TEST (Processor, BlockLongerThanPreparedIsProcessedInPieces)
{
    // Hosts sometimes send more than they announced; the oversampler must not overrun
    // and the result must not depend on how the block was cut.
    juce::Random random (11);
    juce::AudioBuffer<float> input (2, 3000);
    fillNoise (input, random);

    auto prepared = makeProcessor (48000.0, 3000);
    auto small = makeProcessor (48000.0, 64);

    for (auto* p : { prepared.get(), small.get() })
    {
        p->setOversamplingFactor (16);
        setAudibleChain (*p);
    }

    juce::AudioBuffer<float> a (input), b (input);
    process (*prepared, a);
    process (*small, b);

    EXPECT_EQ (small->dryBuffer.getNumSamples(), 128);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 3000; ++i)
            ASSERT_NEAR (a.getSample (ch, i), b.getSample (ch, i), 1.0e-6) << ch << " " << i;
}

TEST (Processor, ParameterExtremesGiveFiniteNormalOutput)
{
    auto p = makeProcessor (44100.0, 256);
    const auto& parameters = p->getParameters();

    if (parameters.size() < 6)
        GTEST_SKIP() << "the processor has no parameters yet";

    juce::Random random (5);
    juce::AudioBuffer<float> buffer (2, 256);

    for (const auto factor : { 1, 2, 4, 8, 16 })
    {
        p->setOversamplingFactor (factor);

        // Every corner of Frequency, Emphasis (1.0 is the sharpest resonance), Operations,
        // Gain and Mix.
        for (int corner = 0; corner < 32; ++corner)
        {
            for (int i = 0; i < 5; ++i)
                parameters[i]->setValue ((corner >> i) & 1 ? 1.0f : 0.0f);

            p->limiterOn = (corner & 1) != 0;

            for (int block = 0; block < 3; ++block)
            {
                fillNoise (buffer, random);
                process (*p, buffer);

                for (int ch = 0; ch < 2; ++ch)
                    for (int i = 0; i < 256; ++i)
                    {
                        const auto kind = std::fpclassify (buffer.getSample (ch, i));
                        ASSERT_TRUE (kind == FP_NORMAL || kind == FP_ZERO) << "factor " << factor << " corner " << corner;
                    }
            }
        }
    }
}

TEST (Processor, WindowScaleComesFromTheGlobalSettingsWithinLimits)
{
    // Runs with a fresh, private settings folder: nothing stored yet gives 1.0.
    EXPECT_EQ (TanglefixAudioProcessor().windowScale, 1.0);

    for (const auto& [stored, expected] : { std::pair (0.3, 0.5), std::pair (3.0, 2.0), std::pair (1.25, 1.25) })
    {
        BrioSettings().setGlobalValue ("WindowSize", stored, true);
        EXPECT_EQ (TanglefixAudioProcessor().windowScale, expected) << stored;
    }
}
