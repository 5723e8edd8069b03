#include "AAX_CParameter.h"
#include "AAX_CParameterManager.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_Exports.h"
#include "FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
    /** The host's automation as the parameters see it: every call is logged, and nothing is
        answered, as a host answers set requests later. */
    struct RecordingDelegate : AAX_IAutomationDelegate
    {
        AAX_Result RegisterParameter (AAX_CParamID id) override                   { return log ("register", id); }
        AAX_Result UnregisterParameter (AAX_CParamID id) override                 { return log ("unregister", id); }
        AAX_Result PostSetValueRequest (AAX_CParamID id, double v) override       { return log ("set", id, v); }
        AAX_Result PostCurrentValue (AAX_CParamID id, double v) override          { return log ("current", id, v); }
        AAX_Result PostTouchRequest (AAX_CParamID id) override                    { return log ("touch", id); }
        AAX_Result PostReleaseRequest (AAX_CParamID id) override                  { return log ("release", id); }
        AAX_Result GetTouchState (AAX_CParamID, AAX_CBoolean*) override           { return AAX_SUCCESS; }

        AAX_Result log (const char* what, AAX_CParamID id, double value = -1.0)
        {
            std::string entry = std::string (what) + " " + id;

            if (value >= 0.0)
                entry += " " + std::to_string (value).substr (0, 4);

            calls.push_back (entry);
            return AAX_SUCCESS;
        }

        std::vector<std::string> calls;
    };

    using Parameter = AAX_CParameter<float>;
    using Taper = AAX_CLinearTaperDelegate<float, 0>;
    using Display = AAX_CNumberDisplayDelegate<float, 3>;

    std::unique_ptr<Parameter> makeParameter (const char* id = "gain", float defaultValue = 0.25f,
                                              float minValue = 0.0f, float maxValue = 1.0f)
    {
        return std::make_unique<Parameter> (id, AAX_CString ("Gain"), defaultValue, Taper (minValue, maxValue), Display(), true);
    }

    std::string valueText (const Parameter& p, int32_t maxChars = -1)
    {
        AAX_CString text;
        maxChars < 0 ? p.GetValueString (&text) : p.GetValueString (maxChars, &text);
        return text.Get();
    }

    float currentValue (const Parameter& p)
    {
        float value = -1.0f;
        p.GetValueAsFloat (&value);
        return value;
    }
}

//==============================================================================
TEST (AAXParameter, ConstructionGivesTheDefaultAndTheDocumentedAttributes)
{
    const auto p = makeParameter();

    EXPECT_STREQ (p->Identifier(), "gain");
    EXPECT_STREQ (p->Name().Get(), "Gain");
    EXPECT_TRUE (p->Automatable());
    EXPECT_EQ (p->GetNumberOfSteps(), 128u);
    EXPECT_EQ (p->GetType(), AAX_eParameterType_Continuous);
    EXPECT_EQ (p->GetOrientation(), AAX_eParameterOrientation_Default);
    EXPECT_FLOAT_EQ (currentValue (*p), 0.25f);
    EXPECT_DOUBLE_EQ (p->GetNormalizedDefaultValue(), 0.25);

    std::unique_ptr<AAX_IParameterValue> value (p->CloneValue());
    float cloned = 0.0f;
    EXPECT_TRUE (value->GetValueAsFloat (&cloned));
    EXPECT_FLOAT_EQ (cloned, 0.25f);
    EXPECT_STREQ (value->Identifier(), "gain");

    bool b = false;
    int32_t i = 0;
    double d = 0.0;
    AAX_CString s;
    EXPECT_FALSE (value->GetValueAsBool (&b));
    EXPECT_FALSE (value->GetValueAsInt32 (&i));
    EXPECT_FALSE (value->GetValueAsDouble (&d));
    EXPECT_FALSE (value->GetValueAsString (&s));
}

TEST (AAXParameter, SetRequestsGoThroughTheDelegateAndChangeNothingUntilTheHostAnswers)
{
    RecordingDelegate host;
    auto p = makeParameter();
    p->SetAutomationDelegate (&host);

    p->SetNormalizedValue (0.75);
    EXPECT_EQ (host.calls, (std::vector<std::string> { "register gain", "touch gain", "set gain 0.75", "release gain" }));
    EXPECT_FLOAT_EQ (currentValue (*p), 0.25f);

    host.calls.clear();
    p->UpdateNormalizedValue (0.75);
    p->UpdateNormalizedValue (0.75);
    EXPECT_FLOAT_EQ (currentValue (*p), 0.75f);
    EXPECT_EQ (host.calls, std::vector<std::string> { "current gain 0.75" }) << "an unchanged value is reported once";

    host.calls.clear();
    p->SetNormalizedValue (1.7);
    p->SetNormalizedValue (-0.2);
    EXPECT_EQ (host.calls, (std::vector<std::string> { "touch gain", "set gain 1.00", "release gain",
                                                       "touch gain", "set gain 0.00", "release gain" }));

    host.calls.clear();
    p.reset();
    EXPECT_EQ (host.calls, std::vector<std::string> { "unregister gain" });
}

TEST (AAXParameter, WithoutADelegateValuesChangeAtOnceAndOtherTypesAreRefused)
{
    const auto p = makeParameter();

    EXPECT_TRUE (p->SetValueWithFloat (0.5f));
    EXPECT_FLOAT_EQ (currentValue (*p), 0.5f);

    EXPECT_FALSE (p->SetValueWithBool (true));
    EXPECT_FALSE (p->SetValueWithInt32 (1));
    EXPECT_FALSE (p->SetValueWithDouble (0.1));
    EXPECT_FLOAT_EQ (currentValue (*p), 0.5f);

    EXPECT_TRUE (p->SetValueWithString (AAX_CString ("0.125")));
    EXPECT_FLOAT_EQ (currentValue (*p), 0.125f);
    EXPECT_FALSE (p->SetValueWithString (AAX_CString ("loud")));
    EXPECT_FLOAT_EQ (currentValue (*p), 0.125f);

    double n = -1.0;
    EXPECT_FALSE (p->GetNormalizedValueFromString (AAX_CString ("abc"), &n));
    EXPECT_TRUE (p->GetNormalizedValueFromFloat (2.0f, &n));
    EXPECT_DOUBLE_EQ (n, 1.0);
    EXPECT_FALSE (p->GetNormalizedValueFromDouble (0.5, &n));

    float f = 0.0f;
    double d = 0.0;
    EXPECT_TRUE (p->GetFloatFromNormalizedValue (0.5, &f));
    EXPECT_FLOAT_EQ (f, 0.5f);
    EXPECT_FALSE (p->GetDoubleFromNormalizedValue (0.5, &d));
    EXPECT_FALSE (p->GetValueAsFloat (nullptr));
    EXPECT_FALSE (p->GetValueAsString (nullptr));

    // A host may hand over any double: nothing outside float's range is undefined.
    p->UpdateNormalizedValue (1e300);
    EXPECT_FLOAT_EQ (currentValue (*p), 1.0f);
}

TEST (AAXParameter, TaperLimitsAndSteps)
{
    const Taper flat (3.0f, 3.0f);
    EXPECT_DOUBLE_EQ (flat.RealToNormalized (-10.0f), 0.5);
    EXPECT_DOUBLE_EQ (flat.RealToNormalized (3.0f), 0.5);
    EXPECT_FLOAT_EQ (flat.NormalizedToReal (0.9), 3.0f);

    const Taper downwards (10.0f, -10.0f);
    EXPECT_FLOAT_EQ (downwards.NormalizedToReal (0.25), 5.0f);
    EXPECT_FLOAT_EQ (downwards.ConstrainRealValue (20.0f), 10.0f);
    EXPECT_FLOAT_EQ (downwards.ConstrainRealValue (-20.0f), -10.0f);
    EXPECT_DOUBLE_EQ (downwards.RealToNormalized (-10.0f), 1.0);

    const auto p = makeParameter();
    EXPECT_DOUBLE_EQ (p->GetNormalizedValueFromStep (127), 1.0);
    EXPECT_DOUBLE_EQ (p->GetNormalizedValueFromStep (500), 1.0);
    EXPECT_EQ (p->GetStepValueFromNormalizedValue (0.5), 64u);
    EXPECT_EQ (p->GetStepValueFromNormalizedValue (7.0), 127u);
    EXPECT_EQ (p->GetStepValueFromNormalizedValue (-1.0), 0u);

    p->SetNumberOfSteps (3);
    p->SetStepValue (1);
    EXPECT_EQ (p->GetStepValue(), 1u);
    EXPECT_FLOAT_EQ (currentValue (*p), 0.5f);

    p->SetNumberOfSteps (1);
    p->SetStepValue (0);
    EXPECT_FLOAT_EQ (currentValue (*p), 0.5f) << "fewer than two steps: nothing to step to";
    EXPECT_DOUBLE_EQ (p->GetNormalizedValueFromStep (1), 0.0);
}

TEST (AAXParameter, DisplayTextsWithDecimalsAndMaximumLengths)
{
    const auto p = makeParameter ("mix", 0.25f);

    EXPECT_EQ (valueText (*p), "0.250");
    EXPECT_EQ (valueText (*p, 4), "0.25");
    EXPECT_EQ (valueText (*p, 2), "0") << "a cut that ends in the point drops the point";
    EXPECT_EQ (valueText (*p, 1), "0");
    EXPECT_EQ (valueText (*p, 0), "");

    AAX_CString negativeLimit ("old");
    EXPECT_TRUE (p->GetValueString (-3, &negativeLimit));
    EXPECT_STREQ (negativeLimit.Get(), "");

    AAX_CString text;
    EXPECT_TRUE (p->GetStringFromNormalizedValue (1.0, text));
    EXPECT_STREQ (text.Get(), "1.000");
    EXPECT_TRUE (p->GetStringFromNormalizedValue (0.5, 3, text));
    EXPECT_STREQ (text.Get(), "0.5");

    AAX_CString out ("old");
    EXPECT_TRUE (p->GetValueAsString (&out));
    EXPECT_STREQ (out.Get(), "0.250");

    const auto negative = makeParameter ("trim", -1.0f, -2.0f, 2.0f);
    EXPECT_EQ (valueText (*negative), "-1.000");
}

TEST (AAXParameter, ShortenedNamesPickTheLongestThatFits)
{
    const auto p = makeParameter();
    p->SetName (AAX_CString ("Long Name!"));
    EXPECT_STREQ (p->ShortenedName (5).Get(), "Long Name!") << "without shortened names, the full name";

    p->AddShortenedName (AAX_CString ("Lng"));
    p->AddShortenedName (AAX_CString ("LgName"));

    EXPECT_STREQ (p->ShortenedName (5).Get(), "Lng");
    EXPECT_STREQ (p->ShortenedName (2).Get(), "Lng");
    EXPECT_STREQ (p->ShortenedName (6).Get(), "LgName");
    EXPECT_STREQ (p->ShortenedName (10).Get(), "Long Name!");
    EXPECT_STREQ (p->ShortenedName (-1).Get(), "Long Name!");

    p->AddShortenedName (AAX_CString ("Nam"));
    EXPECT_STREQ (p->ShortenedName (3).Get(), "Nam") << "a name of a length already stored replaces it";

    p->ClearShortenedNames();
    EXPECT_STREQ (p->ShortenedName (3).Get(), "Long Name!");
}

TEST (AAXParameter, DelegatesAreReplacedAndTheHostIsTold)
{
    RecordingDelegate host;
    const auto p = makeParameter();
    p->SetAutomationDelegate (&host);
    p->UpdateNormalizedValue (0.5);
    host.calls.clear();

    p->SetDisplayDelegate (*std::make_unique<AAX_CNumberDisplayDelegate<float, 1>>());
    EXPECT_EQ (valueText (*p), "0.5");
    EXPECT_EQ (host.calls, std::vector<std::string> { "current gain 0.50" });

    host.calls.clear();
    p->SetTaperDelegate (*std::make_unique<Taper> (0.0f, 2.0f), false);
    EXPECT_FLOAT_EQ (currentValue (*p), 1.0f) << "the normalised position stays";
    EXPECT_EQ (host.calls, std::vector<std::string> { "current gain 0.50" });

    host.calls.clear();
    p->SetTaperDelegate (*std::make_unique<Taper> (0.0f, 4.0f), true);
    EXPECT_EQ (host.calls, (std::vector<std::string> { "touch gain", "set gain 0.25", "release gain" }));

    p->SetNumberOfSteps (0);
    EXPECT_EQ (p->GetNumberOfSteps(), 128u);
}

TEST (AAXParameter, OverLongIdentifiersAreCutAfterAnAssertion)
{
    FakeHost::Host host;
    ASSERT_EQ (ACFStartup (&host), ACF_OK);

    const std::string longID (40, 'x');
    const auto p = makeParameter (longID.c_str());
    makeParameter()->SetNumberOfSteps (0);
    ACFShutdown (nullptr);

    EXPECT_EQ (std::string (p->Identifier()), std::string (31, 'x'));
    ASSERT_EQ (host.services.asserts.size(), 2u);
    EXPECT_NE (host.services.asserts[0].find ("len < eParemeterDefaultMaxIdentifierSize"), std::string::npos);
    EXPECT_NE (host.services.asserts[1].find ("0 < numSteps"), std::string::npos);

    std::unique_ptr<AAX_IParameterValue> value (p->CloneValue());
    EXPECT_EQ (std::string (value->Identifier()), std::string (31, 'x'));
}

//==============================================================================
TEST (AAXParameterManager, ByIndexAndByIdentifierWithDuplicatesIgnored)
{
    RecordingDelegate host;
    AAX_CParameterManager manager;
    manager.Initialize (&host);

    manager.AddParameter (nullptr);
    manager.AddParameter (makeParameter ("a").release());
    manager.AddParameter (makeParameter ("b").release());

    auto duplicate = makeParameter ("a", 0.9f);
    manager.AddParameter (duplicate.get());

    EXPECT_EQ (manager.NumParameters(), 2);
    EXPECT_FLOAT_EQ (currentValue (*static_cast<Parameter*> (manager.GetParameterByID ("a"))), 0.25f);
    EXPECT_EQ (host.calls, (std::vector<std::string> { "register a", "register b" }));

    EXPECT_EQ (manager.GetParameterIndex ("b"), 1);
    EXPECT_EQ (manager.GetParameterIndex ("c"), -1);
    EXPECT_EQ (manager.GetParameterIndex (nullptr), -1);
    EXPECT_EQ (manager.GetParameterByID (nullptr), nullptr);
    EXPECT_EQ (manager.GetParameterByID ("c"), nullptr);
    EXPECT_STREQ (std::as_const (manager).GetParameter (0)->Identifier(), "a");
    EXPECT_EQ (manager.GetParameter (2), nullptr);
    EXPECT_EQ (manager.GetParameter (-1), nullptr);

    host.calls.clear();
    manager.RemoveAllParameters();
    EXPECT_EQ (manager.NumParameters(), 0);
    EXPECT_EQ (manager.GetParameterByID ("a"), nullptr);
    EXPECT_EQ (host.calls, (std::vector<std::string> { "unregister a", "unregister b" }));
}
