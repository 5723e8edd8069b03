#include <gtest/gtest.h>

#include "BrioParameterBase.h"

namespace
{
    using LarkspanBrio::BrioParameterBase;

    /** The base with nothing added: texts and parsing are the generic ones. */
    struct GenericParameter  : public BrioParameterBase
    {
        GenericParameter (int displayType, ValueRange range, juce::StringArray choiceTexts = {})
            : BrioParameterBase (7, "Generic", displayType, choiceTexts, false, true, false, 0.0f, range)
        {
        }

        float getValueForText (const juce::String& text) const override
        {
            return getValueForTextForDisplayType (text);
        }

        juce::String text (float v) const  { return getTextForDisplayType (v); }
    };

    /** Every shown text must parse back to a value that shows the same text. */
    void expectTextsRoundTrip (const GenericParameter& p)
    {
        for (int i = 0; i <= 200; ++i)
        {
            const auto v = (float) i / 200.0f;
            const auto shown = p.text (v);
            EXPECT_EQ (p.text (p.getValueForText (shown)), shown) << "at " << v;
        }
    }
}

TEST (ParameterBase, StoresTinyAndUndefinedValuesAsZero)
{
    GenericParameter p (BrioParameterBase::displayPercent, { 0.0f, 1.0f });

    p.setValue (0.000001f);
    EXPECT_EQ (p.getValue(), 0.0f);
    p.setValue (0.0000011f);
    EXPECT_GT (p.getValue(), 0.0f);
    p.setValue (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (p.getValue(), 0.0f);
}

TEST (ParameterBase, SplitDecibelCurveMeetsUnityInTheMiddleAndInvertsOnBothSides)
{
    GenericParameter p (BrioParameterBase::displayDecibelSplit, { 0.0f, 4.0f });

    EXPECT_FLOAT_EQ (p.splitCurve (0.25f), 0.25f);
    EXPECT_FLOAT_EQ (p.splitCurve (0.5f), 1.0f);
    EXPECT_FLOAT_EQ (p.splitCurve (0.75f), 2.5f);
    EXPECT_FLOAT_EQ (p.splitCurve (1.0f), 4.0f);

    p.setValue (0.75f);
    EXPECT_FLOAT_EQ (p.plainValue.target, 2.5f);

    EXPECT_EQ (p.text (0.0f), "-inf dB");
    EXPECT_EQ (p.text (0.5f), "0.0dB");
    EXPECT_EQ (p.text (1.0f), "+12.0dB");
    EXPECT_EQ (p.text (0.25f), "-12.0dB");

    EXPECT_EQ (p.getValueForText ("-inf dB"), 0.0f);
    EXPECT_NEAR (p.getValueForText ("0.0dB"), 0.5f, 1.0e-6f);
    EXPECT_NEAR (p.getValueForText ("-12.0dB"), 0.25f, 1.0e-3f);
    EXPECT_EQ (p.getValueForText ("+40dB"), 1.0f);
    expectTextsRoundTrip (p);

    // Ranges that lie wholly below or above unity take the other branches.
    GenericParameter quiet (BrioParameterBase::displayDecibelSplit, { 0.0f, 0.5f });
    EXPECT_FLOAT_EQ (quiet.splitCurve (1.0f), 0.25f);
    EXPECT_NEAR (quiet.getValueForText ("-12.0dB"), 1.0f, 1.0e-3f);
    expectTextsRoundTrip (quiet);

    GenericParameter loud (BrioParameterBase::displayDecibelSplit, { 1.0f, 10.0f });
    EXPECT_FLOAT_EQ (loud.splitCurve (1.0f), 10.0f);
    expectTextsRoundTrip (loud);
}

TEST (ParameterBase, ExponentialDecibelCurveClampsAndGuardsItsPlainValue)
{
    GenericParameter p (BrioParameterBase::displayDecibelExp, { 0.01f, 10.0f });

    EXPECT_EQ (p.text (0.0f), "-40.0dB");
    EXPECT_EQ (p.text (1.0f), "+20.0dB");
    EXPECT_EQ (p.getValueForText ("+30dB"), 1.0f);       // level clamped into the range
    EXPECT_EQ (p.getValueForText ("-inf dB"), 0.0f);
    expectTextsRoundTrip (p);

    // A range starting at silence has no logarithm: the plain value falls back to unity.
    GenericParameter fromSilence (BrioParameterBase::displayDecibelExp, { 0.0f, 1.0f });
    fromSilence.setValue (0.5f);
    EXPECT_EQ (fromSilence.plainValue.target, 1.0f);
    EXPECT_EQ (fromSilence.text (0.5f), "0.0dB");
}

TEST (ParameterBase, FrequencyRangeIsPulledIntoTheAudibleBand)
{
    GenericParameter p (BrioParameterBase::displayFrequency, { 0.0f, 1.0f });

    EXPECT_EQ (p.rangeStart, 20.0f);
    EXPECT_EQ (p.rangeEnd, 20000.0f);
    EXPECT_EQ (p.text (0.0f), "20Hz");
    EXPECT_EQ (p.text (1.0f), "20.0kHz");
    EXPECT_NEAR (p.getValueForText ("632.5"), 0.5f, 1.0e-4f);

    // No positive number, no logarithm: the fallback is 0, never NaN or infinity.
    EXPECT_EQ (p.getValueForText ("off"), 0.0f);
    EXPECT_EQ (p.getValueForText ("-5"), 0.0f);
}

TEST (ParameterBase, PanTextsAndParsing)
{
    GenericParameter p (BrioParameterBase::displayPan, { 0.0f, 1.0f });

    EXPECT_EQ (p.text (0.25f), "50L");
    EXPECT_EQ (p.text (0.5f), "Center");
    EXPECT_EQ (p.text (0.75f), "50R");
    EXPECT_EQ (p.text (0.0f), "100L");

    EXPECT_FLOAT_EQ (p.getValueForText ("50L"), 0.25f);
    EXPECT_FLOAT_EQ (p.getValueForText ("50R"), 0.75f);
    EXPECT_FLOAT_EQ (p.getValueForText ("Center"), 0.5f);
    EXPECT_FLOAT_EQ (p.getValueForText ("100l"), 0.0f);
    EXPECT_FLOAT_EQ (p.getValueForText ("300R"), 1.0f);
    expectTextsRoundTrip (p);
}

TEST (ParameterBase, OnOffTypesAreTwoStepSwitches)
{
    GenericParameter p (BrioParameterBase::displayOnOffButton, { 0.0f, 1.0f });

    EXPECT_EQ (p.getNumSteps(), 2);
    EXPECT_EQ (p.text (0.5f), "off");
    EXPECT_EQ (p.text (0.51f), "on");
    EXPECT_EQ (p.getValueForText ("ON"), 1.0f);
    EXPECT_EQ (p.getValueForText ("off"), 0.0f);

    p.setValue (0.7f);
    EXPECT_EQ (p.plainValue.target, 1.0f);
    p.setValue (0.5f);
    EXPECT_EQ (p.plainValue.target, 0.0f);
}

TEST (ParameterBase, ChoiceListSelectsByThresholdAndParsesPositions)
{
    GenericParameter p (BrioParameterBase::displayChoiceList, { 0.0f, 1.0f }, { "A", "B", "C" });

    EXPECT_EQ (p.getNumSteps(), 3);

    p.setValue (0.4999995f);     // within the tolerance of the threshold at 0.5
    EXPECT_EQ (p.choiceIndex.load(), 1);
    p.setValue (0.49f);
    EXPECT_EQ (p.choiceIndex.load(), 0);
    p.setValue (1.0f);
    EXPECT_EQ (p.choiceIndex.load(), 2);

    EXPECT_EQ (p.text (0.5f), "B");
    EXPECT_EQ (p.text (-1.0f), "C");             // the stored selection
    EXPECT_EQ (p.getValueForText ("C"), 1.0f);
    EXPECT_EQ (p.getValueForText ("B"), 0.5f);
    EXPECT_EQ (p.getValueForText ("b"), 0.0f);   // exact match only

    GenericParameter single (BrioParameterBase::displayChoiceList, { 0.0f, 1.0f }, { "Only" });
    EXPECT_EQ (single.getNumSteps(), juce::AudioProcessor::getDefaultNumParameterSteps());
    EXPECT_EQ (single.getValueForText ("Only"), 0.0f);

    GenericParameter none (BrioParameterBase::displayChoiceList, { 0.0f, 1.0f });
    none.setValue (0.7f);
    EXPECT_EQ (none.choiceIndex.load(), 0);
    EXPECT_EQ (none.text (0.7f), "");
}
