#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

#include "RampedValue.h"

namespace LarkspanBrio
{

//==============================================================================
/**
    The framework's parameter: a normalised value 0..1 with a default, a plain-unit range,
    optional choice texts and a display type that selects generic texts and parsing.

    Display types:
      0  none (JUCE's number text; any other type outside 1..10 behaves the same)
      1  percent
      2  decibels over a curve split at unity gain
      3  decibels over an exponential curve
      4  frequency over an exponential curve
      5  plain value over an exponential curve
      6  pan (left, centre, right)
      7, 8  on/off
      9  two choices
      10 choice list

    The subclass decides what a value change drives and how its own texts read; it must
    implement getValueForText (usually by calling getValueForTextForDisplayType).

    setValue can run on the host's automation thread, so it never allocates or locks.
*/
class BrioParameterBase  : public juce::AudioProcessorParameterWithID
{
public:
    /** The plain-unit range the curves map the normalised value onto. */
    struct ValueRange
    {
        float start = 0.0f;
        float end = 1.0f;
    };

    enum DisplayType
    {
        displayNone         = 0,
        displayPercent      = 1,
        displayDecibelSplit = 2,
        displayDecibelExp   = 3,
        displayFrequency    = 4,
        displayPlain        = 5,
        displayPan          = 6,
        displayOnOff        = 7,
        displayOnOffButton  = 8,
        displayTwoChoices   = 9,
        displayChoiceList   = 10
    };

    /** The identifier is the decimal index; the label is empty. */
    BrioParameterBase (int index,
                       const juce::String& name,
                       int displayType,
                       const juce::StringArray& choices,
                       bool isMeta,
                       bool isAutomatable,
                       bool isDiscrete,
                       float defaultValue,
                       ValueRange range);

    ~BrioParameterBase() override;

    //==============================================================================
    float getValue() const override;

    /** Stores the value (anything at or below 0.000001 becomes 0) and updates the plain
        value or the selected choice for the display type. */
    void setValue (float newValue) override;

    float getDefaultValue() const override;

    /** The whole name: the length limit a host asks for is not applied. */
    juce::String getName (int maximumStringLength) const override;

    int getNumSteps() const override;
    bool isDiscrete() const override;
    bool isAutomatable() const override;
    bool isMetaParameter() const override;

    //==============================================================================
    /** The generic text of a normalised value for this parameter's display type. */
    juce::String getTextForDisplayType (float v) const;

    /** The generic parsing of a text into a normalised value for this display type. */
    float getValueForTextForDisplayType (const juce::String& text) const;

    /** Sets the plain value's target from the unity-split curve (display type 2). */
    void setPlainValueType2 (float v) noexcept;

    /** Decibel text of the unity-split curve, with a "+" above 0 dB (display type 2). */
    juce::String getDecibelTextSigned (float v) const;

    /** Decibel text of the exponential curve (display type 3). */
    juce::String getDecibelText (float v) const;

    /** "Hz" below 1 kHz, "kHz" with one decimal above (display type 4). */
    juce::String getFrequencyText (float v) const;

    /** "Center", or a whole number followed by "L" or "R" (display type 6). */
    juce::String getPanText (float v) const;

    /** Inverse of getPanText: "50L" gives 0.25, "Center" 0.5. */
    float getValueForPanText (const juce::String& text) const;

    //==============================================================================
    /** exp (ln start + (ln end - ln start) * v), in single precision. */
    float exponentialCurve (float v) const noexcept;

    /** Squared-linear up to unity in the lower half, linear above unity in the upper half. */
    float splitCurve (float v) const noexcept;

    /** The choice index a value selects in a choice list (display type 10). */
    int selectChoice (float v) const noexcept;

    /** A level in decibels with one decimal, floored at -100 (also for silence). */
    static juce::String formatDecibelFigure (float level);

    /** Limits to 0..1; NaN becomes 0, so a bad number never reaches a host or the DSP. */
    static float limitToUnitRange (float v) noexcept;

    //==============================================================================
    /** Normalised default; the owner replaces it when start-up values are loaded, while
        a host may read it on another thread. */
    std::atomic<float> defaultValue;

    /** Current normalised value, only ever written by atomic exchange. */
    std::atomic<float> value;

    const int displayType;
    std::atomic<int> choiceIndex { 0 };

    const bool isMeta;
    const bool isAutomatableFlag;
    const bool isDiscreteFlag;

    /** The value in plain units for the display type; only its target is used. */
    RampedValue plainValue;

    float rangeStart;
    float rangeEnd;

    const juce::StringArray choices;
    const juce::String nameKey;

private:
    float computePlainValue (float v) const noexcept;
    static juce::String formatDecibels (float level);
    float levelToSplitValue (float level) const noexcept;
    float levelToExponentialValue (float level, bool clampLevel) const noexcept;
    static float levelFromDecibelText (const juce::String& text);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioParameterBase)
};

} // namespace LarkspanBrio
