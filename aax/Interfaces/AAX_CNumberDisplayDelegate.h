#pragma once

#include "AAX_CParameter.h"

/** Shows a value as a number in fixed notation with Precision decimals. SpaceAfter is the
    SDK's spacing before a unit; this display has no unit, so it adds nothing. */
template <typename T, uint32_t Precision = 2, uint32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CNumberDisplayDelegate* Clone() const override;
    bool ValueToString (T value, AAX_CString* outText) const override;
    bool ValueToString (T value, int32_t maxNumChars, AAX_CString* outText) const override;
    bool StringToValue (const AAX_CString& text, T* outValue) const override;
};

//==============================================================================
template <typename T, uint32_t Precision, uint32_t SpaceAfter>
AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>* AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::Clone() const
{
    return new AAX_CNumberDisplayDelegate (*this);
}

template <typename T, uint32_t Precision, uint32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::ValueToString (T value, AAX_CString* outText) const
{
    if (outText == nullptr)
        return false;

    outText->Clear();
    outText->AppendNumber (static_cast<double> (value), static_cast<int32_t> (Precision));
    return true;
}

template <typename T, uint32_t Precision, uint32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::ValueToString (T value, int32_t maxNumChars, AAX_CString* outText) const
{
    if (! ValueToString (value, outText))
        return false;

    const uint32_t maxLength = static_cast<uint32_t> (std::max (maxNumChars, 0));

    if (outText->Length() > maxLength)
        outText->Erase (maxLength, outText->Length() - maxLength);

    // A number cut just after its point reads better without the point.
    if (maxLength >= 1 && outText->Length() == maxLength && (*outText)[maxLength - 1] == '.')
        outText->Erase (maxLength - 1, 1);

    return true;
}

template <typename T, uint32_t Precision, uint32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::StringToValue (const AAX_CString& text, T* outValue) const
{
    if (outValue == nullptr)
        return false;

    double number = 0.0;
    const bool converted = text.ToDouble (&number);
    *outValue = converted ? AAX::NarrowParameterValue<T> (number) : T();
    return converted;
}
