// What the knobs' filmstrips cost: decoding one (the Frequency strip, 310 x 43210, is the
// largest), fetching one that an open editor already holds, and drawing one frame.

#include <benchmark/benchmark.h>

#include "BrioArt.h"
#include "BrioKnob.h"

namespace
{
    constexpr int frequencyFrames = 149;

    void decodedSize (benchmark::State& state, const juce::Image& image)
    {
        state.counters["decodedMB"] = (double) image.getWidth() * image.getHeight() * 4 / (1024.0 * 1024.0);
    }

    /** A decode from the embedded PNG, as every editor would pay without the cache. */
    void BM_DecodeFrequencyFilmstrip (benchmark::State& state)
    {
        juce::Image image;

        for (auto _ : state)
        {
            image = juce::ImageFileFormat::loadFrom (BrioArt::knob_frequency_png, (size_t) BrioArt::knob_frequency_pngSize);
            benchmark::DoNotOptimize (image.getPixelData());
        }

        decodedSize (state, image);
    }

    /** A second editor while the first is open: the cache hands out the same pixels. */
    void BM_FrequencyFilmstripHeldByAnotherEditor (benchmark::State& state)
    {
        const auto held = LarkspanBrio::BrioKnob::loadFilmstrip (BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize);

        for (auto _ : state)
        {
            auto image = LarkspanBrio::BrioKnob::loadFilmstrip (BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize);
            benchmark::DoNotOptimize (image.getPixelData());
        }

        decodedSize (state, held);
    }

    /** One repaint of the Frequency knob, as each step of a drag costs. */
    void BM_PaintFrequencyFrame (benchmark::State& state)
    {
        LarkspanBrio::BrioKnob knob ({});
        knob.displayMode = LarkspanBrio::BrioKnob::bubbleMode;
        knob.setup (nullptr, LarkspanBrio::BrioKnob::loadFilmstrip (BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize),
                    frequencyFrames, 0, 0);

        juce::Image canvas (juce::Image::ARGB, knob.getWidth(), knob.getHeight(), true);
        double value = 0.0;

        for (auto _ : state)
        {
            value = value > 0.99 ? 0.0 : value + 0.01;
            knob.setValue (value, juce::dontSendNotification);
            juce::Graphics g (canvas);
            knob.paint (g);
        }
    }
}

BENCHMARK (BM_DecodeFrequencyFilmstrip)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_FrequencyFilmstripHeldByAnotherEditor);
BENCHMARK (BM_PaintFrequencyFrame)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    // The knob, the cache and fonts want JUCE's message manager.
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
