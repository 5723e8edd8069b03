#include "TestEffect.h"

#include <AAX_CHostServices.h>
#include <AAX_CLinearTaperDelegate.h>
#include <AAX_CNumberDisplayDelegate.h>

namespace
{
    /** A parameter whose value is of another kind than float: it answers only its own kind,
        as a parameter of that type does, and changes at once when set. */
    class KindParameter : public AAX_CParameter<float>
    {
    public:
        enum class Kind { int32Value, boolValue, doubleValue, textValue };

        KindParameter (AAX_CParamID id, const char* name, Kind k)
            : AAX_CParameter<float> (id, AAX_CString (name), 0.0f, AAX_CLinearTaperDelegate<float, 0>(),
                                     AAX_CNumberDisplayDelegate<float, 3>(), true),
              kind (k)
        {
        }

        bool GetValueAsFloat (float*) const override    { return false; }
        bool GetValueAsInt32 (int32_t* out) const override    { return Read (Kind::int32Value, out, int32Value); }
        bool GetValueAsBool (bool* out) const override        { return Read (Kind::boolValue, out, boolValue); }
        bool GetValueAsDouble (double* out) const override    { return Read (Kind::doubleValue, out, doubleValue); }

        bool GetValueAsString (AAX_IString* out) const override
        {
            if (kind != Kind::textValue || out == nullptr)
                return false;

            out->Set (text.Get());
            return true;
        }

        bool SetValueWithFloat (float) override            { return false; }
        bool SetValueWithInt32 (int32_t v) override        { return Write (Kind::int32Value, int32Value, v); }
        bool SetValueWithBool (bool v) override            { return Write (Kind::boolValue, boolValue, v); }
        bool SetValueWithDouble (double v) override        { return Write (Kind::doubleValue, doubleValue, v); }

        bool SetValueWithString (const AAX_IString& v) override
        {
            if (kind != Kind::textValue)
                return false;

            text = v.Get();
            return true;
        }

        // A text parameter has no number to show.
        bool GetValueString (int32_t maxNumChars, AAX_CString* out) const override
        {
            return kind != Kind::textValue && AAX_CParameter<float>::GetValueString (maxNumChars, out);
        }

    private:
        template <typename T>
        bool Read (Kind wanted, T* out, const T& value) const
        {
            if (kind != wanted || out == nullptr)
                return false;

            *out = value;
            return true;
        }

        template <typename T>
        bool Write (Kind wanted, T& value, const T& newValue)
        {
            if (kind != wanted)
                return false;

            value = newValue;
            return true;
        }

        const Kind kind;
        int32_t int32Value = 0;
        bool boolValue = false;
        double doubleValue = 0.0;
        AAX_CString text { "abc" };
    };

    AAX_CParameter<float>* MakeFloatParameter (AAX_CParamID id, const char* name, float defaultValue)
    {
        return new AAX_CParameter<float> (id, AAX_CString (name), defaultValue, AAX_CLinearTaperDelegate<float, 0>(),
                                          AAX_CNumberDisplayDelegate<float, 3>(), true);
    }
}

//==============================================================================
TestEffect::TestEffect()
{
    // JUCE's processor asks the controller and transport before the host has given any.
    AAX_CSampleRate sampleRate = 0;
    double tempo = 0;
    AAX_CHostServices::Trace (testTracePriority, "effect before Initialize: sample rate %d, tempo %d",
                              static_cast<int> (Controller()->GetSampleRate (&sampleRate)),
                              static_cast<int> (Transport()->GetCurrentTempo (&tempo)));
}

TestEffect::~TestEffect()
{
    AAX_CHostServices::Trace (testTracePriority, "effect deleted");
}

AAX_CEffectParameters* AAX_CALLBACK TestEffect::Create()
{
    return new TestEffect();
}

AAX_Result TestEffect::Initialize (IACFUnknown* controller)
{
    const auto result = AAX_CEffectParameters::Initialize (controller);
    AAX_CHostServices::Trace (testTracePriority, "chunked parameters: %d", static_cast<int> (mNumChunkedParameters));
    return result;
}

AAX_Result TestEffect::EffectInit()
{
    auto* frequency = MakeFloatParameter ("1", "Frequency", 0.5f);
    frequency->AddShortenedName (AAX_CString ("Frequency\nFreq\nFq"));
    mParameterManager.AddParameter (frequency);

    mParameterManager.AddParameter (MakeFloatParameter (cDefaultMasterBypassID, "Master Bypass", 0.0f));
    mPacketDispatcher.RegisterPacket (cDefaultMasterBypassID, 3);

    using Kind = KindParameter::Kind;
    mParameterManager.AddParameter (new KindParameter ("count", "Count", Kind::int32Value));
    mParameterManager.AddParameter (new KindParameter ("flag", "Flag", Kind::boolValue));

    auto* fine = new KindParameter ("fine", "Fine", Kind::doubleValue);
    fine->SetNumberOfSteps (0xffffffffu);
    mParameterManager.AddParameter (fine);

    mParameterManager.AddParameter (new KindParameter ("label", "Label", Kind::textValue));
    mParameterManager.AddParameter (new KindParameter ("PreviewID", "Preview", Kind::boolValue));
    return AAX_SUCCESS;
}

AAX_Result TestEffect::UpdateParameterNormalizedValue (AAX_CParamID id, double value, AAX_EUpdateSource source)
{
    if (source == AAX_eUpdateSource_Chunk)
        AAX_CHostServices::Trace (testTracePriority, "chunk value %s: %.3f", id, value);

    return AAX_CEffectParameters::UpdateParameterNormalizedValue (id, value, source);
}

int32_t TestEffect::CountParameters() const
{
    int32_t count = 0;
    GetNumberOfParameters (&count);
    return count;
}

//==============================================================================
TestGui::TestGui()
{
    // JUCE's GUI sizes and asks the view container before the host has handed one over.
    AAX_Point size { 420.0f, 650.0f };
    AAX_CSampleRate sampleRate = 0;
    AAX_CHostServices::Trace (testTracePriority, "GUI before Initialize: view type %d, set size %d, sample rate %d",
                              static_cast<int> (GetViewContainer()->GetType()),
                              static_cast<int> (GetViewContainer()->SetViewSize (size)),
                              static_cast<int> (GetController()->GetSampleRate (&sampleRate)));
}

TestGui::~TestGui()
{
    DeleteViewContainer();   // as JUCE's GUI does
    AAX_CHostServices::Trace (testTracePriority, "GUI deleted");
}

AAX_IEffectGUI* AAX_CALLBACK TestGui::Create()
{
    return new TestGui();
}

void TestGui::CreateViewContents()
{
    // JUCE casts the effect it gets to its own processor class.
    mEditorEffect = dynamic_cast<const TestEffect*> (GetEffectParameters());
    AAX_CHostServices::Trace (testTracePriority, "view contents for %s", mEditorEffect != nullptr ? "the effect" : "nothing");
}

void TestGui::CreateViewContainer()
{
    AAX_CHostServices::Trace (testTracePriority, "view attached, type %d", static_cast<int> (GetViewContainerType()));
}

void TestGui::DeleteViewContainer()
{
    // The stand-in editor touches its effect on the way out, as JUCE's editor tells its
    // processor it is going: AddressSanitizer sees it when the effect is gone already.
    if (mEditorEffect == nullptr)
        return;

    AAX_CHostServices::Trace (testTracePriority, "view deleted with %d parameters", static_cast<int> (mEditorEffect->CountParameters()));
    mEditorEffect = nullptr;
}

AAX_Result TestGui::ParameterUpdated (AAX_CParamID parameterID)
{
    AAX_CHostServices::Trace (testTracePriority, "ParameterUpdated %s", parameterID);
    return AAX_SUCCESS;
}
