#pragma once

#include "AAX.h"

/** A text that crosses the interfaces: a byte string, always offered NUL-terminated. */
class AAX_IString
{
public:
    AAX_IString() = default;
    AAX_IString (const AAX_IString&) = default;    // strings held in containers are copied and moved
    virtual ~AAX_IString() = default;

    virtual uint32_t Length() const = 0;
    virtual uint32_t MaxLength() const = 0;
    virtual const char* Get() const = 0;
    virtual void Set (const char* text) = 0;
    virtual AAX_IString& operator= (const AAX_IString& other) = 0;
    virtual AAX_IString& operator= (const char* text) = 0;
};
