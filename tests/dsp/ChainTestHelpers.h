#pragma once

#include "TanglefixAudioProcessor.h"

#include <memory>

/** Helpers that put a processor's chain into states whose output is known exactly. */
namespace chain_test
{
    inline std::unique_ptr<TanglefixAudioProcessor> makeProcessor (double rate = 44100.0, int blockSize = 512)
    {
        auto processor = std::make_unique<TanglefixAudioProcessor>();
        processor->prepareToPlay (rate, blockSize);
        return processor;
    }

    inline juce::AudioProcessor::BusesLayout makeLayout (int ins, int outs)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (ins));
        layout.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (outs));
        return layout;
    }

    inline void holdSmoother (RampedValue& smoother, float value)
    {
        smoother.jumpTo (value);
    }

    /** Unity wet gain, fully wet, no limiter. */
    inline void setWetUnity (TanglefixAudioProcessor& p)
    {
        holdSmoother (p.gainSmoother, 1.0f);
        holdSmoother (p.mixSmoother, 1.0f);
        p.limiterOn = false;
    }

    /** At a cutoff of 0 Hz the filters hold no state: mode 2 passes x exactly and mode 8
        gives 0, so each band's output is x or 0 as bit b of the mask says. */
    inline void setBandsPassing (TanglefixAudioProcessor& p, int mask)
    {
        for (int b = 0; b < TanglefixAudioProcessor::numBands; ++b)
        {
            auto& filter = p.bandFilters[b];
            filter.setType ((mask >> b) & 1 ? 2 : 8);
            filter.setCutoff (0.0f);
            filter.prepare();
        }
    }

    /** A chain whose wet signal is the input itself: bands 0 and 1 pass, pattern 1. */
    inline void setTransparentWet (TanglefixAudioProcessor& p)
    {
        setWetUnity (p);
        setBandsPassing (p, 0b0011);
        p.operationsIndex = 1;
    }

    inline void fill (juce::AudioBuffer<float>& buffer, float value)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), value, buffer.getNumSamples());
    }

    inline void fillNoise (juce::AudioBuffer<float>& buffer, juce::Random& random)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (ch, i, random.nextFloat() * 2.0f - 1.0f);
    }

    inline void process (TanglefixAudioProcessor& p, juce::AudioBuffer<float>& buffer)
    {
        juce::MidiBuffer midi;
        p.processBlock (buffer, midi);
    }
}
