#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <cstdint>

//==============================================================================
/** A 10 ms gain ramp applied to two channels, rising to 1 or falling to 0. */
struct FadeRamp
{
    double step = 0.0;
    double gain = 0.0;
    std::int32_t fadingOut = 0;

    bool isFinished() const noexcept;

    /** Back to the starting point: 0 for a rising ramp, 1 for a falling one. */
    void restart() noexcept;

    /** Puts the ramp at its end point, as if the fade had run to completion. */
    void finish() noexcept;

    void apply (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
};

//==============================================================================
/**
    The click-free bypass: crossfades between the processed and the dry signal.

    setBypassed is called from the parameter code on the message or automation thread,
    process on the audio thread; as with the other chain targets there is no lock, a
    transition takes effect from the next block. The two flags are atomic because both
    threads write them: a release arriving just as the audio thread completes the fade
    must not be overwritten by the fully-bypassed mark.
*/
struct BypassCrossfade
{
    BypassCrossfade() noexcept;

    /** Re-arms the four ramps for a new sample rate; the bypass state is kept. */
    void prepare (double sampleRate) noexcept;

    void setBypassed (bool on) noexcept;
    void process (juce::AudioBuffer<float>& wet, juce::AudioBuffer<float>& dry, int numSamples) noexcept;

    FadeRamp wetFadeIn;
    FadeRamp dryFadeIn;
    FadeRamp wetFadeOut;
    FadeRamp dryFadeOut;
    std::atomic<std::uint8_t> bypassState { 0 };
    std::atomic<std::uint8_t> fullyBypassed { 0 };
};
