#pragma once

// The processor driven directly, prepared and called as JUCE 7.0.5's AAX wrapper does it:
// buses set for the layout, prepareToPlay at the host's rate with 1024 samples, a block
// length change announced through setRateAndBufferSizeDetails, a block longer than any
// before prepared for again, and the outputs' channels handed to processBlock with the
// inputs copied into them.

#include "AudioFile.h"
#include "RenderOptions.h"
#include "TanglefixAudioProcessor.h"

namespace bundle_test
{

class WrapperLikeProcessor
{
public:
    WrapperLikeProcessor (tanglefix::host::ChannelLayout layout, double rate)
        : sampleRate (rate),
          numIns (tanglefix::host::numInputsOf (layout)),
          numOuts (tanglefix::host::numOutputsOf (layout))
    {
        juce::AudioProcessor::BusesLayout buses;
        buses.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (numIns));
        buses.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (numOuts));
        EXPECT_TRUE (processor.setBusesLayout (buses));

        processor.setRateAndBufferSizeDetails (sampleRate, maxBufferSize);
        processor.prepareToPlay (sampleRate, maxBufferSize);
    }

    TanglefixAudioProcessor& get() noexcept   { return processor; }

    void setState (const std::vector<unsigned char>& data)
    {
        processor.setStateInformation (data.data(), (int) data.size());
    }

    void setParameter (int index, double value)
    {
        processor.getParameters()[index]->setValue ((float) value);
    }

    /** Prepares again, as a host that made its settings before playback: they then hold
        from the first sample. */
    void prepareWithSettingsInPlace()
    {
        processor.prepareToPlay (sampleRate, maxBufferSize);
    }

    tanglefix::host::AudioData render (const tanglefix::host::AudioData& input, int blockLength)
    {
        const auto frames = (int) input.getNumFrames();
        tanglefix::host::AudioData output;
        output.sampleRate = input.sampleRate;
        output.channels.assign ((size_t) numOuts, std::vector<float> ((size_t) frames));

        juce::AudioBuffer<float> block (juce::jmax (numIns, numOuts), blockLength);
        juce::MidiBuffer midi;

        for (int start = 0; start < frames; start += blockLength)
        {
            const auto n = juce::jmin (blockLength, frames - start);
            juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), block.getNumChannels(), n);
            view.clear();

            for (int ch = 0; ch < numIns; ++ch)
                view.copyFrom (ch, 0, input.channels[(size_t) ch].data() + start, n);

            processOneBlock (view, midi);

            for (int ch = 0; ch < numOuts; ++ch)
                std::copy (view.getReadPointer (ch), view.getReadPointer (ch) + n,
                           output.channels[(size_t) ch].begin() + start);
        }

        return output;
    }

private:
    void processOneBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
    {
        const auto n = buffer.getNumSamples();

        if (n != lastBufferSize)
        {
            lastBufferSize = n;
            processor.setRateAndBufferSizeDetails (sampleRate, n);

            if (n > maxBufferSize)
            {
                maxBufferSize = n;
                processor.setRateAndBufferSizeDetails (sampleRate, maxBufferSize);
                processor.prepareToPlay (sampleRate, maxBufferSize);
            }
        }

        if (processor.isSuspended())
            buffer.clear();
        else
            processor.processBlock (buffer, midi);
    }

    TanglefixAudioProcessor processor;
    const double sampleRate;
    const int numIns, numOuts;
    int lastBufferSize = 1024, maxBufferSize = 1024;
};

} // namespace bundle_test
