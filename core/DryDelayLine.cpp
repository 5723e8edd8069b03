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

        dryL[i] = ringL[b] * frac + ringL[a] * (1.0f - frac);
        dryR[i] = ringR[b] * frac + ringR[a] * (1.0f - frac);
    }
}
