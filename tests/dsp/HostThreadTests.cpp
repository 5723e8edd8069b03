// The processor's set-up paths called from the threads a host may use: in the plain build a
// clash corrupts the heap, under ThreadSanitizer it is reported.

#include <gtest/gtest.h>

#include "TanglefixAudioProcessor.h"
#include "../state/PrivateFolders.h"

#include <atomic>
#include <cmath>
#include <thread>

using HostThreadTest = PrivateFoldersTest;

TEST_F (HostThreadTest, RepreparesOnAnotherThreadBesideStateRestoresLeaveAWorkingChain)
{
    TanglefixAudioProcessor p;
    juce::MemoryBlock states[2];

    for (int i = 0; i < 2; ++i)
    {
        p.setOversamplingFactor (i == 0 ? 16 : 1);
        p.getStateInformation (states[i]);
    }

    // No audio runs: the two threads meet only in the chain's set-up.
    std::atomic<bool> preparing { true };
    std::thread host ([&]
    {
        juce::Random random (7);

        for (int round = 0; round < 1500; ++round)
        {
            p.releaseResources();
            p.prepareToPlay (8000.0 + random.nextInt (376001), 1 + random.nextInt (4096));
        }

        preparing = false;
    });

    for (int round = 0; preparing; ++round)
        p.setStateInformation (states[round % 2].getData(), (int) states[round % 2].getSize());

    host.join();

    juce::AudioBuffer<float> buffer (2, 4096);
    buffer.clear();
    buffer.setSample (0, 0, 1.0f);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    EXPECT_TRUE (std::isfinite (buffer.getMagnitude (0, 4096)));
}

TEST_F (HostThreadTest, AutomationWritesDuringFactorChangesAreNeverUndone)
{
    TanglefixAudioProcessor p;
    std::atomic<bool> changing { true };
    std::atomic<int> writes { 0 }, undone { 0 };
    const int knobs[] = { 0, 1, 3, 4 };   // Frequency, Emphasis, Gain, Mix

    // The host's automation thread, over the knobs whose targets a factor change derives
    // again. Nothing else writes their values, so a read-back that differs was written over.
    std::thread automation ([&]
    {
        for (int round = 1; changing; ++round, ++writes)
        {
            auto* parameter = p.getParameters()[knobs[round % 4]];
            const auto value = 0.05f + 0.9f * (float) (round % 9973) / 9973.0f;
            parameter->setValueNotifyingHost (value);

            if (parameter->getValue() != value)
                ++undone;
        }
    });

    while (writes == 0)
        std::this_thread::yield();

    for (int change = 0; change < 50000 && undone == 0; ++change)
        p.setOversamplingFactor (change % 2 == 0 ? 2 : 1);

    changing = false;
    automation.join();
    EXPECT_EQ (undone.load(), 0) << "of " << writes.load() << " writes";
}
