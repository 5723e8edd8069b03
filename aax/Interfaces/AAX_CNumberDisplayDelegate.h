#pragma once

#include "AAX_IDisplayDelegate.h"

/** Shows a value as a number in fixed notation with Precision decimals. */
template <typename T, uint32_t Precision = 2, uint32_t SpaceAfter = 0>
class AAX_CNumberDisplayDelegate : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CNumberDisplayDelegate* Clone() const override;
    bool ValueToString (T value, AAX_CString* outText) const override;
    bool ValueToString (T value, int32_t maxNumChars, AAX_CString* outText) const override;
    bool StringToValue (const AAX_CString& text, T* outValue) const override;
};
