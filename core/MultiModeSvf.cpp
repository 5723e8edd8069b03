#include "MultiModeSvf.h"

#include <algorithm>
#include <cmath>

void MultiModeSvf::setType (const int& mode) noexcept
{
    type = mode;
}

float MultiModeSvf::limitCutoff (float hz) const noexcept
{
    return clampCutoff (hz, cutoffLimit.load (std::memory_order_relaxed));
}

void MultiModeSvf::setCutoff (float hz) noexcept
{
    cutoffRamp.setTarget (limitCutoff (hz));
}

void MultiModeSvf::setResonance (float r) noexcept
{
    resonanceRamp.setTarget (r < 0.0f ? 0.0f : std::min (1.0f, r));
}

void MultiModeSvf::setSampleRate (const float& fs) noexcept
{
    if (fs == sampleRate)
        return;

    sampleRate = fs;
    rampCutoffLimit = (float) std::min (20000.0, ((double) fs - 1.0) * 0.5);
    cutoffLimit.store (rampCutoffLimit, std::memory_order_relaxed);

    cutoffRamp.reset (fs, rampSeconds);
    resonanceRamp.reset (fs, rampSeconds);
    gainRamp.reset (fs, rampSeconds);

    // A rate change must not glide the cutoff: it stands still at the limited target.
    const auto fc = limitCutoff (cutoffRamp.getTarget());
    cutoffRamp.jumpTo (fc);

    updateCoefficients (fc, resonanceRamp.getTarget(), gainRamp.getTarget());
}

void MultiModeSvf::prepare() noexcept
{
    g = 1.0f;
    damping = 1.0f;
    gain = 0.0f;
    clearState();

    cutoffRamp.reset (sampleRate, rampSeconds);
    resonanceRamp.reset (sampleRate, rampSeconds);
    gainRamp.reset (sampleRate, rampSeconds);

    const auto fc = limitCutoff (cutoffRamp.getTarget());

    if (fc != cutoffRamp.getTarget())
        cutoffRamp.setTarget (fc);

    updateCoefficients (fc, resonanceRamp.getTarget(), gainRamp.getTarget());
}

void MultiModeSvf::clearState() noexcept
{
    s1[0] = s1[1] = 0.0f;
    s2[0] = s2[1] = 0.0f;
}

bool MultiModeSvf::hasStateWithin (float magnitude) const noexcept
{
    // A NaN fails every comparison, so it is never within.
    for (const auto state : { s1[0], s1[1], s2[0], s2[1] })
        if (! (std::abs (state) <= magnitude))
            return false;

    return true;
}

void MultiModeSvf::advanceRamps() noexcept
{
    // Past the cutoff limit or a resonance of 1 the filter would turn unstable, so the
    // ramped values are held in range here, whatever a ramp's rounding or a target set
    // before a rate change lowered the limit may give (a no-op for every other ramp).
    const auto fc = clampCutoff (cutoffRamp.getNextValue(), rampCutoffLimit);
    const auto r = juce::jlimit (0.0f, 1.0f, resonanceRamp.getNextValue());
    const auto modeGain = gainRamp.getNextValue();
    updateCoefficients (fc, r, modeGain);
}

void MultiModeSvf::updateCoefficients (float cutoff, float resonance, float modeGain) noexcept
{
    const auto T = 1.0f / sampleRate;
    const auto Q = (float) (1.0 / ((1.0 - (double) resonance) * 2.0));

    // The prewarped integrator gain, tan (pi fc / fs), kept in the long-hand form so the
    // rounding matches across rates.
    const auto twoPiFc = (float) (2.0 * (double) cutoff * juce::MathConstants<double>::pi);
    const auto w = twoPiFc * T * 0.5f;
    g = std::tan (w) * (2.0f / T) * T * 0.5f;

    damping = 1.0f / (Q + Q);
    gain = modeGain;
}
