#pragma once

#include <cmath>
#include <cstdint>

//==============================================================================
/**
    A linear smoother: a new target is reached in a fixed number of samples, the last
    step landing exactly on the target.

    Targets are written on the message thread while the audio thread advances the ramp;
    there is deliberately no lock (a target written mid-block takes effect at the next
    sample that reads it).
*/
struct RampedValue
{
    double sampleRate = 44100.0;
    float current = 0.01f;
    float target = 0.01f;
    float step = 0.0f;
    std::int32_t countdown = 0;
    std::int32_t stepsToTarget = 441;

    void setTarget (float newTarget) noexcept
    {
        if (newTarget == target)
            return;

        target = newTarget;
        countdown = stepsToTarget;

        if (stepsToTarget < 1)
            current = newTarget;
        else
            step = (newTarget - current) / (float) stepsToTarget;
    }

    float getNextValue() noexcept
    {
        if (countdown <= 0)
            return target;

        if (--countdown > 0)
        {
            current += step;
            return current;
        }

        current = target;
        return target;
    }

    void reset (double newSampleRate, double rampSeconds) noexcept
    {
        sampleRate = newSampleRate;
        stepsToTarget = (std::int32_t) std::floor (rampSeconds * newSampleRate);
        current = target;
        countdown = 0;
    }

    /** Stands still at the value at once: no ramp, whatever was running. */
    void jumpTo (float value) noexcept
    {
        current = value;
        target = value;
        countdown = 0;
    }

    bool isRamping() const noexcept     { return countdown > 0; }
};
