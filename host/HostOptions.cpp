#include "HostOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

namespace tanglefix::host
{

namespace
{
    struct FamilyInfo
    {
        const char* name;
        int newestVersion;
    };

    constexpr FamilyInfo familyInfo[] = {
        { "host-services", 3 },
        { "collection", 1 },
        { "effect-descriptor", 2 },
        { "component-descriptor", 3 },
        { "property-map", 3 },
        { "description-host", 1 },
        { "feature-info", 1 },
        { "definition", 1 },
        { "controller", 3 },
        { "page-table-controller", 2 },
        { "automation-delegate", 1 },
        { "transport", 2 },
        { "view-container", 2 },
        { "page-table", 2 },
    };

    static_assert (std::size (familyInfo) == static_cast<size_t> (InterfaceFamily::numFamilies));

    const FamilyInfo& infoOf (InterfaceFamily family)
    {
        return familyInfo[static_cast<size_t> (family)];
    }

    std::optional<int> parseVersion (const std::string& text)
    {
        if (text.empty() || text.size() > 2 || ! std::all_of (text.begin(), text.end(), [] (unsigned char c) { return std::isdigit (c) != 0; }))
            return std::nullopt;

        return std::atoi (text.c_str());
    }
}

HostOptions::HostOptions()
{
    offerEveryFamilyUpTo (99);
}

void HostOptions::offerUpTo (InterfaceFamily family, int maxVersion)
{
    highest[static_cast<size_t> (family)] = std::clamp (maxVersion, 0, newestVersionOf (family));
}

void HostOptions::offerEveryFamilyUpTo (int maxVersion)
{
    for (size_t i = 0; i < numFamilies; ++i)
        offerUpTo (static_cast<InterfaceFamily> (i), maxVersion);
}

bool HostOptions::offers (InterfaceFamily family, int version) const
{
    return version >= 1 && version <= highestVersion (family);
}

int HostOptions::highestVersion (InterfaceFamily family) const
{
    return highest[static_cast<size_t> (family)];
}

int HostOptions::newestVersionOf (InterfaceFamily family)
{
    return infoOf (family).newestVersion;
}

const char* HostOptions::nameOf (InterfaceFamily family)
{
    return infoOf (family).name;
}

std::optional<InterfaceFamily> HostOptions::familyNamed (const std::string& name)
{
    for (size_t i = 0; i < numFamilies; ++i)
        if (name == familyInfo[i].name)
            return static_cast<InterfaceFamily> (i);

    return std::nullopt;
}

bool HostOptions::parseOffer (const std::string& text)
{
    const auto equals = text.find ('=');

    if (equals == std::string::npos)
        return false;

    const auto name = text.substr (0, equals);
    const auto version = parseVersion (text.substr (equals + 1));

    if (! version.has_value())
        return false;

    if (name == "all")
    {
        offerEveryFamilyUpTo (*version);
        return true;
    }

    if (const auto family = familyNamed (name))
    {
        offerUpTo (*family, *version);
        return true;
    }

    return false;
}

} // namespace tanglefix::host
