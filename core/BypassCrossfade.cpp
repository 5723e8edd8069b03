#include "BypassCrossfade.h"

#include "BrioBufferUtils.h"

#include <algorithm>

//==============================================================================
bool FadeRamp::isFinished() const noexcept
{
    return fadingOut != 0 ? gain <= 0.0 : gain >= 1.0;
}

void FadeRamp::restart() noexcept
{
    gain = fadingOut != 0 ? 1.0 : 0.0;
}

void FadeRamp::finish() noexcept
{
    gain = fadingOut != 0 ? 0.0 : 1.0;
}

void FadeRamp::apply (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getWritePointer (1);

    if (fadingOut == 0)
    {
        // Once the gain reaches 1 the rest of the block is left as it is.
        for (int i = 0; i < numSamples && gain < 1.0; ++i)
        {
            left[i] = (float) (left[i] * gain);
            right[i] = (float) (right[i] * gain);
            gain += step;
        }

        return;
    }

    for (int i = 0; i < numSamples; ++i)
    {
        const auto g = std::max (0.0, gain);
        left[i] = (float) (left[i] * g);
        right[i] = (float) (right[i] * g);
        gain = g - step;
    }
}

//==============================================================================
BypassCrossfade::BypassCrossfade() noexcept
{
    dryFadeOut.fadingOut = 1;
    wetFadeOut.fadingOut = 1;
    prepare (44100.0);
}

void BypassCrossfade::prepare (double sampleRate) noexcept
{
    // 10 ms; the product is rounded to single precision first, as the length is meant
    // to be a whole number of samples at the usual rates.
    const auto step = 1.0f / (float) (sampleRate * 0.01);

    for (auto* ramp : { &wetFadeIn, &dryFadeIn, &wetFadeOut, &dryFadeOut })
    {
        ramp->step = step;
        ramp->finish();
    }

    // A state asked for before any block ran (a host's set-up, a restored session) holds
    // from the first block: there is no sound yet to fade from.
    const auto requested = requestedState.load (std::memory_order_relaxed);
    bypassState.store (requested, std::memory_order_relaxed);
    fullyBypassed.store (requested, std::memory_order_relaxed);
}

void BypassCrossfade::setBypassed (bool on) noexcept
{
    requestedState.store (on ? 1 : 0, std::memory_order_relaxed);
}

void BypassCrossfade::followRequest() noexcept
{
    const auto newState = requestedState.load (std::memory_order_relaxed);

    // A repeated value must not restart a fade in progress.
    if (newState == bypassState.load (std::memory_order_relaxed))
        return;

    if (newState != 0)
    {
        wetFadeOut.restart();
        dryFadeIn.restart();
    }
    else
    {
        wetFadeIn.restart();
        dryFadeOut.restart();
    }

    bypassState.store (newState, std::memory_order_relaxed);
    fullyBypassed.store (0, std::memory_order_relaxed);
}

bool BypassCrossfade::isFullyBypassed() const noexcept
{
    return fullyBypassed.load (std::memory_order_relaxed) != 0;
}

void BypassCrossfade::process (juce::AudioBuffer<float>& wet, juce::AudioBuffer<float>& dry, int numSamples) noexcept
{
    if (bypassState.load (std::memory_order_relaxed) == 0)
    {
        if (wetFadeIn.isFinished() && dryFadeOut.isFinished())
            return;

        wetFadeIn.apply (wet, numSamples);
        dryFadeOut.apply (dry, numSamples);
        BrioBufferUtils::addStereo (wet, dry, numSamples);
        return;
    }

    if (wetFadeOut.isFinished() && dryFadeIn.isFinished())
    {
        // The fade is over: hand out the dry signal once; from the next block on the
        // chain does nothing at all.
        wet.clear (0, 0, numSamples);
        wet.clear (1, 0, numSamples);
        BrioBufferUtils::addStereo (wet, dry, numSamples);
        fullyBypassed.store (1, std::memory_order_relaxed);
        return;
    }

    wetFadeOut.apply (wet, numSamples);
    dryFadeIn.apply (dry, numSamples);
    BrioBufferUtils::addStereo (wet, dry, numSamples);
}
