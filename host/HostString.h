#pragma once

#include <AAX_IString.h>

#include <string>

namespace tanglefix::host
{

/** The host's own text for the bundle to fill or read: the host never links the plug-in's
    string class, only the interface.
*/
class HostString final : public AAX_IString
{
public:
    HostString() = default;
    explicit HostString (std::string initial) : text (std::move (initial)) {}

    uint32_t Length() const override                        { return static_cast<uint32_t> (text.size()); }
    uint32_t MaxLength() const override                     { return 0xfffffffeu; }
    const char* Get() const override                        { return text.c_str(); }
    void Set (const char* newText) override                 { text = newText != nullptr ? newText : ""; }
    AAX_IString& operator= (const AAX_IString& other) override  { Set (other.Get()); return *this; }
    AAX_IString& operator= (const char* newText) override       { Set (newText); return *this; }

    const std::string& str() const noexcept                 { return text; }

private:
    std::string text;
};

} // namespace tanglefix::host
