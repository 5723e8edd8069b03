#pragma once

#include "AAX_IString.h"

#include <string>

/** The text type of this layer: a byte string (no character set assumed), always offered
    NUL-terminated, that can be handed across the interfaces as an AAX_IString. */
class AAX_CString : public AAX_IString
{
public:
    AAX_CString() = default;
    AAX_CString (const char* text);
    AAX_CString (const AAX_CString& other) = default;
    AAX_CString (AAX_CString&& other) noexcept = default;
    explicit AAX_CString (const AAX_IString& other);
    ~AAX_CString() override = default;

    // AAX_IString
    uint32_t Length() const override;
    uint32_t MaxLength() const override;
    const char* Get() const override;
    void Set (const char* text) override;
    AAX_IString& operator= (const AAX_IString& other) override;
    AAX_IString& operator= (const char* text) override;

    AAX_CString& operator= (const AAX_CString& other);
    AAX_CString& operator= (AAX_CString&& other) noexcept;

    const char* CString() const noexcept          { return mString.c_str(); }

    void Clear();

    /** Removes count bytes from pos on, or everything up to the end when fewer remain.
        pos must not be beyond the length. */
    void Erase (uint32_t pos, uint32_t count);

    /** Appends the number in fixed notation with exactly `precision` decimals. */
    void AppendNumber (double number, int32_t precision);

    /** Reads the leading number of the text, as formatted input of a double does.
        Gives false and 0 when there is none. */
    bool ToDouble (double* outNumber) const;

    /** Sets outString to at most count bytes from pos on; pos must not be beyond the length. */
    void SubString (uint32_t pos, uint32_t count, AAX_IString* outString) const;

    bool operator== (const AAX_CString& other) const;
    bool operator!= (const AAX_CString& other) const;
    bool operator!= (const char* text) const;

    /** The byte at pos, without a range check. */
    char& operator[] (uint32_t pos);
    const char& operator[] (uint32_t pos) const;

private:
    std::string mString;
};
