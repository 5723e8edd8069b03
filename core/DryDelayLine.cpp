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
