#pragma once

#include "AAX_CString.h"

class AAX_IAutomationDelegate;

/** A copy of a parameter's identifier and value, typed by the parameter's value type. */
class AAX_IParameterValue
{
public:
    virtual ~AAX_IParameterValue() = default;

    virtual AAX_IParameterValue* Clone() const = 0;
    virtual AAX_CParamID Identifier() const = 0;
    virtual bool GetValueAsBool (bool* outValue) const = 0;
    virtual bool GetValueAsInt32 (int32_t* outValue) const = 0;
    virtual bool GetValueAsFloat (float* outValue) const = 0;
    virtual bool GetValueAsDouble (double* outValue) const = 0;
    virtual bool GetValueAsString (AAX_IString* outValue) const = 0;
};

/** The untyped base of taper delegates, which map normalised values to real ones. */
class AAX_ITaperDelegateBase
{
public:
    virtual ~AAX_ITaperDelegateBase() = default;
};

/** The untyped base of display delegates, which turn real values into text and back. */
class AAX_IDisplayDelegateBase
{
public:
    virtual ~AAX_IDisplayDelegateBase() = default;
};

/** A parameter as the host sees it, addressed by a short text identifier. Values cross the
    interface normalised to 0..1; the parameter's delegates give them meaning and text. */
class AAX_IParameter
{
public:
    virtual ~AAX_IParameter() = default;

    virtual AAX_IParameterValue* CloneValue() const = 0;
    virtual AAX_CParamID Identifier() const = 0;
    virtual void SetName (const AAX_CString& name) = 0;
    virtual const AAX_CString& Name() const = 0;
    virtual void AddShortenedName (const AAX_CString& name) = 0;
    virtual const AAX_CString& ShortenedName (int32_t maxNumChars) const = 0;
    virtual void ClearShortenedNames() = 0;
    virtual bool Automatable() const = 0;
    virtual void SetAutomationDelegate (AAX_IAutomationDelegate* automationDelegate) = 0;
    virtual void Touch() = 0;
    virtual void Release() = 0;
    virtual void SetNormalizedValue (double normalizedValue) = 0;
    virtual double GetNormalizedValue() const = 0;
    virtual void SetNormalizedDefaultValue (double normalizedDefault) = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    virtual void SetToDefaultValue() = 0;
    virtual void SetNumberOfSteps (uint32_t numSteps) = 0;
    virtual uint32_t GetNumberOfSteps() const = 0;
    virtual uint32_t GetStepValue() const = 0;
    virtual double GetNormalizedValueFromStep (uint32_t step) const = 0;
    virtual uint32_t GetStepValueFromNormalizedValue (double normalizedValue) const = 0;
    virtual void SetStepValue (uint32_t step) = 0;
    virtual bool GetValueString (AAX_CString* outText) const = 0;
    virtual bool GetValueString (int32_t maxNumChars, AAX_CString* outText) const = 0;
    virtual bool GetNormalizedValueFromBool (bool value, double* outNormalized) const = 0;
    virtual bool GetNormalizedValueFromInt32 (int32_t value, double* outNormalized) const = 0;
    virtual bool GetNormalizedValueFromFloat (float value, double* outNormalized) const = 0;
    virtual bool GetNormalizedValueFromDouble (double value, double* outNormalized) const = 0;
    virtual bool GetNormalizedValueFromString (const AAX_CString& text, double* outNormalized) const = 0;
    virtual bool GetBoolFromNormalizedValue (double normalizedValue, bool* outValue) const = 0;
    virtual bool GetInt32FromNormalizedValue (double normalizedValue, int32_t* outValue) const = 0;
    virtual bool GetFloatFromNormalizedValue (double normalizedValue, float* outValue) const = 0;
    virtual bool GetDoubleFromNormalizedValue (double normalizedValue, double* outValue) const = 0;
    virtual bool GetStringFromNormalizedValue (double normalizedValue, AAX_CString& outText) const = 0;
    virtual bool GetStringFromNormalizedValue (double normalizedValue, int32_t maxNumChars, AAX_CString& outText) const = 0;
    virtual bool SetValueFromString (const AAX_CString& text) = 0;
    virtual bool GetValueAsBool (bool* outValue) const = 0;
    virtual bool GetValueAsInt32 (int32_t* outValue) const = 0;
    virtual bool GetValueAsFloat (float* outValue) const = 0;
    virtual bool GetValueAsDouble (double* outValue) const = 0;
    virtual bool GetValueAsString (AAX_IString* outValue) const = 0;
    virtual bool SetValueWithBool (bool value) = 0;
    virtual bool SetValueWithInt32 (int32_t value) = 0;
    virtual bool SetValueWithFloat (float value) = 0;
    virtual bool SetValueWithDouble (double value) = 0;
    virtual bool SetValueWithString (const AAX_IString& value) = 0;
    virtual void SetType (AAX_EParameterType type) = 0;
    virtual AAX_EParameterType GetType() const = 0;
    virtual void SetOrientation (AAX_EParameterOrientation orientation) = 0;
    virtual AAX_EParameterOrientation GetOrientation() const = 0;
    virtual void SetTaperDelegate (AAX_ITaperDelegateBase& taperDelegate, bool preserveValue) = 0;
    virtual void SetDisplayDelegate (AAX_IDisplayDelegateBase& displayDelegate) = 0;

    /** The host's answer to a set request: the value the parameter now has. */
    virtual void UpdateNormalizedValue (double normalizedValue) = 0;
};
