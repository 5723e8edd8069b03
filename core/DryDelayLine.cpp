#include "DryDelayLine.h"

DryDelayLine::DryDelayLine()
    : delayRing (2, ringLength)
{
    delayRing.clear();
}

void DryDelayLine::restart (float delayInSamples) noexcept
{
    delayRing.clear();
    delaySmoother.jumpTo (delayInSamples);
}

void DryDelayLine::clearRecent (int maxDelay) noexcept
{
    // A read interpolates between the samples written j and j + 1 samples before the one
    // just written, j being at most the delay, so nothing older than maxDelay + 1 samples
    // before the newest can come out again.
    for (int ch = 0; ch < 2; ++ch)
    {
        auto* ring = delayRing.getWritePointer (ch);

        for (std::int32_t age = 0; age <= maxDelay + 1; ++age)
            ring[(writeIndex + age) & delayMask] = 0.0f;
    }
}

void DryDelayLine::process (juce::AudioBuffer<float>& dry, int numSamples) noexcept
{
    auto* ringL = delayRing.getWritePointer (0);
    auto* ringR = delayRing.getWritePointer (1);
    auto* dryL = dry.getWritePointer (0);
    auto* dryR = dry.getWritePointer (1);
    delaySmoother.followTarget();

    for (int i = 0; i < numSamples; ++i)
    {
        // The ring runs backwards: the sample written k samples ago sits at writeIndex + k.
        // The index is kept masked so hours of playback never overflow it.
        writeIndex = (writeIndex - 1) & delayMask;
        const auto p = writeIndex;
        ringL[p] = dryL[i];
        ringR[p] = dryR[i];

        const auto d = delaySmoother.getNextValue();
        const auto j = (std::int32_t) d;
        const auto frac = d - (float) j;
        const auto a = (j + writeIndex) & delayMask;
        const auto b = (a + 1) & delayMask;

        dryL[i] = interpolate (ringL[a], ringL[b], frac);
        dryR[i] = interpolate (ringR[a], ringR[b], frac);
    }
}

float DryDelayLine::interpolate (float newer, float older, float frac) noexcept
{
    // At a whole-sample delay (always so while bypassed) the older sample has no weight
    // and must have no say either: a NaN times 0 is NaN, which would spread a non-finite
    // sample to its clean neighbour. Returning the sample itself also keeps it exact.
    return frac == 0.0f ? newer : older * frac + newer * (1.0f - frac);
}
