#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "RampedValue.h"

//==============================================================================
/**
    A two-channel state-variable filter in the topology-preserving (trapezoidal) form,
    with eight output modes and ramped cutoff, resonance and gain.

    Output modes: 0 low-pass, 1 band-pass, 2 high-pass, 3 unit-peak band-pass,
    4 band shelf (x + gain * 2R * bp), 5 notch, 6 all-pass, 7 lp - hp; anything else
    gives silence.

    Targets are set from the message or the host's automation thread while the audio
    thread runs processSample (the ramps' targets and the cutoff limit they are checked
    against are atomic); the audio thread takes them up with followTargets before each
    block. The ramps advance only on channel 0, so a caller that processes channel 0
    before channel 1 for each sample moves every ramp once per stereo sample pair.
    setSampleRate and prepare run only while no block does.
*/
struct MultiModeSvf
{
    std::int32_t type = 0;
    float sampleRate = 44100.0f;
    float g = 1.0f;
    float damping = 1.0f;
    float gain = 0.0f;
    float s1[2] = { 0.0f, 0.0f };
    float s2[2] = { 0.0f, 0.0f };
    RampedValue cutoffRamp;
    RampedValue resonanceRamp;
    RampedValue gainRamp;
    std::atomic<float> cutoffLimit { 20000.0f };

    /** cutoffLimit for the audio thread's per-sample clamp, which must touch no atomic;
        both are written only by setSampleRate, while no block runs. */
    float rampCutoffLimit = 20000.0f;
    float rampSeconds = 0.01f;

    void setType (const int& mode) noexcept;

    /** Targets a cutoff in Hz, limited to 0..cutoffLimit. */
    void setCutoff (float hz) noexcept;

    /** Targets a resonance in 0..1 (1 means no damping at all). */
    void setResonance (float r) noexcept;

    /** Changes the filter rate; the cutoff is re-limited and snaps (never glides). */
    void setSampleRate (const float& fs) noexcept;

    /** Clears the state and re-derives the ramps and coefficients at the current rate. */
    void prepare() noexcept;

    /** Forgets the signal, keeping the ramps and coefficients: the audio thread's way out
        of a state that a NaN or infinite input left behind, which would stay so for good. */
    void clearState() noexcept;

    /** True while every state is finite and no larger than the given magnitude. */
    bool hasStateWithin (float magnitude) const noexcept;

    /** The audio thread, before each block: starts ramps towards targets set since. */
    void followTargets() noexcept
    {
        cutoffRamp.followTarget();
        resonanceRamp.followTarget();
        gainRamp.followTarget();
    }

    /** One sample of channel 0 or 1. Defined here so the per-sample loop can inline it. */
    float processSample (const float& x, const int& channel) noexcept
    {
        jassert (channel == 0 || channel == 1);

        if (channel == 0 && isRamping())
            advanceRamps();

        const auto k = channel;
        const auto twoR = damping + damping;

        const auto hp = (x - (twoR + g) * s1[k] - s2[k]) / (g * g + (twoR * g + 1.0f));
        const auto v = g * hp;
        const auto bp = s1[k] + v;
        const auto lp = g * bp + s2[k];
        s1[k] = v + bp;
        s2[k] = g * bp + lp;

        switch (type)
        {
            case 0:  return lp;
            case 1:  return bp;
            case 2:  return hp;
            case 3:  return twoR * bp;
            case 4:  return x + gain * (twoR * bp);
            case 5:  return x - twoR * bp;
            case 6:  return x + (-4.0f * damping) * bp;
            case 7:  return lp - hp;
            default: return 0.0f;
        }
    }

private:
    bool isRamping() const noexcept
    {
        return cutoffRamp.isRamping() || resonanceRamp.isRamping() || gainRamp.isRamping();
    }

    void advanceRamps() noexcept;
    float limitCutoff (float hz) const noexcept;
    static float clampCutoff (float hz, float limit) noexcept    { return hz < 0.0f ? 0.0f : std::min (limit, hz); }
    void updateCoefficients (float cutoff, float resonance, float modeGain) noexcept;
};
