#include <gtest/gtest.h>

#include "MultiModeSvf.h"
#include "RampedValue.h"

#include <cmath>
#include <complex>

namespace
{
    /** Puts the filter at a rate, cutoff and resonance with no ramp running. */
    void settle (MultiModeSvf& filter, float rate, float cutoff, float resonance)
    {
        filter.setSampleRate (rate);
        filter.setCutoff (cutoff);
        filter.setResonance (resonance);
        filter.prepare();
    }

    /** |H| of the bilinear-transformed 2nd-order low-pass 1 / (s^2 + 2R s + 1), with the
        analog prototype prewarped so that it is exact at the cutoff. */
    double trapezoidalLowpassMagnitude (double frequency, double cutoff, double rate, double resonance)
    {
        const auto pi = 3.14159265358979323846;
        const auto R = 1.0 - resonance;
        const auto g = std::tan (pi * cutoff / rate);
        const auto z = std::polar (1.0, 2.0 * pi * frequency / rate);
        const auto s = (z - 1.0) / ((z + 1.0) * g);
        return std::abs (1.0 / (s * s + 2.0 * R * s + 1.0));
    }

    /** Steady-state amplitude of the filter's response to a sine of the given frequency,
        from a least-squares fit of a sine and a cosine (exact for any number of cycles). */
    double measureSineGain (MultiModeSvf& filter, double frequency, double rate)
    {
        const auto pi = 3.14159265358979323846;
        const auto settleSamples = (int) (rate * 0.5);
        const auto measureSamples = (int) (rate * 0.1);
        double ss = 0.0, cc = 0.0, sc = 0.0, ys = 0.0, yc = 0.0;

        for (int i = 0; i < settleSamples + measureSamples; ++i)
        {
            const auto phase = 2.0 * pi * frequency * i / rate;
            const auto x = (float) std::sin (phase);
            const auto yl = filter.processSample (x, 0);
            const auto yr = filter.processSample (x, 1);
            EXPECT_EQ (yl, yr);

            if (i >= settleSamples)
            {
                const auto s = std::sin (phase), c = std::cos (phase);
                ss += s * s; cc += c * c; sc += s * c;
                ys += yl * s; yc += yl * c;
            }
        }

        const auto det = ss * cc - sc * sc;
        const auto a = (ys * cc - yc * sc) / det;
        const auto b = (yc * ss - ys * sc) / det;
        return std::hypot (a, b);
    }
}

//==============================================================================
TEST (RampedValue, ReachesItsTargetExactlyOnTheLastStep)
{
    RampedValue ramp;
    ramp.reset (44100.0, 0.01);
    EXPECT_EQ (ramp.stepsToTarget, 441);
    ramp.jumpTo (0.0f);

    ramp.setTarget (1.0f);
    EXPECT_EQ (ramp.getNextValue(), 0.0f) << "a new target waits for the next block";

    ramp.followTarget();
    EXPECT_TRUE (ramp.isRamping());
    EXPECT_FLOAT_EQ (ramp.getNextValue(), 1.0f / 441.0f);

    for (int i = 2; i < 441; ++i)
        EXPECT_LT (ramp.getNextValue(), 1.0f) << "step " << i;

    EXPECT_EQ (ramp.getNextValue(), 1.0f);
    EXPECT_EQ (ramp.getNextValue(), 1.0f);
    EXPECT_FALSE (ramp.isRamping());
}

TEST (RampedValue, RepeatedTargetKeepsTheRunningRampAndShortRampsJump)
{
    RampedValue ramp;
    ramp.setTarget (1.0f);
    ramp.followTarget();

    for (int i = 0; i < 100; ++i)
        ramp.getNextValue();

    ramp.setTarget (1.0f);
    ramp.followTarget();
    EXPECT_EQ (ramp.countdown, 341);

    ramp.reset (50.0, 0.01);     // below 100 Hz a 10 ms ramp has no samples at all
    EXPECT_EQ (ramp.stepsToTarget, 0);
    ramp.setTarget (-3.0f);
    ramp.followTarget();
    EXPECT_EQ (ramp.getNextValue(), -3.0f);
    EXPECT_EQ (ramp.current, -3.0f);
}

TEST (RampedValue, SingleAndDoublePrecisionRampLengthsDiffer)
{
    // The filters keep their ramp time as a float, which lands just below 10 ms.
    const std::pair<double, int> filterSteps[] = { { 44100.0, 440 }, { 48000.0, 479 },
                                                   { 176400.0, 1763 }, { 192000.0, 1919 } };

    for (const auto& [rate, steps] : filterSteps)
    {
        MultiModeSvf filter;
        filter.setSampleRate ((float) rate);
        filter.prepare();
        EXPECT_EQ (filter.cutoffRamp.stepsToTarget, steps) << rate;

        RampedValue smoother;
        smoother.reset (rate, 0.01);
        EXPECT_EQ (smoother.stepsToTarget, (int) (rate / 100.0)) << rate;
    }
}

//==============================================================================
TEST (MultiModeSvf, CutoffIsLimitedAndSnapsOnRateChanges)
{
    MultiModeSvf filter;
    filter.setCutoff (30000.0f);
    EXPECT_EQ (filter.cutoffRamp.target, 20000.0f);

    filter.setSampleRate (22050.0f);
    EXPECT_EQ (filter.cutoffLimit, 11024.5f);
    EXPECT_EQ (filter.cutoffRamp.target, 11024.5f);
    EXPECT_EQ (filter.cutoffRamp.current, 11024.5f);
    EXPECT_FALSE (filter.cutoffRamp.isRamping());

    // Back up to a higher rate: the limit rises again, the cutoff does not come back.
    filter.setSampleRate (96000.0f);
    EXPECT_EQ (filter.cutoffLimit, 20000.0f);
    EXPECT_EQ (filter.cutoffRamp.target, 11024.5f);

    filter.setCutoff (-5.0f);
    EXPECT_EQ (filter.cutoffRamp.target, 0.0f);
}

TEST (MultiModeSvf, RampsAdvanceOnlyOnChannelZeroAndSurviveAnUnchangedRate)
{
    MultiModeSvf filter;
    settle (filter, 48000.0f, 1000.0f, 0.2f);
    const auto gBefore = filter.g;

    filter.setCutoff (2000.0f);
    filter.setResonance (1.5f);
    EXPECT_EQ (filter.resonanceRamp.target, 1.0f);
    filter.followTargets();

    filter.processSample (0.5f, 1);
    EXPECT_EQ (filter.g, gBefore);

    filter.setSampleRate (48000.0f);
    EXPECT_TRUE (filter.cutoffRamp.isRamping());

    for (int i = 0; i < 479; ++i)
        filter.processSample (0.0f, 0);

    EXPECT_NEAR (filter.g, std::tan (3.14159265 * 2000.0 / 48000.0), 1.0e-6);
    EXPECT_EQ (filter.damping, 0.0f);
}

TEST (MultiModeSvf, LowpassMatchesTheTrapezoidalResponse)
{
    struct Case { float rate, cutoff, resonance; };
    const Case cases[] = { { 44100.0f, 1000.0f, 0.0f },  { 44100.0f, 15000.0f, 0.5f },
                           { 48000.0f, 440.0f, 0.9f },   { 96000.0f, 5000.0f, 0.3f },
                           { 192000.0f, 20000.0f, 0.7f }, { 768000.0f, 250.0f, 0.5f } };

    for (const auto& c : cases)
    {
        for (const auto ratio : { 1.0, 0.5, 1.3 })
        {
            MultiModeSvf filter;
            settle (filter, c.rate, c.cutoff, c.resonance);

            const auto frequency = c.cutoff * ratio;
            const auto expected = trapezoidalLowpassMagnitude (frequency, c.cutoff, c.rate, c.resonance);
            const auto measured = measureSineGain (filter, frequency, c.rate);
            EXPECT_NEAR (measured / expected, 1.0, 2.0e-3)
                << c.rate << " Hz, cutoff " << c.cutoff << ", r " << c.resonance << ", f " << frequency;
        }
    }
}

TEST (MultiModeSvf, ModesAtZeroCutoffAndUnknownModes)
{
    // At 0 Hz the integrators never move, which pins down each mode's formula.
    const std::pair<int, float> modes[] = { { 0, 0.0f }, { 1, 0.0f }, { 2, 0.3f }, { 3, 0.0f },
                                            { 4, 0.3f }, { 5, 0.3f }, { 6, 0.3f }, { 7, -0.3f }, { 8, 0.0f } };

    for (const auto& [mode, expected] : modes)
    {
        MultiModeSvf filter;
        filter.setType (mode);
        settle (filter, 44100.0f, 0.0f, 0.5f);
        EXPECT_EQ (filter.processSample (0.3f, 0), expected) << "mode " << mode;
    }
}

TEST (MultiModeSvf, RampOvershootFromARaceNeverLeavesTheStableRange)
{
    // A ramp whose step overshoots its target (rounding, or a limit lowered under a
    // running ramp) passes the target before it lands on it.
    MultiModeSvf filter;
    filter.setSampleRate (32000.0f);
    filter.prepare();

    const auto overshootingRamp = [] (RampedValue& ramp, float from, float to, float step)
    {
        ramp.jumpTo (to);
        ramp.current = from;
        ramp.step = step;
        ramp.countdown = 3;
    };

    overshootingRamp (filter.cutoffRamp, 15990.0f, filter.cutoffLimit, 50.0f);
    overshootingRamp (filter.resonanceRamp, 0.99f, 1.0f, 0.05f);

    filter.processSample (0.0f, 0);
    EXPECT_GT (filter.g, 0.0f) << "a cutoff past Nyquist flips the integrator gain";
    EXPECT_GE (filter.damping, 0.0f) << "a resonance above 1 gives negative damping";

    float peak = 0.0f;
    for (int i = 0; i < 4096; ++i)
        for (int channel = 0; channel < 2; ++channel)
            peak = std::max (peak, std::abs (filter.processSample (i == 0 ? 1.0f : 0.0f, channel)));

    EXPECT_TRUE (std::isfinite (peak));
}
