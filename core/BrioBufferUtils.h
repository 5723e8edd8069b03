#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

//==============================================================================
/** Small two-channel buffer operations shared by the signal chain. */
struct BrioBufferUtils
{
    /** dest[0] += src[0] and dest[1] += src[1], over n samples. */
    static void addStereo (juce::AudioBuffer<float>& dest, const juce::AudioBuffer<float>& src, int n) noexcept
    {
        if (n < 1)
            return;

        for (int ch = 0; ch < 2; ++ch)
            juce::FloatVectorOperations::add (dest.getWritePointer (ch), src.getReadPointer (ch), n);
    }

    /** dest[0] = src[0], over n samples. */
    static void copyChannel0 (juce::AudioBuffer<float>& dest, const juce::AudioBuffer<float>& src, int n) noexcept
    {
        if (n < 1)
            return;

        juce::FloatVectorOperations::copy (dest.getWritePointer (0), src.getReadPointer (0), n);
    }
};
