#include "HostPropertyMap.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <algorithm>

namespace tanglefix::host
{

HostPropertyMap::HostPropertyMap (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

ACFRESULT HostPropertyMap::create (std::shared_ptr<HostContext> context, const acfIID& iid, void** outInterface,
                                   const PropertyList& initialProperties)
{
    auto* map = new HostPropertyMap (std::move (context));
    map->properties = initialProperties;

    return handOut (map, iid, outInterface);
}

AAX_Result HostPropertyMap::readProperties (IACFUnknown* map, PropertyList& destination)
{
    const auto* hostMap = HostObject::as<HostPropertyMap> (map);

    if (map != nullptr && hostMap == nullptr)
        return AAX_ERROR_INVALID_ARGUMENT;

    destination = hostMap != nullptr ? hostMap->properties : PropertyList {};
    return AAX_SUCCESS;
}

void* HostPropertyMap::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::propertyMap,
                               { { IID_IAAXPropertyMapV1, static_cast<AAX_IACFPropertyMap*> (this) },
                                 { IID_IAAXPropertyMapV2, static_cast<AAX_IACFPropertyMap_V2*> (this) },
                                 { IID_IAAXPropertyMapV3, static_cast<AAX_IACFPropertyMap_V3*> (this) } });
}

const PropertyRecord* HostPropertyMap::find (AAX_EProperty property) const
{
    const auto id = static_cast<std::uint32_t> (property);
    const auto found = std::find_if (properties.begin(), properties.end(),
                                     [id] (const PropertyRecord& p) { return p.id == id; });

    return found != properties.end() ? &*found : nullptr;
}

void HostPropertyMap::set (AAX_EProperty property, std::int64_t value, bool isPointer)
{
    const PropertyRecord record { static_cast<std::uint32_t> (property), value, isPointer };
    const auto existing = std::find_if (properties.begin(), properties.end(),
                                        [&record] (const PropertyRecord& p) { return p.id == record.id; });

    // A property set again keeps its place.
    if (existing != properties.end())
        *existing = record;
    else
        properties.push_back (record);
}

AAX_CBoolean HostPropertyMap::GetProperty (AAX_EProperty property, AAX_CPropertyValue* outValue) const
{
    const auto* record = find (property);

    // A pointer does not fit a 32-bit value; it is only readable through the 64-bit call.
    if (record == nullptr || record->isPointer || outValue == nullptr)
        return 0;

    *outValue = static_cast<AAX_CPropertyValue> (record->value);
    return 1;
}

AAX_Result HostPropertyMap::AddProperty (AAX_EProperty property, AAX_CPropertyValue value)
{
    set (property, value, false);
    return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::RemoveProperty (AAX_EProperty property)
{
    const auto id = static_cast<std::uint32_t> (property);
    const auto sizeBefore = properties.size();

    properties.erase (std::remove_if (properties.begin(), properties.end(),
                                      [id] (const PropertyRecord& p) { return p.id == id; }),
                      properties.end());

    return properties.size() < sizeBefore ? AAX_SUCCESS : AAX_ERROR_PROPERTY_UNDEFINED;
}

AAX_Result HostPropertyMap::AddPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad* pluginIDs,
                                                    uint32_t numPluginIDs)
{
    if (pluginIDs == nullptr && numPluginIDs > 0)
        return AAX_ERROR_NULL_ARGUMENT;

    idArrays[static_cast<std::uint32_t> (property)].assign (pluginIDs, pluginIDs + numPluginIDs);
    return AAX_SUCCESS;
}

AAX_CBoolean HostPropertyMap::GetPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad** outPluginIDs,
                                                      uint32_t* outNumPluginIDs) const
{
    const auto found = idArrays.find (static_cast<std::uint32_t> (property));

    if (found == idArrays.end() || outPluginIDs == nullptr || outNumPluginIDs == nullptr)
        return 0;

    *outPluginIDs = found->second.data();
    *outNumPluginIDs = static_cast<uint32_t> (found->second.size());
    return 1;
}

AAX_CBoolean HostPropertyMap::GetProperty64 (AAX_EProperty property, AAX_CPropertyValue64* outValue) const
{
    const auto* record = find (property);

    if (record == nullptr || outValue == nullptr)
        return 0;

    *outValue = record->value;
    return 1;
}

AAX_Result HostPropertyMap::AddProperty64 (AAX_EProperty property, AAX_CPropertyValue64 value)
{
    set (property, value, true);
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
