// The processor's set-up paths called from the threads a host may use: in the plain build a
// clash corrupts the heap, under ThreadSanitizer it is reported.

#include <gtest/gtest.h>

#include "TanglefixAudioProcessor.h"
#include "TanglefixBrioParameter.h"
#include "../state/PrivateFolders.h"

#include <atomic>
#include <cmath>
#include <map>
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

TEST_F (HostThreadTest, FactorChangesBesideStateRestoresLeaveProcessingRunning)
{
    TanglefixAudioProcessor p;
    p.prepareToPlay (48000.0, 512);
    juce::MemoryBlock states[2];

    for (int i = 0; i < 2; ++i)
    {
        p.setOversamplingFactor (i == 0 ? 4 : 1);
        p.getStateInformation (states[i]);
    }

    // Each call suspends processing while it runs; one that ends while the other still
    // runs must not leave processing suspended once both have ended.
    constexpr int pairs = 20000;
    std::atomic<int> restoresDone { 0 };
    std::thread host ([&]
    {
        for (int round = 0; round < pairs; ++round, ++restoresDone)
            p.setStateInformation (states[round % 2].getData(), (int) states[round % 2].getSize());
    });

    for (int round = 0; round < pairs || restoresDone < pairs; ++round)
        p.setOversamplingFactor (round % 2 == 0 ? 2 : 1);

    host.join();

    // A block as JUCE's wrappers run it: silent while suspended.
    juce::AudioBuffer<float> buffer (2, 512);
    buffer.clear();
    buffer.setSample (0, 0, 1.0f);
    juce::MidiBuffer midi;
    {
        const juce::ScopedLock sl (p.getCallbackLock());
        EXPECT_FALSE (p.isSuspended());

        if (p.isSuspended())
            buffer.clear();
        else
            p.processBlock (buffer, midi);
    }
    EXPECT_GT (buffer.getMagnitude (0, 512), 0.0f);
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

TEST_F (HostThreadTest, StateReadsBesideRestoresAndPresetLoadsSeeOneMoment)
{
    TanglefixAudioProcessor p;
    const juce::File presets (p.settings.getPresetsFolder());
    const auto preset = presets.getChildFile ("Lead.qzr");
    const auto init = presets.getChildFile ("Init.qzr");

    // Every source of a state leaves a name of its own beside a Gain of its own.
    std::map<juce::String, double> gainForName { { "First", 0.2 }, { "Second", 0.8 },
                                                 { preset.getFullPathName(), 0.4 },
                                                 { init.getFullPathName(), 0.3 } };
    const auto setGain = [&p] (double gain) { p.gainParam->setValueNotifyingHost ((float) gain); };
    setGain (0.4);
    ASSERT_TRUE (p.savePresetFile (preset).wasOk());
    setGain (0.3);
    ASSERT_TRUE (p.savePresetFile (init).wasOk());

    juce::MemoryBlock states[2];

    for (int i = 0; i < 2; ++i)
    {
        setGain (i == 0 ? 0.2 : 0.8);
        p.setCurrentPresetName (i == 0 ? "First" : "Second");
        p.setLockedParameterNames (i == 0 ? juce::StringArray ("Mix") : juce::StringArray ("Frequency", "Emphasis"));
        p.getStateInformation (states[i]);
    }

    // The host saves its session on a thread of its own.
    std::atomic<bool> writing { true };
    std::atomic<int> reads { 0 }, mismatches { 0 };
    std::thread host ([&]
    {
        while (writing)
        {
            juce::MemoryBlock block;
            p.getStateInformation (block);

            // An Init load makes the knobs' values their defaults, which a host reads too.
            for (auto* parameter : p.getParameters())
                (void) parameter->getDefaultValue();

            const auto xml = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
            const auto expected = gainForName.find (xml != nullptr ? xml->getStringAttribute ("Preset") : "?");

            if (expected == gainForName.end()
                 || std::abs (xml->getDoubleAttribute ("Gain") - expected->second) > 1.0e-6)
                ++mismatches;

            ++reads;
        }
    });

    // The message thread: restores, preset and Init loads, and the editor's locks.
    for (int round = 0; round < 300 || reads < 100; ++round)
    {
        p.setStateInformation (states[0].getData(), (int) states[0].getSize());
        EXPECT_TRUE (p.loadPresetFile (preset.getFullPathName()).wasOk());
        p.setStateInformation (states[1].getData(), (int) states[1].getSize());
        p.loadInitPreset();
        p.setLockedParameterNames ({ "Operations" });
        p.setRandomLockFlags ({});
    }

    writing = false;
    host.join();
    EXPECT_EQ (mismatches.load(), 0) << "of " << reads.load() << " reads";
}

TEST_F (HostThreadTest, DerivingTargetsReturnsWhileAutomationNeverStops)
{
    // Automation that never pauses, at its utmost: every read of the value finds a newer
    // one, which no earlier read saw. A re-prepare derives the targets from the values,
    // and JUCE's AAX wrapper re-prepares on the audio thread, which must not wait for the
    // writes to pause.
    struct EverMovingParameter  : public TanglefixAudioProcessor::BrioParameter
    {
        using BrioParameter::BrioParameter;

        float getValue() const override
        {
            if (! moving)
                return 0.5f;

            latest = latest < 1.0f ? std::nextafter (latest, 1.0f) : 0.001f;
            return latest;
        }

        std::atomic<bool> moving { true };
        mutable float latest = 0.001f;
    };

    TanglefixAudioProcessor p;

    EverMovingParameter frequency (p, 0, "Frequency", EverMovingParameter::displayNone, {}, false, true, false, 0.5f, {});
    juce::WaitableEvent derived;
    std::thread audio ([&]
    {
        frequency.updateChainFromValue();
        derived.signal();
    });

    // The limit only guards against a hang, which a value that holds still ends.
    EXPECT_TRUE (derived.wait (10000.0)) << "deriving the targets waits for the automation to pause";
    frequency.moving = false;
    audio.join();
}
