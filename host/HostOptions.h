#pragma once

#include <array>
#include <optional>
#include <string>

namespace tanglefix::host
{

/** The host interfaces that exist in several versions (or that a host may lack altogether). */
enum class InterfaceFamily
{
    hostServices,          // versions 1 to 3
    collection,            // version 1
    effectDescriptor,      // versions 1 and 2
    componentDescriptor,   // versions 1 to 3
    propertyMap,           // versions 1 to 3
    descriptionHost,       // version 1
    featureInfo,           // version 1
    definition,            // version 1
    controller,            // versions 1 to 3
    pageTableController,   // versions 1 and 2
    automationDelegate,    // version 1
    transport,             // versions 1 and 2
    viewContainer,         // versions 1 and 2
    pageTable,             // versions 1 and 2
    numFamilies
};

/** Which interface versions the host offers. By default it offers every version it knows;
    limiting a family lets a test see how a bundle copes with an older or poorer host.
*/
class HostOptions
{
public:
    HostOptions();

    /** Offers versions 1 to maxVersion of the family (0: none), capped at what the host knows. */
    void offerUpTo (InterfaceFamily family, int maxVersion);

    /** Offers versions 1 to maxVersion of every family. */
    void offerEveryFamilyUpTo (int maxVersion);

    bool offers (InterfaceFamily family, int version) const;
    int highestVersion (InterfaceFamily family) const;

    static int newestVersionOf (InterfaceFamily family);
    static const char* nameOf (InterfaceFamily family);
    static std::optional<InterfaceFamily> familyNamed (const std::string& name);

    /** Reads "family=N" or "all=N"; returns false (and changes nothing) for anything else. */
    bool parseOffer (const std::string& text);

private:
    static constexpr auto numFamilies = static_cast<size_t> (InterfaceFamily::numFamilies);
    std::array<int, numFamilies> highest {};
};

} // namespace tanglefix::host
