// The host under pressure: several instances at different rates, each with an audio thread
// of its own taking blocks of random length, while the main thread automates, restores
// chunks, and makes and releases other instances, as the platform's threading contract
// allows (a chunk's size and data are asked for on one thread, the main one).

#include "BundleHarness.h"

#include <cmath>

using namespace bundle_test;

namespace
{
    struct Running
    {
        std::unique_ptr<ProcessingInstance> instance;
        std::atomic<bool> stop { false };
        std::atomic<bool> sawNonFinite { false };
        std::atomic<long> blocks { 0 };
        std::unique_ptr<AudioThread> audio;

        void start (unsigned seed)
        {
            audio = std::make_unique<AudioThread> ([this, seed]
            {
                std::mt19937 random (seed);
                std::uniform_int_distribution<int> length (1, 4096);
                std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
                auto& context = instance->getContext();
                const auto& layout = context.getLayout();

                while (! stop.load())
                {
                    const auto n = length (random);

                    for (int ch = 0; ch < layout.numInputs; ++ch)
                        for (int i = 0; i < n; ++i)
                            context.getInput (ch)[i] = sample (random);

                    instance->process (n);

                    for (int ch = 0; ch < layout.numOutputs; ++ch)
                        for (int i = 0; i < n; ++i)
                            if (! std::isfinite (context.getOutput (ch)[i]))
                                sawNonFinite = true;

                    ++blocks;
                }
            });
        }

        void finish()
        {
            stop = true;
            audio.reset();
        }
    };
}

TEST (BundleStress, AudioThreadsBesideAutomationChunkRestoresAndInstanceTurnover)
{
    BundleSession bundle;
    const std::pair<ChannelLayout, double> setups[] = { { ChannelLayout::stereo, 44100.0 },
                                                        { ChannelLayout::monoStereo, 96000.0 },
                                                        { ChannelLayout::mono, 192000.0 } };
    std::vector<std::unique_ptr<Running>> running;

    for (const auto& [layout, sampleRate] : setups)
    {
        running.push_back (std::make_unique<Running>());
        running.back()->instance = bundle.makeInstance (layout, sampleRate, 4096);
        ASSERT_NE (running.back()->instance, nullptr);
        running.back()->start ((unsigned) running.size());
    }

    std::mt19937 random (99);
    std::uniform_real_distribution<double> value (0.0, 1.0);
    const int factors[] = { 1, 2, 4, 8, 16 };

    for (int round = 0; round < 40; ++round)
    {
        auto& target = *running[(size_t) round % running.size()]->instance;

        // Automation of every knob and the plug-in's bypass, now and then the master bypass.
        for (int index = 0; index < 6; ++index)
            ASSERT_EQ (target.setParameter (std::to_string (index), index == 5 ? (round % 4 == 0) : value (random)),
                       AAX_SUCCESS);

        ASSERT_EQ (target.setParameter ("MasterBypassID", round % 7 == 3 ? 1.0 : 0.0), AAX_SUCCESS);

        // A session restore: the state of one instance into another, with a new factor.
        auto& source = *running[(size_t) (round + 1) % running.size()]->instance;
        const auto state = stateWith (source, { { "Oversample", std::to_string (factors[round % 5]) } });
        ASSERT_EQ (target.getInstance().setChunk (state), AAX_SUCCESS);

        ChunkRecord controls;
        ASSERT_EQ (source.getInstance().getChunk (controlsChunkID, controls), AAX_SUCCESS);
        ASSERT_EQ (target.getInstance().setChunk (controls), AAX_SUCCESS);

        // Another instance comes and goes at a rate of its own.
        {
            auto passing = bundle.makeInstance (round % 2 == 0 ? ChannelLayout::stereo : ChannelLayout::mono,
                                                round % 3 == 0 ? 88200.0 : 176400.0, 4096);
            ASSERT_NE (passing, nullptr);
            passing->process (1 + round * 37 % 4096);
        }

        bundle.session.dispatchRunLoop();
    }

    for (auto& r : running)
    {
        r->finish();
        EXPECT_GT (r->blocks.load(), 0);
        EXPECT_FALSE (r->sawNonFinite.load());
    }

    running.clear();
}
