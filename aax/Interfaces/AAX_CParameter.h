#pragma once

#include "AAX_ITaperDelegate.h"
#include "AAX_IDisplayDelegate.h"
#include "AAX_IAutomationDelegate.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <type_traits>

namespace AAX
{
    /** Copies a parameter identifier into a buffer of eParemeterDefaultMaxIdentifierSize
        bytes. A longer one is reported to the host as an assertion failure and cut to fit, so
        that host and plug-in agree on what the identifier is. A null one gives "". */
    void CopyParameterIdentifier (char (&destination)[eParemeterDefaultMaxIdentifierSize], AAX_CParamID identifier);

    /** Reports a failed assertion of the parameter code to the host; execution goes on. */
    void ReportAssertFailure (const char* file, int32_t line, const char* note);

    /** Narrows a double to a floating-point T without undefined behaviour: values beyond
        T's range become its largest or lowest value (a host may hand over any double). */
    template <typename T>
    T NarrowParameterValue (double value) noexcept
    {
        if constexpr (std::is_floating_point_v<T>)
        {
            if (value > static_cast<double> (std::numeric_limits<T>::max()))     return std::numeric_limits<T>::max();
            if (value < static_cast<double> (std::numeric_limits<T>::lowest()))  return std::numeric_limits<T>::lowest();
        }

        return static_cast<T> (value);
    }

    /** Reads a value of type T as Wanted: only the parameter's own type answers, so a float
        parameter refuses bool, int32 and double access. */
    template <typename Wanted, typename T>
    bool ReadParameterValueAs (const T& value, Wanted* outValue) noexcept
    {
        if constexpr (std::is_same_v<Wanted, T>)
        {
            if (outValue == nullptr)
                return false;

            *outValue = value;
            return true;
        }
        else
        {
            return false;
        }
    }
}

/** A parameter's identifier and value of type T. The value may be read by one thread (a
    chunk saved on the host's thread of choice) while another sets it, so it is atomic. */
template <typename T>
class AAX_CParameterValue : public AAX_IParameterValue
{
    static_assert (std::atomic<T>::is_always_lock_free,
                   "a parameter's value is set by the host's update calls, which must not wait for a lock");

public:
    AAX_CParameterValue (AAX_CParamID identifier, const T& value);

    AAX_CParameterValue* Clone() const override;
    AAX_CParamID Identifier() const override;
    bool GetValueAsBool (bool* outValue) const override;
    bool GetValueAsInt32 (int32_t* outValue) const override;
    bool GetValueAsFloat (float* outValue) const override;
    bool GetValueAsDouble (double* outValue) const override;
    bool GetValueAsString (AAX_IString* outValue) const override;

    // Relaxed: each value stands on its own, nothing else is published through it.
    T Get() const noexcept                   { return mValue.load (std::memory_order_relaxed); }
    void Set (const T& value) noexcept       { mValue.store (value, std::memory_order_relaxed); }
    void SetIdentifier (AAX_CParamID identifier)    { AAX::CopyParameterIdentifier (mIdentifier, identifier); }

private:
    char mIdentifier[eParemeterDefaultMaxIdentifierSize] {};
    std::atomic<T> mValue;
};

/** A host-visible parameter with a value of type T, a taper and a display. A set request
    goes to the host through the automation delegate; the value changes when the host
    answers with UpdateNormalizedValue. Without a delegate the value changes at once. The
    SetValue calls answer false when the host refuses the request as well as for a value of
    another type. */
template <typename T>
class AAX_CParameter : public AAX_IParameter
{
public:
    AAX_CParameter (AAX_CParamID identifier, const AAX_IString& name, T defaultValue,
                    const AAX_ITaperDelegate<T>& taperDelegate,
                    const AAX_IDisplayDelegate<T>& displayDelegate,
                    bool automatable = false);
    ~AAX_CParameter() override;

    AAX_IParameterValue* CloneValue() const override;
    AAX_CParamID Identifier() const override;
    void SetName (const AAX_CString& name) override;
    const AAX_CString& Name() const override;
    void AddShortenedName (const AAX_CString& name) override;
    const AAX_CString& ShortenedName (int32_t maxNumChars) const override;
    void ClearShortenedNames() override;
    bool Automatable() const override;
    void SetAutomationDelegate (AAX_IAutomationDelegate* automationDelegate) override;
    void Touch() override;
    void Release() override;
    void SetNormalizedValue (double normalizedValue) override;
    double GetNormalizedValue() const override;
    void SetNormalizedDefaultValue (double normalizedDefault) override;
    double GetNormalizedDefaultValue() const override;
    void SetToDefaultValue() override;
    void SetNumberOfSteps (uint32_t numSteps) override;
    uint32_t GetNumberOfSteps() const override;
    uint32_t GetStepValue() const override;
    double GetNormalizedValueFromStep (uint32_t step) const override;
    uint32_t GetStepValueFromNormalizedValue (double normalizedValue) const override;
    void SetStepValue (uint32_t step) override;
    bool GetValueString (AAX_CString* outText) const override;
    bool GetValueString (int32_t maxNumChars, AAX_CString* outText) const override;
    bool GetNormalizedValueFromBool (bool value, double* outNormalized) const override;
    bool GetNormalizedValueFromInt32 (int32_t value, double* outNormalized) const override;
    bool GetNormalizedValueFromFloat (float value, double* outNormalized) const override;
    bool GetNormalizedValueFromDouble (double value, double* outNormalized) const override;
    bool GetNormalizedValueFromString (const AAX_CString& text, double* outNormalized) const override;
    bool GetBoolFromNormalizedValue (double normalizedValue, bool* outValue) const override;
    bool GetInt32FromNormalizedValue (double normalizedValue, int32_t* outValue) const override;
    bool GetFloatFromNormalizedValue (double normalizedValue, float* outValue) const override;
    bool GetDoubleFromNormalizedValue (double normalizedValue, double* outValue) const override;
    bool GetStringFromNormalizedValue (double normalizedValue, AAX_CString& outText) const override;
    bool GetStringFromNormalizedValue (double normalizedValue, int32_t maxNumChars, AAX_CString& outText) const override;
    bool SetValueFromString (const AAX_CString& text) override;
    bool GetValueAsBool (bool* outValue) const override;
    bool GetValueAsInt32 (int32_t* outValue) const override;
    bool GetValueAsFloat (float* outValue) const override;
    bool GetValueAsDouble (double* outValue) const override;
    bool GetValueAsString (AAX_IString* outValue) const override;
    bool SetValueWithBool (bool value) override;
    bool SetValueWithInt32 (int32_t value) override;
    bool SetValueWithFloat (float value) override;
    bool SetValueWithDouble (double value) override;
    bool SetValueWithString (const AAX_IString& value) override;
    void SetType (AAX_EParameterType type) override;
    AAX_EParameterType GetType() const override;
    void SetOrientation (AAX_EParameterOrientation orientation) override;
    AAX_EParameterOrientation GetOrientation() const override;
    void SetTaperDelegate (AAX_ITaperDelegateBase& taperDelegate, bool preserveValue) override;
    void SetDisplayDelegate (AAX_IDisplayDelegateBase& displayDelegate) override;
    void UpdateNormalizedValue (double normalizedValue) override;

    AAX_CParameter (const AAX_CParameter&) = delete;
    AAX_CParameter& operator= (const AAX_CParameter&) = delete;

private:
    /** Asks for a new normalised value: through the host when there is an automation
        delegate (the value follows when the host answers), else at once. False when the
        host refused the request. */
    bool RequestNormalizedValue (double normalizedValue);

    T CurrentValue() const noexcept    { return mValue.Get(); }
    bool IsWithinTaper (const T& realValue) const;

    // Typed access: only T itself converts; every other type is refused and changes nothing.
    template <typename Source>
    bool ConvertToNormalized (const Source& value, double* outNormalized) const;
    template <typename Wanted>
    bool ConvertFromNormalized (double normalizedValue, Wanted* outValue) const;
    template <typename Source>
    bool SetTypedValue (const Source& value);

    AAX_CString mName;
    std::map<uint32_t, AAX_CString> mShortenedNames;
    bool mAutomatable;
    uint32_t mNumSteps = 0;
    AAX_EParameterType mType = AAX_eParameterType_Continuous;
    AAX_EParameterOrientation mOrientation = AAX_eParameterOrientation_Default;
    std::unique_ptr<AAX_ITaperDelegate<T>> mTaperDelegate;
    std::unique_ptr<AAX_IDisplayDelegate<T>> mDisplayDelegate;
    AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
    bool mNeedNotify = true;
    AAX_CParameterValue<T> mValue;
    T mDefaultValue;
};

//==============================================================================
template <typename T>
AAX_CParameterValue<T>::AAX_CParameterValue (AAX_CParamID identifier, const T& value)
    : mValue (value)
{
    SetIdentifier (identifier);
}

template <typename T>
AAX_CParameterValue<T>* AAX_CParameterValue<T>::Clone() const
{
    return new AAX_CParameterValue (mIdentifier, Get());
}

template <typename T>
AAX_CParamID AAX_CParameterValue<T>::Identifier() const
{
    return mIdentifier;
}

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsBool (bool* outValue) const        { return AAX::ReadParameterValueAs (Get(), outValue); }

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsInt32 (int32_t* outValue) const    { return AAX::ReadParameterValueAs (Get(), outValue); }

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsFloat (float* outValue) const      { return AAX::ReadParameterValueAs (Get(), outValue); }

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsDouble (double* outValue) const    { return AAX::ReadParameterValueAs (Get(), outValue); }

template <typename T>
bool AAX_CParameterValue<T>::GetValueAsString (AAX_IString*) const        { return false; }

//==============================================================================
template <typename T>
AAX_CParameter<T>::AAX_CParameter (AAX_CParamID identifier, const AAX_IString& name, T defaultValue,
                                   const AAX_ITaperDelegate<T>& taperDelegate,
                                   const AAX_IDisplayDelegate<T>& displayDelegate,
                                   bool automatable)
    : mName (name),
      mAutomatable (automatable),
      mTaperDelegate (taperDelegate.Clone()),
      mDisplayDelegate (displayDelegate.Clone()),
      mValue (identifier, T()),
      mDefaultValue (defaultValue)
{
    SetNumberOfSteps (128);    // the default step count of a continuous parameter
    SetToDefaultValue();       // no automation delegate yet: the value is the default at once
}

template <typename T>
AAX_CParameter<T>::~AAX_CParameter()
{
    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->UnregisterParameter (Identifier());
}

template <typename T>
AAX_IParameterValue* AAX_CParameter<T>::CloneValue() const
{
    return new AAX_CParameterValue<T> (Identifier(), CurrentValue());
}

template <typename T>
AAX_CParamID AAX_CParameter<T>::Identifier() const              { return mValue.Identifier(); }

template <typename T>
void AAX_CParameter<T>::SetName (const AAX_CString& name)       { mName = name; }

template <typename T>
const AAX_CString& AAX_CParameter<T>::Name() const              { return mName; }

template <typename T>
void AAX_CParameter<T>::AddShortenedName (const AAX_CString& name)
{
    mShortenedNames[name.Length()] = name;
}

template <typename T>
const AAX_CString& AAX_CParameter<T>::ShortenedName (int32_t maxNumChars) const
{
    if (maxNumChars < 0 || mShortenedNames.empty() || mName.Length() <= static_cast<uint32_t> (maxNumChars))
        return mName;

    // The longest stored name that fits; when none fits, the shortest there is.
    auto fitting = mShortenedNames.upper_bound (static_cast<uint32_t> (maxNumChars));

    if (fitting == mShortenedNames.begin())
        return fitting->second;

    return std::prev (fitting)->second;
}

template <typename T>
void AAX_CParameter<T>::ClearShortenedNames()                   { mShortenedNames.clear(); }

template <typename T>
bool AAX_CParameter<T>::Automatable() const                     { return mAutomatable; }

template <typename T>
void AAX_CParameter<T>::SetAutomationDelegate (AAX_IAutomationDelegate* automationDelegate)
{
    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->UnregisterParameter (Identifier());

    mAutomationDelegate = automationDelegate;

    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->RegisterParameter (Identifier());
}

template <typename T>
void AAX_CParameter<T>::Touch()
{
    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->PostTouchRequest (Identifier());
}

template <typename T>
void AAX_CParameter<T>::Release()
{
    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->PostReleaseRequest (Identifier());
}

template <typename T>
bool AAX_CParameter<T>::RequestNormalizedValue (double normalizedValue)
{
    if (mAutomationDelegate == nullptr)
    {
        mNeedNotify = true;
        UpdateNormalizedValue (normalizedValue);
        return true;
    }

    Touch();
    const auto posted = mAutomationDelegate->PostSetValueRequest (Identifier(), normalizedValue);
    Release();
    return posted == AAX_SUCCESS;
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedValue (double normalizedValue)
{
    const T realValue = mTaperDelegate->NormalizedToReal (normalizedValue);
    RequestNormalizedValue (mTaperDelegate->RealToNormalized (realValue));
}

template <typename T>
double AAX_CParameter<T>::GetNormalizedValue() const
{
    return mTaperDelegate->RealToNormalized (CurrentValue());
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedDefaultValue (double normalizedDefault)
{
    mDefaultValue = mTaperDelegate->ConstrainRealValue (mTaperDelegate->NormalizedToReal (normalizedDefault));
}

template <typename T>
double AAX_CParameter<T>::GetNormalizedDefaultValue() const
{
    return mTaperDelegate->RealToNormalized (mDefaultValue);
}

template <typename T>
void AAX_CParameter<T>::SetToDefaultValue()
{
    RequestNormalizedValue (mTaperDelegate->RealToNormalized (mDefaultValue));
}

template <typename T>
void AAX_CParameter<T>::SetNumberOfSteps (uint32_t numSteps)
{
    if (numSteps == 0)
    {
        AAX::ReportAssertFailure (__FILE__, __LINE__, "0 < numSteps");
        return;
    }

    mNumSteps = numSteps;
}

template <typename T>
uint32_t AAX_CParameter<T>::GetNumberOfSteps() const            { return mNumSteps; }

template <typename T>
uint32_t AAX_CParameter<T>::GetStepValue() const
{
    return GetStepValueFromNormalizedValue (GetNormalizedValue());
}

template <typename T>
double AAX_CParameter<T>::GetNormalizedValueFromStep (uint32_t step) const
{
    const auto numSteps = GetNumberOfSteps();

    if (numSteps < 2)
        return 0.0;

    const double stepSize = 1.0 / static_cast<double> (numSteps - 1);
    return std::clamp (static_cast<double> (step) * stepSize, 0.0, 1.0);
}

template <typename T>
uint32_t AAX_CParameter<T>::GetStepValueFromNormalizedValue (double normalizedValue) const
{
    const auto numSteps = GetNumberOfSteps();

    if (numSteps < 2)
        return 0;

    const double stepSize = 1.0 / static_cast<double> (numSteps - 1);
    const double step = normalizedValue / stepSize + 0.5;

    // Written so that a NaN lands on step 0 rather than in an undefined conversion.
    if (! (step > 0.0))
        return 0;

    return static_cast<uint32_t> (std::min (step, static_cast<double> (numSteps - 1)));
}

template <typename T>
void AAX_CParameter<T>::SetStepValue (uint32_t step)
{
    if (GetNumberOfSteps() < 2)
        return;

    SetNormalizedValue (GetNormalizedValueFromStep (step));
}

template <typename T>
bool AAX_CParameter<T>::GetValueString (AAX_CString* outText) const
{
    return outText != nullptr && mDisplayDelegate->ValueToString (CurrentValue(), outText);
}

template <typename T>
bool AAX_CParameter<T>::GetValueString (int32_t maxNumChars, AAX_CString* outText) const
{
    return outText != nullptr && mDisplayDelegate->ValueToString (CurrentValue(), maxNumChars, outText);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromBool (bool value, double* outNormalized) const
{
    return ConvertToNormalized (value, outNormalized);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromInt32 (int32_t value, double* outNormalized) const
{
    return ConvertToNormalized (value, outNormalized);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromFloat (float value, double* outNormalized) const
{
    return ConvertToNormalized (value, outNormalized);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromDouble (double value, double* outNormalized) const
{
    return ConvertToNormalized (value, outNormalized);
}

template <typename T>
bool AAX_CParameter<T>::GetNormalizedValueFromString (const AAX_CString& text, double* outNormalized) const
{
    T value {};

    if (outNormalized == nullptr || ! mDisplayDelegate->StringToValue (text, &value))
        return false;

    *outNormalized = mTaperDelegate->RealToNormalized (value);
    return true;
}

template <typename T>
bool AAX_CParameter<T>::GetBoolFromNormalizedValue (double normalizedValue, bool* outValue) const
{
    return ConvertFromNormalized (normalizedValue, outValue);
}

template <typename T>
bool AAX_CParameter<T>::GetInt32FromNormalizedValue (double normalizedValue, int32_t* outValue) const
{
    return ConvertFromNormalized (normalizedValue, outValue);
}

template <typename T>
bool AAX_CParameter<T>::GetFloatFromNormalizedValue (double normalizedValue, float* outValue) const
{
    return ConvertFromNormalized (normalizedValue, outValue);
}

template <typename T>
bool AAX_CParameter<T>::GetDoubleFromNormalizedValue (double normalizedValue, double* outValue) const
{
    return ConvertFromNormalized (normalizedValue, outValue);
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue (double normalizedValue, AAX_CString& outText) const
{
    const T realValue = mTaperDelegate->NormalizedToReal (normalizedValue);
    return mDisplayDelegate->ValueToString (realValue, &outText) && IsWithinTaper (realValue);
}

template <typename T>
bool AAX_CParameter<T>::GetStringFromNormalizedValue (double normalizedValue, int32_t maxNumChars, AAX_CString& outText) const
{
    const T realValue = mTaperDelegate->NormalizedToReal (normalizedValue);
    return mDisplayDelegate->ValueToString (realValue, maxNumChars, &outText) && IsWithinTaper (realValue);
}

template <typename T>
bool AAX_CParameter<T>::SetValueFromString (const AAX_CString& text)
{
    T value {};

    if (! mDisplayDelegate->StringToValue (text, &value))
        return false;

    return RequestNormalizedValue (mTaperDelegate->RealToNormalized (value));
}

template <typename T>
bool AAX_CParameter<T>::GetValueAsBool (bool* outValue) const        { return AAX::ReadParameterValueAs (CurrentValue(), outValue); }

template <typename T>
bool AAX_CParameter<T>::GetValueAsInt32 (int32_t* outValue) const    { return AAX::ReadParameterValueAs (CurrentValue(), outValue); }

template <typename T>
bool AAX_CParameter<T>::GetValueAsFloat (float* outValue) const      { return AAX::ReadParameterValueAs (CurrentValue(), outValue); }

template <typename T>
bool AAX_CParameter<T>::GetValueAsDouble (double* outValue) const    { return AAX::ReadParameterValueAs (CurrentValue(), outValue); }

template <typename T>
bool AAX_CParameter<T>::GetValueAsString (AAX_IString* outValue) const
{
    if (outValue == nullptr)
        return false;

    AAX_CString text;
    const bool converted = GetValueString (&text);

    if (converted)
        *outValue = text;

    return converted;
}

template <typename T>
bool AAX_CParameter<T>::SetValueWithBool (bool value)          { return SetTypedValue (value); }

template <typename T>
bool AAX_CParameter<T>::SetValueWithInt32 (int32_t value)      { return SetTypedValue (value); }

template <typename T>
bool AAX_CParameter<T>::SetValueWithFloat (float value)        { return SetTypedValue (value); }

template <typename T>
bool AAX_CParameter<T>::SetValueWithDouble (double value)      { return SetTypedValue (value); }

template <typename T>
bool AAX_CParameter<T>::SetValueWithString (const AAX_IString& value)
{
    return SetValueFromString (AAX_CString (value));
}

template <typename T>
void AAX_CParameter<T>::SetType (AAX_EParameterType type)                           { mType = type; }

template <typename T>
AAX_EParameterType AAX_CParameter<T>::GetType() const                               { return mType; }

template <typename T>
void AAX_CParameter<T>::SetOrientation (AAX_EParameterOrientation orientation)      { mOrientation = orientation; }

template <typename T>
AAX_EParameterOrientation AAX_CParameter<T>::GetOrientation() const                 { return mOrientation; }

template <typename T>
void AAX_CParameter<T>::SetTaperDelegate (AAX_ITaperDelegateBase& taperDelegate, bool preserveValue)
{
    // A taper of another value type cannot map this parameter's values: keep the old one.
    auto* typedTaper = dynamic_cast<AAX_ITaperDelegate<T>*> (&taperDelegate);

    if (typedTaper == nullptr)
        return;

    const double oldPosition = GetNormalizedValue();
    mTaperDelegate.reset (typedTaper->Clone());
    mNeedNotify = true;

    if (preserveValue)
        RequestNormalizedValue (mTaperDelegate->RealToNormalized (CurrentValue()));
    else
        UpdateNormalizedValue (oldPosition);
}

template <typename T>
void AAX_CParameter<T>::SetDisplayDelegate (AAX_IDisplayDelegateBase& displayDelegate)
{
    auto* typedDisplay = dynamic_cast<AAX_IDisplayDelegate<T>*> (&displayDelegate);

    if (typedDisplay == nullptr)
        return;

    mDisplayDelegate.reset (typedDisplay->Clone());

    // The value is the same but its text is not: let the host redraw it.
    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->PostCurrentValue (Identifier(), GetNormalizedValue());
}

template <typename T>
void AAX_CParameter<T>::UpdateNormalizedValue (double normalizedValue)
{
    const T realValue = mTaperDelegate->NormalizedToReal (normalizedValue);

    if (! mNeedNotify && realValue == CurrentValue())
        return;

    mValue.Set (realValue);

    if (mAutomationDelegate != nullptr)
        mAutomationDelegate->PostCurrentValue (Identifier(), normalizedValue);

    mNeedNotify = false;
}

template <typename T>
bool AAX_CParameter<T>::IsWithinTaper (const T& realValue) const
{
    return mTaperDelegate->GetMinimumValue() <= realValue && realValue <= mTaperDelegate->GetMaximumValue();
}

template <typename T>
template <typename Source>
bool AAX_CParameter<T>::ConvertToNormalized (const Source& value, double* outNormalized) const
{
    if constexpr (std::is_same_v<Source, T>)
    {
        if (outNormalized == nullptr)
            return false;

        *outNormalized = mTaperDelegate->RealToNormalized (value);
        return true;
    }
    else
    {
        return false;
    }
}

template <typename T>
template <typename Wanted>
bool AAX_CParameter<T>::ConvertFromNormalized (double normalizedValue, Wanted* outValue) const
{
    if constexpr (std::is_same_v<Wanted, T>)
        return AAX::ReadParameterValueAs (mTaperDelegate->NormalizedToReal (normalizedValue), outValue);
    else
        return false;
}

template <typename T>
template <typename Source>
bool AAX_CParameter<T>::SetTypedValue (const Source& value)
{
    if constexpr (std::is_same_v<Source, T>)
        return RequestNormalizedValue (mTaperDelegate->RealToNormalized (value));
    else
        return false;
}
