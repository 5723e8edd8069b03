// What the embedded typefaces cost when a JUCE GUI session first needs them (again after
// every shut-down): the FreeType check before JUCE's typeface is made, beside JUCE's
// typeface alone, and the first width of a caption, which loads its glyphs.

#include <benchmark/benchmark.h>

#include <BrioFonts.h>

#include "BrioLookAndFeel.h"

namespace
{
    using LarkspanBrio::BrioLookAndFeel;

    const auto* const regularData = BrioFonts::OpenSansRegular_ttf;
    const auto regularSize = (size_t) BrioFonts::OpenSansRegular_ttfSize;

    void BM_CheckedEmbeddedTypeface (benchmark::State& state)
    {
        for (auto _ : state)
            benchmark::DoNotOptimize (BrioLookAndFeel::createTypeface (regularData, regularSize, juce::Font::plain));
    }

    void BM_JuceTypefaceAlone (benchmark::State& state)
    {
        for (auto _ : state)
            benchmark::DoNotOptimize (juce::Typeface::createSystemTypefaceFor (regularData, regularSize));
    }

    void BM_FirstCaptionWidth (benchmark::State& state)
    {
        for (auto _ : state)
        {
            const auto face = BrioLookAndFeel::createTypeface (regularData, regularSize, juce::Font::plain);
            benchmark::DoNotOptimize (face->getStringWidth ("Frequency Emphasis Operations Gain Mix"));
        }
    }
}

BENCHMARK (BM_CheckedEmbeddedTypeface)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_JuceTypefaceAlone)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_FirstCaptionWidth)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    // FreeType's list of the system's faces is one of JUCE's DeletedAtShutdown objects.
    juce::ScopedJuceInitialiser_GUI gui;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
