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

    setBypassed is called from the parameter code on the message or automation thread
    and only records the wish; the audio thread takes it up at the start of its next
    block (followRequest), where it alone switches the state and restarts the ramps. So
    the ramps are never rewritten while a block applies them, and a release can never be
    overwritten by the mark that the fade has completed. The three flags are atomic for
    the threads that read them; a relaxed order is enough, as nothing else is published
    with them.
*/
struct BypassCrossfade
{
    BypassCrossfade() noexcept;

    /** Re-arms the four ramps for a new sample rate, finished, and settles the bypass in
        the state last asked for, without a fade. Only while no block runs. */
    void prepare (double sampleRate) noexcept;

    /** Any thread: asks for the bypass on or off from the next block on. Asking for the
        state already in force (or already asked for) changes nothing. */
    void setBypassed (bool on) noexcept;

    /** Audio thread, before each block: starts the fade towards a newly asked-for state. */
    void followRequest() noexcept;

    bool isFullyBypassed() const noexcept;

    void process (juce::AudioBuffer<float>& wet, juce::AudioBuffer<float>& dry, int numSamples) noexcept;

    FadeRamp wetFadeIn;
    FadeRamp dryFadeIn;
    FadeRamp wetFadeOut;
    FadeRamp dryFadeOut;
    std::atomic<std::uint8_t> bypassState { 0 };        // written by the audio thread only
    std::atomic<std::uint8_t> fullyBypassed { 0 };      // written by the audio thread only
    std::atomic<std::uint8_t> requestedState { 0 };     // the state setBypassed asked for
};
