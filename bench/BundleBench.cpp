// The stand-in host's overhead: the same audio through the real bundle, called as the host
// calls it (algorithm context, JUCE's AAX wrapper with its callback lock and channel
// copies), against the processor driven directly as the wrapper drives it. Run it with
// private folders (tests/private-run.sh): the processor reads and writes its settings.

#include <benchmark/benchmark.h>

#include "ProcessingInstance.h"
#include "StateChunkEditor.h"
#include "TanglefixAudioProcessor.h"

#include <random>

namespace
{
    constexpr double benchRate = 48000.0;
    constexpr int benchBlock = 512;
    constexpr AAX_CTypeID juceChunkID = ('j' << 24) | ('u' << 16) | ('c' << 8) | 'e';

    std::vector<float> makeNoise (unsigned seed)
    {
        std::mt19937 random (seed);
        std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
        std::vector<float> noise (benchBlock);

        for (auto& x : noise)
            x = uniform (random);

        return noise;
    }

    void reportRealTime (benchmark::State& state)
    {
        const auto samples = (double) state.iterations() * benchBlock;
        state.SetItemsProcessed ((int64_t) samples);
        state.counters["xRealTime"] = benchmark::Counter (samples / benchRate, benchmark::Counter::kIsRate);
    }

    void directProcessing (benchmark::State& state)
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        TanglefixAudioProcessor processor;
        processor.setRateAndBufferSizeDetails (benchRate, 1024);
        processor.prepareToPlay (benchRate, 1024);
        processor.setRateAndBufferSizeDetails (benchRate, benchBlock);
        processor.setOversamplingFactor ((int) state.range (0));

        const auto left = makeNoise (1), right = makeNoise (2);
        juce::AudioBuffer<float> buffer (2, benchBlock);
        juce::MidiBuffer midi;

        for (auto _ : state)
        {
            buffer.copyFrom (0, 0, left.data(), benchBlock);
            buffer.copyFrom (1, 0, right.data(), benchBlock);
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        reportRealTime (state);
    }

    void throughHost (benchmark::State& state)
    {
        using namespace tanglefix::host;

        HostSession session;
        std::string error;

        if (! session.load (TANGLEFIX_BUNDLE, error) || ! session.startUp().succeeded()
            || ! session.registerPlugin().succeeded())
        {
            state.SkipWithError ("the bundle could not be loaded");
            return;
        }

        {
            auto instance = ProcessingInstance::create (session, ChannelLayout::stereo, benchRate, 1024, error);

            if (instance == nullptr)
            {
                state.SkipWithError (error.c_str());
                return;
            }

            ChunkRecord chunk;
            instance->getInstance().getChunk (juceChunkID, chunk);
            StateChunkEditor::setRootAttributes (chunk.data, { { "Oversample", std::to_string (state.range (0)) } }, error);
            instance->getInstance().setChunk (chunk);

            const auto left = makeNoise (1), right = makeNoise (2);
            auto& context = instance->getContext();

            for (auto _ : state)
            {
                std::copy (left.begin(), left.end(), context.getInput (0));
                std::copy (right.begin(), right.end(), context.getInput (1));
                instance->process (benchBlock);
                benchmark::DoNotOptimize (context.getOutput (0));
            }
        }

        session.dispatchRunLoop();
        reportRealTime (state);
    }
}

BENCHMARK (directProcessing)->Arg (1)->Arg (4)->Arg (16)->Unit (benchmark::kMicrosecond);
BENCHMARK (throughHost)->Arg (1)->Arg (4)->Arg (16)->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
