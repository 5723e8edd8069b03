#pragma once

#include "TanglefixAudioProcessor.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

//==============================================================================
/**
    One processor shared by all runs of a fuzz target, prepared to play, with the news
    fetch switched off. It writes its settings below /opt and HOME, so the targets only
    run inside tests/private-run.sh.
*/
inline TanglefixAudioProcessor& fuzzedProcessor()
{
    static const auto processor = []
    {
        if (std::getenv ("TANGLEFIX_IN_PRIVATE_NS") == nullptr)
        {
            std::fputs ("run fuzz targets through tests/private-run.sh\n", stderr);
            std::abort();
        }

        BrioSettings().setSecondString (BrioStoredNames::newsEnabledKey, "0", true);

        auto p = std::make_unique<TanglefixAudioProcessor>();
        p->prepareToPlay (48000.0, 64);
        return p;
    }();

    return *processor;
}

/** Whatever it was fed, the processor must hold valid settings and keep producing
    finite audio; anything else stops the fuzzer. */
inline void checkProcessorIsSound (TanglefixAudioProcessor& p)
{
    for (auto* param : p.getParameters())
    {
        const auto v = param->getValue();

        if (! (v >= 0.0f && v <= 1.0f))
            __builtin_trap();
    }

    const auto f = p.oversamplingFactor;

    if (f != 1 && f != 2 && f != 4 && f != 8 && f != 16)
        __builtin_trap();

    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (ch, i, std::sin ((float) i * 0.3f + (float) ch) * 0.5f);

    p.processBlock (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (ch, i)))
                __builtin_trap();
}
