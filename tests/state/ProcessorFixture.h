#pragma once

#include "PrivateFolders.h"
#include "TanglefixAudioProcessor.h"
#include "TanglefixBrioParameter.h"

#include <cmath>
#include <memory>

//==============================================================================
/** A processor in private folders, with the news fetch switched off so that no test
    waits for the network. */
class ProcessorTest  : public PrivateFoldersTest
{
protected:
    void SetUp() override
    {
        PrivateFoldersTest::SetUp();
        BrioSettings().setSecondString (BrioStoredNames::newsEnabledKey, "0", true);
    }

    static std::unique_ptr<TanglefixAudioProcessor> makeProcessor()
    {
        return std::make_unique<TanglefixAudioProcessor>();
    }

    static juce::File presetsFolder()
    {
        return juce::File (BrioSettings().getPresetsFolder());
    }

    static std::unique_ptr<juce::XmlElement> stateXml (TanglefixAudioProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
    }

    static void setState (TanglefixAudioProcessor& p, const juce::XmlElement& xml)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (xml, block);
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    static void set (TanglefixAudioProcessor::BrioParameter* p, float v)
    {
        p->setValueNotifyingHost (v);
    }

    /** What must hold whatever the processor was fed. */
    static void expectValidSettings (TanglefixAudioProcessor& p)
    {
        for (auto* param : p.getParameters())
        {
            const auto v = param->getValue();
            EXPECT_TRUE (std::isfinite (v) && v >= 0.0f && v <= 1.0f) << param->getName (50) << " " << v;
        }

        const auto f = p.oversamplingFactor;
        EXPECT_TRUE (f == 1 || f == 2 || f == 4 || f == 8 || f == 16) << f;
    }

    /** Runs a few blocks of a fixed noise through the processor and returns the output. */
    static juce::AudioBuffer<float> render (TanglefixAudioProcessor& p, int numBlocks = 8)
    {
        constexpr int blockLength = 512;
        p.prepareToPlay (48000.0, blockLength);

        juce::Random random (7);
        juce::AudioBuffer<float> out (2, numBlocks * blockLength);
        juce::MidiBuffer midi;

        for (int b = 0; b < numBlocks; ++b)
        {
            juce::AudioBuffer<float> block (2, blockLength);

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < blockLength; ++i)
                    block.setSample (ch, i, random.nextFloat() * 0.5f - 0.25f);

            p.processBlock (block, midi);

            for (int ch = 0; ch < 2; ++ch)
                out.copyFrom (ch, b * blockLength, block, ch, 0, blockLength);
        }

        return out;
    }
};
