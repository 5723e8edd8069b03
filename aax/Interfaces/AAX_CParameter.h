#pragma once

#include "AAX_ITaperDelegate.h"
#include "AAX_IDisplayDelegate.h"
#include "AAX_IAutomationDelegate.h"

#include <map>
#include <memory>

/** A parameter's identifier and value of type T. */
template <typename T>
class AAX_CParameterValue : public AAX_IParameterValue
{
public:
    AAX_CParameterValue (AAX_CParamID identifier, const T& value);

    AAX_CParameterValue* Clone() const override;
    AAX_CParamID Identifier() const override;
    bool GetValueAsBool (bool* outValue) const override;
    bool GetValueAsInt32 (int32_t* outValue) const override;
    bool GetValueAsFloat (float* outValue) const override;
    bool GetValueAsDouble (double* outValue) const override;
    bool GetValueAsString (AAX_IString* outValue) const override;

    const T& Get() const noexcept    { return mValue; }
    void Set (const T& value)        { mValue = value; }

private:
    char mIdentifier[eParemeterDefaultMaxIdentifierSize] {};
    T mValue;
};

/** A host-visible parameter with a value of type T, a taper and a display. A set request
    goes to the host through the automation delegate; the value changes when the host
    answers with UpdateNormalizedValue. Without a delegate the value changes at once. */
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
