#pragma once

// The test bundle's effect and GUI, derived from the AAX layer's bases as JUCE's are. They
// report what a test cannot see from the host side (what the bases answer before the host
// hands anything over, the GUI's view calls, the order of teardown) as traces at
// testTracePriority, which the host records.

#include <AAX_CEffectGUI.h>
#include <AAX_CEffectParameters.h>

constexpr int32_t testTracePriority = AAX_eTracePriorityHost_Lowest;

/** Parameters, in index order: "1" (float, default 0.5, shortened "Frequency\nFreq\nFq"),
    "MasterBypassID" (float, packet on port 3), "count" (int32), "flag" (bool), "fine"
    (double, reporting -1 steps), "label" (text, whose value text cannot be made), "PreviewID"
    (bool). */
class TestEffect : public AAX_CEffectParameters
{
public:
    TestEffect();
    ~TestEffect() override;

    static AAX_CEffectParameters* AAX_CALLBACK Create();

    AAX_Result Initialize (IACFUnknown* controller) override;
    AAX_Result EffectInit() override;

    /** Reports each value from a restored chunk that the effect hears of, as JUCE's wrapper
        hands such values to its processor. */
    AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, AAX_EUpdateSource source) override;

    /** Something for the GUI's stand-in editor to call, as JUCE's editor calls its processor. */
    int32_t CountParameters() const;
};

class TestGui : public AAX_CEffectGUI
{
public:
    TestGui();
    ~TestGui() override;

    static AAX_IEffectGUI* AAX_CALLBACK Create();

    AAX_Result ParameterUpdated (AAX_CParamID parameterID) override;

protected:
    void CreateViewContents() override;
    void CreateViewContainer() override;
    void DeleteViewContainer() override;

private:
    const TestEffect* mEditorEffect = nullptr;   // what the stand-in editor works on
};
