#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

//==============================================================================
/**
    A linear smoother: a new target is reached in a fixed number of samples, the last
    step landing exactly on the target.

    The target is the one field that other threads write (the parameter code, on the
    message or the host's automation thread), so it is atomic; a relaxed order is enough
    because nothing else is published with it. Everything else belongs to the thread that
    advances the ramp: once per block, followTarget starts a new ramp towards a target
    set since, so a ramp is never computed from a start that the other thread has moved
    meanwhile, and the per-sample path touches no atomic at all.

    reset and jumpTo rewrite the ramp as a whole; they run only while no block does
    (at set-up, or with processing suspended).
*/
struct RampedValue
{
    double sampleRate = 44100.0;
    float current = 0.01f;
    std::atomic<float> target { 0.01f };
    float step = 0.0f;
    std::int32_t countdown = 0;
    std::int32_t stepsToTarget = 441;

    /** The target of the ramp in progress: what target held when the advancing thread
        last read it. */
    float rampTarget = 0.01f;

    /** Any thread. A value equal to the running target changes nothing. */
    void setTarget (float newTarget) noexcept
    {
        target.store (newTarget, std::memory_order_relaxed);
    }

    float getTarget() const noexcept    { return target.load (std::memory_order_relaxed); }

    /** The advancing thread, before a run of getNextValue calls (a block): takes up a
        target set since the last call. */
    void followTarget() noexcept
    {
        const auto newTarget = getTarget();

        if (newTarget == rampTarget)
            return;

        rampTarget = newTarget;

        // A ramp from where a target that was not finite left the value would not be finite
        // all the way to the new target, so from there the value jumps.
        if (stepsToTarget < 1 || ! std::isfinite (current))
        {
            current = newTarget;
            countdown = 0;
            return;
        }

        countdown = stepsToTarget;
        step = (newTarget - current) / (float) stepsToTarget;
    }

    float getNextValue() noexcept
    {
        if (countdown <= 0)
            return rampTarget;

        if (--countdown > 0)
        {
            current += step;
            return current;
        }

        current = rampTarget;
        return rampTarget;
    }

    void reset (double newSampleRate, double rampSeconds) noexcept
    {
        sampleRate = newSampleRate;
        stepsToTarget = (std::int32_t) std::floor (rampSeconds * newSampleRate);
        current = rampTarget = getTarget();
        countdown = 0;
    }

    /** Stands still at the value at once: no ramp, whatever was running. */
    void jumpTo (float value) noexcept
    {
        current = rampTarget = value;
        setTarget (value);
        countdown = 0;
    }

    /** True while the ramp that followTarget started runs. */
    bool isRamping() const noexcept     { return countdown > 0; }
};
