// Built with ThreadSanitizer: the processor as a host drives it, from three threads at
// once. The audio thread runs blocks the way JUCE's plug-in wrappers do (under the
// callback lock, silent while suspended), the host's automation thread moves every
// parameter and the settings menu's limiter switch, and the message thread changes the
// oversampling factor and restores state. Any unsynchronised access fails the run.

#include <gtest/gtest.h>

#include "TanglefixAudioProcessor.h"
#include "../state/PrivateFolders.h"

#include <atomic>
#include <thread>

namespace
{
    class ProcessorRaceTest  : public PrivateFoldersTest
    {
    protected:
        void SetUp() override
        {
            PrivateFoldersTest::SetUp();
            processor = std::make_unique<TanglefixAudioProcessor>();
            processor->prepareToPlay (48000.0, blockSize);
        }

        void TearDown() override
        {
            stop = true;

            for (auto* t : { &audioThread, &automationThread })
                if (t->joinable())
                    t->join();

            processor.reset();
        }

        /** Blocks as a host's wrapper runs them, until stopped. */
        void startAudio()
        {
            audioThread = std::thread ([this]
            {
                juce::AudioBuffer<float> buffer (2, blockSize);
                juce::MidiBuffer midi;
                juce::Random random (1);

                while (! stop)
                {
                    for (int ch = 0; ch < 2; ++ch)
                        for (int i = 0; i < blockSize; ++i)
                            buffer.setSample (ch, i, random.nextFloat() - 0.5f);

                    const juce::ScopedLock sl (processor->getCallbackLock());

                    if (processor->isSuspended())
                        buffer.clear();
                    else if ((blocksDone & 7) == 7)
                        processor->processBlockBypassed (buffer, midi);   // the host's bypass now and then
                    else
                        processor->processBlock (buffer, midi);

                    ++blocksDone;
                }
            });
        }

        /** Host automation: every parameter, the bypass included, and the limiter. */
        void startAutomation()
        {
            automationThread = std::thread ([this]
            {
                juce::Random random (2);
                const auto& parameters = processor->getParameters();

                for (int round = 0; ! stop; ++round)
                {
                    for (auto* parameter : parameters)
                        parameter->setValue (random.nextFloat());

                    processor->limiterOn = ! processor->limiterOn;

                    // The knob texts read the chain's targets too.
                    (void) parameters[3]->getText (0.5f, 32);
                    ++automationRounds;
                }
            });
        }

        void waitForBlocks (int count)
        {
            const auto target = blocksDone.load() + count;

            while (blocksDone.load() < target && ! stop)
                std::this_thread::yield();
        }

        static constexpr int blockSize = 64;

        std::unique_ptr<TanglefixAudioProcessor> processor;
        std::thread audioThread, automationThread;
        std::atomic<bool> stop { false };
        std::atomic<int> blocksDone { 0 }, automationRounds { 0 };
    };
}

TEST_F (ProcessorRaceTest, AutomationWhileAudioRuns)
{
    processor->setOversamplingFactor (2);
    startAudio();
    startAutomation();

    waitForBlocks (3000);
    EXPECT_GT (automationRounds.load(), 0);
}

TEST_F (ProcessorRaceTest, FactorChangesAndStateRestoresWhileAudioAndAutomationRun)
{
    juce::MemoryBlock state;
    processor->getStateInformation (state);

    startAudio();
    startAutomation();

    for (int change = 0; change < 25; ++change)
    {
        processor->setOversamplingFactor (1 << (change % 5));
        waitForBlocks (40);

        if (change % 5 == 4)
        {
            processor->setStateInformation (state.getData(), (int) state.getSize());
            waitForBlocks (40);
        }
    }

    EXPECT_GT (automationRounds.load(), 0);
}
