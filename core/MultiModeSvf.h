#pragma once

#include <cstdint>

#include "RampedValue.h"

//==============================================================================
/**
    A two-channel state-variable filter in the topology-preserving (trapezoidal) form,
    with eight output modes and ramped cutoff, resonance and gain.

    Output modes: 0 low-pass, 1 band-pass, 2 high-pass, 3 unit-peak band-pass,
    4 band shelf (x + gain * 2R * bp), 5 notch, 6 all-pass, 7 lp - hp; anything else
    gives silence.
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
    float cutoffLimit = 20000.0f;
    float rampSeconds = 0.01f;

    void setType (const int& mode) noexcept;
    void setCutoff (float hz) noexcept;
    void setResonance (float r) noexcept;
    void setSampleRate (const float& fs) noexcept;
    void prepare() noexcept;
    float processSample (const float& x, const int& channel) noexcept;

private:
    void updateCoefficients (float cutoff, float resonance, float modeGain) noexcept;
};
