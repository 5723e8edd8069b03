#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>

#include "RampedValue.h"

//==============================================================================
/**
    Delays the dry signal by the oversampler's (fractional) latency, so that dry and wet
    stay aligned when the mix blends them. The ring is cleared once and never again; the
    delay glides over 441 samples whenever the latency changes.
*/
struct DryDelayLine
{
    static constexpr int ringLength = 131072;

    DryDelayLine();

    /** Writes the block into the ring and replaces it by the delayed signal (2 channels). */
    void process (juce::AudioBuffer<float>& dry, int numSamples) noexcept;

    juce::AudioBuffer<float> delayRing;
    std::int32_t delayMask = ringLength - 1;
    std::int32_t writeIndex = ringLength - 1;
    RampedValue delaySmoother;
};
