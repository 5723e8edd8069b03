#pragma once

#include "BrioParameterBase.h"
#include "TanglefixAudioProcessor.h"

//==============================================================================
/**
    One of the plug-in's six parameters. The name decides what a value change drives in
    the processor's signal chain and how the value reads as text:

      "Frequency"   the cutoffs of the four band filters
      "Emphasis"    the resonance of the four band filters
      "Operations"  which of the four sum and product patterns combines the bands
      "Gain"        the wet gain target
      "Mix"         the dry/wet mix target
      "Bypass"      the bypass crossfade

    Any other name gets only the base class's behaviour.

    setValue writes the chain's targets, which are atomic, without a lock and allocates
    nothing, because hosts may automate from their own thread; the audio thread picks the
    targets up at the start of its next block.
*/
class TanglefixAudioProcessor::BrioParameter  : public LarkspanBrio::BrioParameterBase
{
public:
    BrioParameter (TanglefixAudioProcessor& owner,
                   int index,
                   const juce::String& name,
                   int displayType,
                   const juce::StringArray& choices,
                   bool isMeta,
                   bool isAutomatable,
                   bool isDiscrete,
                   float defaultValue,
                   ValueRange range);

    /** Limits the value to 0..1 (NaN gives 0), updates the signal chain, then stores it. */
    void setValue (float newValue) override;

    /** Sets the chain's targets for a value in 0..1, without storing it: how the processor
        re-derives them from the current value, which another thread may be writing. */
    void updateChain (float v) noexcept;

    /** Sets the chain's targets from the current value, following a write that lands
        meanwhile a few times at most: it returns while automation never pauses. */
    void updateChainFromValue() noexcept;

    /** The text the knobs and the host show; the length limit is not applied. */
    juce::String getText (float normalisedValue, int maximumStringLength) const override;

    /** Reads back what getText shows (also plain numbers); see the implementation for
        what each parameter accepts. */
    float getValueForText (const juce::String& text) const override;

    /** The wet gain a normalised Gain value stands for: 0..1 below the middle, up to 4. */
    static float gainForValue (float v) noexcept;

    /** The inverse of gainForValue, limited to 0..1. */
    static float valueForGain (float gain) noexcept;

    /** The cutoff of band 0..3 for a normalised Frequency value, before the filter's limit. */
    static float bandCutoffForValue (int band, float v) noexcept;

    /** The filter resonance 0..0.99 for a normalised Emphasis value. */
    static float resonanceForValue (float v) noexcept;

    /** The Operations pattern 0..3 for a normalised value. */
    static int operationsIndexForValue (float v) noexcept;

    TanglefixAudioProcessor* processor;

private:
    enum class Role { frequency, emphasis, operations, gain, mix, bypass, other };

    static Role roleForName (const juce::String& name);
    static juce::String getGainText (float v);
    float getValueForPercentText (const juce::String& text) const;
    float getValueForGainText (const juce::String& text) const;
    float getValueForOperationsText (const juce::String& text) const;

    // The name never changes, so it is matched once here rather than on every value change.
    const Role role;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioParameter)
};
