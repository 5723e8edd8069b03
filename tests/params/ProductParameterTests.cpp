#include <gtest/gtest.h>

#include "TanglefixBrioParameter.h"

#include <cmath>
#include <limits>

namespace
{
    using Parameter = TanglefixAudioProcessor::BrioParameter;

    const juce::String times (juce::CharPointer_UTF8 ("\xc3\x97"));

    juce::String ops (const char* pattern)
    {
        return juce::String (pattern).replace ("x", times);
    }

    class ProductParameters  : public ::testing::Test
    {
    protected:
        juce::ScopedJuceInitialiser_GUI juce;
        TanglefixAudioProcessor processor;

        Parameter& frequency()  { return *processor.frequencyParam; }
        Parameter& emphasis()   { return *processor.emphasisParam; }
        Parameter& operations() { return *processor.operationsParam; }
        Parameter& gain()       { return *processor.gainParam; }
        Parameter& mix()        { return *processor.mixParam; }
        Parameter& bypass()     { return *processor.bypassParam; }

        float cutoff (int band) const   { return processor.bandFilters[band].cutoffRamp.target; }

        /** Sets a value, then checks that its text parses back to a value showing the same. */
        void expectRoundTrip (Parameter& p, float v)
        {
            p.setValue (v);
            const auto shown = p.getText (v, 1024);
            const auto parsed = p.getValueForText (shown);
            p.setValue (parsed);
            EXPECT_EQ (p.getText (parsed, 1024), shown) << p.getName (100) << " at " << v;
        }
    };
}

TEST_F (ProductParameters, HostSeesSixParametersInIdOrder)
{
    const auto& all = processor.getParameters();
    ASSERT_EQ (all.size(), 6);

    const char* names[] = { "Frequency", "Emphasis", "Operations", "Gain", "Mix", "Bypass" };
    const float defaults[] = { 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.0f };
    Parameter* members[] = { &frequency(), &emphasis(), &operations(), &gain(), &mix(), &bypass() };

    for (int i = 0; i < 6; ++i)
    {
        auto* p = dynamic_cast<Parameter*> (all[i]);
        ASSERT_EQ (p, members[i]);
        EXPECT_EQ (p->paramID, juce::String (i));
        EXPECT_EQ (p->getName (2), names[i]);            // whole name, whatever the limit
        EXPECT_EQ (p->getDefaultValue(), defaults[i]);
        EXPECT_TRUE (p->isAutomatable());
        EXPECT_FALSE (p->isMetaParameter());
        EXPECT_EQ (p->processor, &processor);

        const auto isBypass = (i == 5);
        EXPECT_EQ (p->isDiscrete(), isBypass);
        EXPECT_EQ (p->getNumSteps(), isBypass ? 2 : juce::AudioProcessor::getDefaultNumParameterSteps());
    }
}

TEST_F (ProductParameters, FrequencySpansOneBandPerFilterAndHonoursTheCutoffLimit)
{
    frequency().setValue (1.5f);
    EXPECT_EQ (frequency().getValue(), 1.0f);
    const float tops[] = { 500.0f, 1000.0f, 5000.0f, 20000.0f };

    for (int band = 0; band < 4; ++band)
        EXPECT_NEAR (cutoff (band), tops[band], tops[band] * 1.0e-5f);

    frequency().setValue (-0.2f);
    EXPECT_EQ (frequency().getValue(), 0.0f);
    const float bottoms[] = { 20.0f, 501.0f, 1001.0f, 5001.0f };

    for (int band = 0; band < 4; ++band)
        EXPECT_NEAR (cutoff (band), bottoms[band], bottoms[band] * 1.0e-5f);

    // At a low host rate the top band stops below Nyquist; oversampling lifts the limit.
    processor.prepareToPlay (22050.0, 512);
    frequency().setValue (1.0f);
    EXPECT_EQ (cutoff (3), 11024.5f);
    EXPECT_NEAR (cutoff (2), 5000.0f, 0.05f);

    processor.setOversamplingFactor (2);
    EXPECT_NEAR (cutoff (3), 20000.0f, 0.2f);
}

TEST_F (ProductParameters, ValuesOutsideTheRangeAreClampedBeforeTheyReachTheChain)
{
    mix().setValue (2.0f);
    EXPECT_EQ (mix().getValue(), 1.0f);
    EXPECT_EQ (processor.mixSmoother.target, 1.0f);

    gain().setValue (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (gain().getValue(), 0.0f);
    EXPECT_EQ (processor.gainSmoother.target, 0.0f);

    emphasis().setValue (-1.0f);
    EXPECT_EQ (processor.bandFilters[0].resonanceRamp.target, 0.0f);
    emphasis().setValue (1.0f);
    EXPECT_FLOAT_EQ (processor.bandFilters[3].resonanceRamp.target, 0.99f);
}

TEST_F (ProductParameters, OperationsBandsSelectThePatternAndItsText)
{
    const struct { float v; int index; const char* text; } cases[] =
    {
        { 0.2499f, 0, "+ x +" },
        { 0.25f,   1, "+ + x" },
        { 0.5f,    2, "x + +" },
        { 0.75f,   3, "x + x" },
        { 1.0f,    3, "x + x" }
    };

    for (const auto& c : cases)
    {
        operations().setValue (c.v);
        EXPECT_EQ (processor.operationsIndex, c.index) << c.v;
        EXPECT_EQ (operations().getText (c.v, 1024), ops (c.text)) << c.v;

        // Typed back, with or without blanks and with an x for the sign.
        for (const auto& typed : { ops (c.text), juce::String (c.text).removeCharacters (" ") })
        {
            operations().setValue (operations().getValueForText (typed));
            EXPECT_EQ (processor.operationsIndex, c.index) << typed;
        }
    }

    operations().setValue (0.6f);
    EXPECT_EQ (operations().getValueForText ("+ - +"), 0.6f);   // not a pattern: unchanged
}

TEST_F (ProductParameters, GainTextDescribesTheValueItIsGivenAndParsesBack)
{
    const struct { float v; float gainTarget; const char* text; } cases[] =
    {
        { 0.5f,  1.0f,  " 0.0dB " },
        { 1.0f,  4.0f,  "+12.0dB" },
        { 0.25f, 0.25f, " -12.0dB " },
        { 0.0f,  0.0f,  " -inf dB " }
    };

    for (const auto& c : cases)
    {
        gain().setValue (c.v);
        EXPECT_FLOAT_EQ (processor.gainSmoother.target, c.gainTarget);

        // Hosts ask for the text of any point of an automation lane, whatever the gain is now.
        gain().setValue (0.77f);
        EXPECT_EQ (gain().getText (c.v, 1024), c.text);
        EXPECT_NEAR (gain().getValueForText (gain().getText (c.v, 1024)), c.v, 4.0e-3f) << c.text;
    }

    // Beyond the range, the text of the value that setting it would give.
    EXPECT_EQ (gain().getText (1.5f, 1024), "+12.0dB");
    EXPECT_EQ (gain().getText (-0.25f, 1024), " -inf dB ");

    EXPECT_NEAR (gain().getValueForText ("+6"), 0.5f + (std::pow (10.0f, 0.3f) - 1.0f) / 6.0f, 1.0e-6f);
    EXPECT_EQ (gain().getValueForText ("-inf"), 0.0f);
    EXPECT_EQ (gain().getValueForText ("+40dB"), 1.0f);

    gain().setValue (0.3f);
    EXPECT_EQ (gain().getValueForText ("loud"), 0.3f);               // unusable: unchanged
}

TEST_F (ProductParameters, PercentKnobsShowPaddedPercentsAndTakeTypedVariants)
{
    constexpr auto infinity = std::numeric_limits<float>::infinity();
    const struct { float v; const char* figure; } texts[] =
    {
        { 0.5f, "50%" }, { 0.0f, "0%" }, { 1.0f, "100%" },
        // beyond the range: the nearest end; not a number: the lower one
        { 1.5f, "100%" }, { -0.25f, "0%" }, { 3.0e9f, "100%" }, { -3.0e9f, "0%" },
        { infinity, "100%" }, { -infinity, "0%" }, { std::numeric_limits<float>::quiet_NaN(), "0%" },
    };

    for (const auto& t : texts)
    {
        EXPECT_EQ (frequency().getText (t.v, 1024), "      " + juce::String (t.figure) + "      ") << t.v;
        EXPECT_EQ (emphasis().getText (t.v, 1024), "   " + juce::String (t.figure) + "   ") << t.v;
        EXPECT_EQ (mix().getText (t.v, 1024), "   " + juce::String (t.figure) + "   ") << t.v;
    }

    for (auto* p : { &frequency(), &emphasis(), &mix() })
    {
        EXPECT_EQ (p->getValueForText ("  50%  "), 0.5f);
        EXPECT_EQ (p->getValueForText ("50"), 0.5f);
        EXPECT_EQ (p->getValueForText ("150%"), 1.0f);
        EXPECT_EQ (p->getValueForText ("-5%"), 0.0f);

        p->setValue (0.42f);
        EXPECT_EQ (p->getValueForText ("half"), 0.42f);            // unusable: unchanged
    }
}

TEST_F (ProductParameters, EveryShownKnobTextRoundTrips)
{
    for (auto* p : { &frequency(), &emphasis(), &operations(), &gain(), &mix() })
        for (int i = 0; i <= 2000; ++i)
            expectRoundTrip (*p, (float) i / 2000.0f);

    // Just below unity the gain shows "-0.0dB", which must not read back as unity.
    expectRoundTrip (gain(), 0.4999f);
    EXPECT_EQ (gain().getText (0.4999f, 1024), " -0.0dB ");
}

TEST_F (ProductParameters, EveryTextDescribesTheValueItIsGivenNotTheCurrentOne)
{
    for (auto* p : { &frequency(), &emphasis(), &operations(), &gain(), &mix(), &bypass() })
        for (const auto v : { 0.0f, 0.1f, 0.25f, 0.4999f, 0.5f, 0.6f, 0.75f, 1.0f })
        {
            p->setValue (v);
            const auto own = p->getText (v, 1024);

            for (const auto current : { 0.0f, 0.3f, 1.0f })
            {
                p->setValue (current);
                EXPECT_EQ (p->getText (v, 1024), own) << p->getName (100) << " at " << v << " while " << current;
            }
        }
}

TEST_F (ProductParameters, BypassEngagesAtTheMiddleAndIgnoresRepeats)
{
    bypass().setValue (0.5f);
    processor.crossfade.followRequest();     // what the next block does first
    EXPECT_EQ (processor.crossfade.bypassState, 1);
    EXPECT_EQ (bypass().getText (0.5f, 1024), "off");
    EXPECT_EQ (bypass().getText (0.51f, 1024), "on");

    // A second value on the same side must not restart the fade in progress.
    processor.crossfade.wetFadeOut.gain = 0.3;
    bypass().setValue (1.0f);
    processor.crossfade.followRequest();
    EXPECT_EQ (processor.crossfade.wetFadeOut.gain, 0.3);

    bypass().setValue (bypass().getValueForText ("off"));
    processor.crossfade.followRequest();
    EXPECT_EQ (processor.crossfade.bypassState, 0);
    EXPECT_EQ (bypass().getValueForText ("on"), 1.0f);
}
