#pragma once

#include "AAX_IParameter.h"

/** Turns a parameter's real value of type T into text and back. */
template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase
{
public:
    virtual AAX_IDisplayDelegate* Clone() const = 0;
    virtual bool ValueToString (T value, AAX_CString* outText) const = 0;
    virtual bool ValueToString (T value, int32_t maxNumChars, AAX_CString* outText) const = 0;
    virtual bool StringToValue (const AAX_CString& text, T* outValue) const = 0;
};
