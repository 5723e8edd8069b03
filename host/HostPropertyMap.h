#pragma once

#include "HostObject.h"

#include <AAX_Enums.h>
#include <AAX_IACFPropertyMap.h>

#include <map>
#include <vector>

namespace tanglefix::host
{

/** The host's property map. Properties keep the order in which the bundle first set them,
    so that a listing shows them as the bundle wrote them.
*/
class HostPropertyMap final : public HostObjectWith<AAX_IACFPropertyMap_V3>
{
public:
    explicit HostPropertyMap (std::shared_ptr<HostContext> context);

    /** Creates a map holding the given properties and hands out the interface asked for. */
    static ACFRESULT create (std::shared_ptr<HostContext> context, const acfIID& iid, void** outInterface,
                             const PropertyList& initialProperties = {});

    const PropertyList& getProperties() const noexcept { return properties; }

    /** Copies the properties of a map that the bundle passed in: none for null, an error for
        an object that isn't one of the host's property maps.
    */
    static AAX_Result readProperties (IACFUnknown* map, PropertyList& destination);

    // AAX_IACFPropertyMap
    AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* outValue) const override;
    AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) override;
    AAX_Result RemoveProperty (AAX_EProperty property) override;

    // AAX_IACFPropertyMap_V2
    AAX_Result AddPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad* pluginIDs,
                                       uint32_t numPluginIDs) override;
    AAX_CBoolean GetPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad** outPluginIDs,
                                         uint32_t* outNumPluginIDs) const override;

    // AAX_IACFPropertyMap_V3
    AAX_CBoolean GetProperty64 (AAX_EProperty property, AAX_CPropertyValue64* outValue) const override;
    AAX_Result AddProperty64 (AAX_EProperty property, AAX_CPropertyValue64 value) override;

private:
    void* findInterface (const acfIID& iid) override;

    const PropertyRecord* find (AAX_EProperty property) const;
    void set (AAX_EProperty property, std::int64_t value, bool isPointer);

    PropertyList properties;
    std::map<std::uint32_t, std::vector<AAX_SPlugInIdentifierTriad>> idArrays;
};

} // namespace tanglefix::host
