#include "AAX_CString.h"

#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>

AAX_CString::AAX_CString (const char* text)
    : mString (text != nullptr ? text : "")
{
}

AAX_CString::AAX_CString (const AAX_IString& other)
    : AAX_CString (other.Get())
{
}

uint32_t AAX_CString::Length() const
{
    return static_cast<uint32_t> (mString.size());
}

uint32_t AAX_CString::MaxLength() const
{
    return 0xfffffffeu;
}

const char* AAX_CString::Get() const
{
    return mString.c_str();
}

void AAX_CString::Set (const char* text)
{
    // A null text is taken as an empty one rather than read.
    mString.assign (text != nullptr ? text : "");
}

AAX_IString& AAX_CString::operator= (const AAX_IString& other)
{
    if (&other != this)
        Set (other.Get());

    return *this;
}

AAX_IString& AAX_CString::operator= (const char* text)
{
    Set (text);
    return *this;
}

AAX_CString& AAX_CString::operator= (const AAX_CString& other)
{
    mString = other.mString;
    return *this;
}

AAX_CString& AAX_CString::operator= (AAX_CString&& other) noexcept
{
    mString = std::move (other.mString);
    return *this;
}

void AAX_CString::Clear()
{
    mString.clear();
}

void AAX_CString::Erase (uint32_t pos, uint32_t count)
{
    // A position beyond the end names no bytes; erasing nothing is safer than throwing
    // out of a call the host may have made.
    if (pos <= mString.size())
        mString.erase (pos, count);
}

void AAX_CString::AppendNumber (double number, int32_t precision)
{
    std::ostringstream stream;
    stream.imbue (std::locale::classic());
    stream << std::fixed << std::setprecision (precision > 0 ? precision : 0) << number;
    mString += stream.str();
}

bool AAX_CString::ToDouble (double* outNumber) const
{
    std::istringstream stream (mString);
    stream.imbue (std::locale::classic());

    double number = 0.0;
    const bool read = static_cast<bool> (stream >> number);

    if (outNumber != nullptr)
        *outNumber = read ? number : 0.0;

    return read;
}

void AAX_CString::SubString (uint32_t pos, uint32_t count, AAX_IString* outString) const
{
    if (outString == nullptr)
        return;

    if (pos <= mString.size())
        outString->Set (mString.substr (pos, count).c_str());
    else
        outString->Set ("");
}

bool AAX_CString::operator== (const AAX_CString& other) const
{
    return std::strcmp (Get(), other.Get()) == 0;
}

bool AAX_CString::operator!= (const AAX_CString& other) const
{
    return ! (*this == other);
}

bool AAX_CString::operator!= (const char* text) const
{
    return std::strcmp (Get(), text != nullptr ? text : "") != 0;
}

char& AAX_CString::operator[] (uint32_t pos)
{
    return mString[pos];
}

const char& AAX_CString::operator[] (uint32_t pos) const
{
    return mString[pos];
}
