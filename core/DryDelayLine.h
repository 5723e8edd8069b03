#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>

#include "RampedValue.h"

//==============================================================================
/**
    Delays the dry signal by the oversampler's (fractional) latency, so that dry and wet
    stay aligned when the mix blends them, and delays the whole signal while the effect is
    bypassed, so that the output keeps the latency the host compensates. The delay glides
    over 441 samples whenever the latency changes while the line is in use.
*/
struct DryDelayLine
{
    static constexpr int ringLength = 131072;

    DryDelayLine();

    /** Empties the ring and puts the delay at once (without a glide) at the given number
        of samples: for a line that starts being used again, whose old contents are no
        longer the signal's recent past. */
    void restart (float delayInSamples) noexcept;

    /** Empties the part of the ring that a delay of up to maxDelay samples can still read,
        keeping the delay as it is: the audio thread's way to forget a signal that was not
        finite, without the cost of emptying the whole ring. */
    void clearRecent (int maxDelay) noexcept;

    /** Writes the block into the ring and replaces it by the delayed signal (2 channels). */
    void process (juce::AudioBuffer<float>& dry, int numSamples) noexcept;

    /** Between the sample delayed by j and the one delayed by j + 1 samples. */
    static float interpolate (float newer, float older, float frac) noexcept;

    juce::AudioBuffer<float> delayRing;
    std::int32_t delayMask = ringLength - 1;
    std::int32_t writeIndex = ringLength - 1;
    RampedValue delaySmoother;
};
