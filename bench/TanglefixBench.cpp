// Throughput of the whole chain per oversampling factor, and the band filter's cost per
// sample against JUCE's own TPT state-variable filter doing the same low-pass work.

#include <benchmark/benchmark.h>

#include "TanglefixAudioProcessor.h"

#include <iostream>
#include <map>
#include <vector>

namespace
{
    constexpr double benchRate = 48000.0;
    constexpr int benchBlock = 512;

    void fillNoise (juce::AudioBuffer<float>& buffer, juce::Random& random)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (ch, i, random.nextFloat() * 2.0f - 1.0f);
    }

    /** Mid settings on every knob, so every stage of the chain does real work. */
    void setMidSettings (TanglefixAudioProcessor& p)
    {
        const auto& parameters = p.getParameters();
        const float values[] = { 0.5f, 0.7f, 0.6f, 0.6f, 0.8f, 0.0f };

        for (int i = 0; i < juce::jmin (6, parameters.size()); ++i)
            parameters[i]->setValue (values[i]);

        p.limiterOn = true;
    }

    /** The chain per block; with automation, the four knob parameters move before every
        block, so the smoothers and the filter coefficients ramp all the time. */
    void processBlockCost (benchmark::State& state, bool automated)
    {
        const auto factor = (int) state.range (0);
        TanglefixAudioProcessor processor;
        processor.prepareToPlay (benchRate, benchBlock);
        processor.setOversamplingFactor (factor);
        setMidSettings (processor);

        juce::Random random (1);
        juce::AudioBuffer<float> input (2, benchBlock), buffer (2, benchBlock);
        fillNoise (input, random);
        juce::MidiBuffer midi;
        const auto& parameters = processor.getParameters();
        float sweep = 0.0f;

        for (auto _ : state)
        {
            if (automated)
            {
                sweep = sweep < 0.9f ? sweep + 0.01f : 0.1f;

                for (const auto index : { 0, 1, 3, 4 })
                    parameters[index]->setValue (sweep);
            }

            buffer.makeCopyOf (input, true);
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        const auto samples = (double) state.iterations() * benchBlock;
        state.SetItemsProcessed ((int64_t) samples);
        state.counters["xRealTime"] = benchmark::Counter (samples / benchRate, benchmark::Counter::kIsRate);
    }

    void processBlockThroughput (benchmark::State& state)   { processBlockCost (state, false); }
    void processBlockAutomated (benchmark::State& state)    { processBlockCost (state, true); }

    constexpr int filterSamples = 4096;

    /** Our filter as a 1 kHz low-pass with Q 1. */
    struct OurLowpass
    {
        OurLowpass()
        {
            filter.setSampleRate ((float) benchRate);
            filter.setCutoff (1000.0f);
            filter.setResonance (0.5f);     // R = 1 - resonance, so Q 1
            filter.prepare();
        }

        float process (float x, int channel) noexcept   { return filter.processSample (x, channel); }

        MultiModeSvf filter;
    };

    /** JUCE's TPT state-variable filter doing the same low-pass work. */
    struct JuceLowpass
    {
        JuceLowpass()
        {
            filter.setType (juce::dsp::StateVariableTPTFilterType::lowpass);
            filter.setCutoffFrequency (1000.0f);
            filter.setResonance (1.0f);      // its resonance is Q
            filter.prepare ({ benchRate, (juce::uint32) filterSamples, 2 });
        }

        float process (float x, int channel) noexcept   { return filter.processSample (channel, x); }

        juce::dsp::StateVariableTPTFilter<float> filter;
    };

    // The filters run stereo, left then right per sample, either alone or as four
    // independent bands fed the same input, which is how the chain uses them. One filter
    // measures the latency of the recurrence, four its throughput.
    template <typename Lowpass>
    void lowpassCost (benchmark::State& state)
    {
        std::vector<Lowpass> filters ((size_t) state.range (0));

        juce::Random random (2);
        juce::AudioBuffer<float> input (2, filterSamples), output (2, filterSamples);
        fillNoise (input, random);
        const auto* inL = input.getReadPointer (0);
        const auto* inR = input.getReadPointer (1);
        auto* outL = output.getWritePointer (0);
        auto* outR = output.getWritePointer (1);

        for (auto _ : state)
        {
            for (int i = 0; i < filterSamples; ++i)
            {
                float sumL = 0.0f, sumR = 0.0f;

                for (auto& filter : filters)
                {
                    sumL += filter.process (inL[i], 0);
                    sumR += filter.process (inR[i], 1);
                }

                outL[i] = sumL;
                outR[i] = sumR;
            }

            benchmark::ClobberMemory();
        }

        state.SetItemsProcessed (state.iterations() * filterSamples * 2 * (int64_t) filters.size());
    }

    void multiModeSvfLowpass (benchmark::State& state)          { lowpassCost<OurLowpass> (state); }
    void juceStateVariableTptLowpass (benchmark::State& state)  { lowpassCost<JuceLowpass> (state); }

    /** Remembers each benchmark's time per iteration, to print the filters' cost ratio. */
    class RecordingReporter  : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            // With repetitions the mean arrives after the single runs and replaces them.
            for (const auto& run : runs)
                if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                    timePerIteration[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();

            ConsoleReporter::ReportRuns (runs);
        }

        std::map<std::string, double> timePerIteration;
    };
}

BENCHMARK (processBlockThroughput)->Arg (1)->Arg (2)->Arg (4)->Arg (8)->Arg (16)->Unit (benchmark::kMicrosecond);
BENCHMARK (processBlockAutomated)->Arg (1)->Arg (2)->Arg (4)->Arg (8)->Arg (16)->Unit (benchmark::kMicrosecond);
BENCHMARK (multiModeSvfLowpass)->Arg (1)->Arg (4)->Unit (benchmark::kMicrosecond);
BENCHMARK (juceStateVariableTptLowpass)->Arg (1)->Arg (4)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();

    for (const auto* filters : { "/1", "/4" })
    {
        const auto ours = reporter.timePerIteration.find (std::string ("multiModeSvfLowpass") + filters);
        const auto juces = reporter.timePerIteration.find (std::string ("juceStateVariableTptLowpass") + filters);

        if (ours != reporter.timePerIteration.end() && juces != reporter.timePerIteration.end())
            std::cout << "MultiModeSvf / juce::dsp::StateVariableTPTFilter cost per sample, "
                      << (filters[1] == '1' ? "one filter:  " : "four bands:  ") << ours->second / juces->second << "\n";
    }

    return 0;
}
