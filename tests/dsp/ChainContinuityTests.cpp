// A re-prepare or a restore that changes neither the rate nor the factor while audio runs
// must not cut the sound, and the values it brings ramp in. A click shows as a jump between
// neighbouring output samples far above the steady one, for a 220 Hz sine at 0.5.

#include <gtest/gtest.h>

#include "ChainTestHelpers.h"

#include <cmath>
#include <functional>

using namespace chain_test;

namespace
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 256;

    struct SineRun
    {
        std::unique_ptr<TanglefixAudioProcessor> p = makeProcessor (rate, blockSize);
        long long position = 0;
        float last = 0.0f;

        /** The largest jump between neighbouring output samples over these blocks. */
        float run (int numBlocks)
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            auto largest = 0.0f;

            for (int block = 0; block < numBlocks; ++block)
            {
                for (int i = 0; i < blockSize; ++i, ++position)
                    for (int ch = 0; ch < 2; ++ch)
                        buffer.setSample (ch, i, 0.5f * (float) std::sin (2.0 * juce::MathConstants<double>::pi
                                                                          * 220.0 / rate * (double) position));
                process (*p, buffer);

                for (int i = 0; i < blockSize; ++i)
                {
                    largest = std::max (largest, std::abs (buffer.getSample (0, i) - last));
                    last = buffer.getSample (0, i);
                }
            }

            return largest;
        }
    };

    /** Restores the state in force, with one parameter changed (index -1: none). */
    void restoreWith (TanglefixAudioProcessor& p, int index, float value)
    {
        juce::MemoryBlock state;
        p.getStateInformation (state);

        if (index >= 0)
        {
            auto other = makeProcessor (rate, blockSize);
            other->setStateInformation (state.getData(), (int) state.getSize());
            other->getParameters()[index]->setValueNotifyingHost (value);
            other->getStateInformation (state);
        }

        p.setStateInformation (state.getData(), (int) state.getSize());
    }
}

TEST (ChainContinuity, WhatChangesNeitherRateNorFactorNeverClicks)
{
    const std::pair<const char*, std::function<void (TanglefixAudioProcessor&)>> events[] =
    {
        { "the same state", [] (auto& p) { restoreWith (p, -1, 0.0f); } },
        { "another gain", [] (auto& p) { restoreWith (p, 3, 0.8f); } },
        { "the bypass on", [] (auto& p) { restoreWith (p, 5, 1.0f); } },
        { "a prepare", [] (auto& p) { p.prepareToPlay (rate, blockSize); } },
        { "a prepare for longer blocks", [] (auto& p) { p.prepareToPlay (rate, 4 * blockSize); } },
        { "the factor in force", [] (auto& p) { p.setOversamplingFactor (p.oversamplingFactor); } },
    };

    for (const auto factor : { 1, 16 })
        for (const auto& [name, apply] : events)
        {
            SineRun sine;
            sine.p->setOversamplingFactor (factor);
            sine.run (40);
            const auto before = sine.run (20);
            apply (*sine.p);
            const auto window = sine.run (10);
            const auto after = sine.run (20);

            EXPECT_LT (window, 1.5f * std::max (before, after))
                << name << " at " << factor << "x: a jump of " << window << ", steady " << before << " and " << after;
        }
}
