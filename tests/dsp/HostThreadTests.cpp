// The processor's set-up paths called from the threads a host may use, in the plain build
// (where a clash corrupts the heap) and under ThreadSanitizer (where it is reported).
// Hosts do not all keep prepareToPlay on the message thread, and automation comes from a
// thread of the host's own at any time.

#include <gtest/gtest.h>

#include "TanglefixAudioProcessor.h"
#include "../state/PrivateFolders.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace
{
    class HostThreadTest  : public PrivateFoldersTest
    {
    protected:
        void SetUp() override
        {
            PrivateFoldersTest::SetUp();
            processor = std::make_unique<TanglefixAudioProcessor>();
            processor->prepareToPlay (48000.0, 512);
        }

        void TearDown() override
        {
            if (other.joinable())
                other.join();

            processor.reset();
        }

        juce::MemoryBlock stateAtFactor (int factor)
        {
            processor->setOversamplingFactor (factor);
            juce::MemoryBlock state;
            processor->getStateInformation (state);
            return state;
        }

        void restore (const juce::MemoryBlock& state)
        {
            processor->setStateInformation (state.getData(), (int) state.getSize());
        }

        std::unique_ptr<TanglefixAudioProcessor> processor;
        std::thread other;
    };
}

TEST_F (HostThreadTest, RepreparesOnAnotherThreadBesideStateRestoresLeaveAWorkingChain)
{
    const auto x16 = stateAtFactor (16);
    const auto x1 = stateAtFactor (1);
    constexpr int rounds = 1500;
    std::atomic<bool> preparing { true };

    // No audio runs: the two threads meet only in the chain's set-up.
    other = std::thread ([this, &preparing]
    {
        juce::Random random (7);

        for (int round = 0; round < rounds; ++round)
        {
            processor->releaseResources();
            processor->prepareToPlay (8000.0 + random.nextInt (376001), 1 + random.nextInt (4096));
        }

        preparing = false;
    });

    for (int round = 0; preparing; ++round)
        restore (round % 2 == 0 ? x16 : x1);

    other.join();

    // Whatever order they ran in, the chain is whole: prepared for the last figures, it
    // takes a full block and gives finite sound.
    restore (x16);
    processor->prepareToPlay (44100.0, 256);
    EXPECT_EQ (processor->oversamplingFactor, 16);

    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;

    for (int block = 0; block < 4; ++block)
    {
        for (int i = 0; i < 256; ++i)
            for (int ch = 0; ch < 2; ++ch)
                buffer.setSample (ch, i, 0.5f * (float) std::sin (0.03 * (block * 256 + i)));

        processor->processBlock (buffer, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i))) << block << " " << i;
    }
}

TEST_F (HostThreadTest, AutomationWritesDuringFactorChangesAreNeverUndone)
{
    // The four parameters whose chain targets a factor change re-derives.
    const auto& parameters = processor->getParameters();
    juce::AudioProcessorParameter* const written[] = { parameters[0], parameters[1], parameters[3], parameters[4] };

    std::atomic<bool> changing { true };
    std::atomic<int> rounds { 0 }, undone { 0 };
    juce::String firstUndone;

    // The host's automation thread: a fresh value each time, read back at once. Nothing
    // but this thread writes these values, so reading back anything else means another
    // thread wrote an older value over it.
    other = std::thread ([&]
    {
        for (int round = 1; changing; ++round)
        {
            auto* parameter = written[round % 4];
            const auto value = (float) (round % 9973) / 9973.0f * 0.9f + 0.05f;
            parameter->setValueNotifyingHost (value);
            const auto now = parameter->getValue();

            if (now != value && undone++ == 0)
                firstUndone = "host wrote " + parameter->getName (20) + " " + juce::String (value, 6)
                            + ", parameter now " + juce::String (now, 6);

            rounds = round;
        }
    });

    while (rounds == 0)
        std::this_thread::yield();

    for (int change = 0; change < 20000 && undone == 0; ++change)
        processor->setOversamplingFactor (change % 2 == 0 ? 2 : 1);

    changing = false;
    other.join();

    EXPECT_EQ (undone.load(), 0) << firstUndone << " (" << rounds << " writes)";
}
