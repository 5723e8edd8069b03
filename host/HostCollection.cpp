#include "HostCollection.h"

#include "HostEffectDescriptor.h"
#include "HostPropertyMap.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <algorithm>

namespace tanglefix::host
{

HostCollection::HostCollection (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostCollection::findInterface (const acfIID& iid)
{
    if (! getContext().getOptions().offers (InterfaceFamily::collection, 1))
        return nullptr;

    if (iid == IID_IACFUnknown || iid == IID_IAAXCollectionV1)
        return static_cast<AAX_IACFCollection*> (this);

    if (iid == IID_IACFPluginDefinition || iid == IID_IACFDefinition)
        return static_cast<IACFPluginDefinition*> (this);

    return nullptr;
}

AAX_Result HostCollection::AddEffect (const char* effectID, IACFUnknown* effectDescriptor)
{
    if (effectID == nullptr || *effectID == 0)
        return AAX_ERROR_NULL_ARGUMENT;

    const auto* effect = HostObject::as<HostEffectDescriptor> (effectDescriptor);

    if (effect == nullptr)
        return effectDescriptor == nullptr ? AAX_ERROR_NULL_OBJECT : AAX_ERROR_INVALID_ARGUMENT;

    const auto duplicate = std::any_of (record.effects.begin(), record.effects.end(),
                                        [effectID] (const EffectRecord& e) { return e.identifier == effectID; });

    if (duplicate)
        return AAX_ERROR_DUPLICATE_EFFECT_ID;

    auto copy = effect->getRecord();
    copy.identifier = effectID;
    record.effects.push_back (std::move (copy));
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetManufacturerName (const char* name)
{
    if (name == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.manufacturerName = name;
    return AAX_SUCCESS;
}

AAX_Result HostCollection::AddPackageName (const char* name)
{
    if (name == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.packageNames.emplace_back (name);
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetPackageVersion (uint32_t version)
{
    record.packageVersion = version;
    record.packageVersionSet = true;
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetProperties (IACFUnknown* propertyMap)
{
    return HostPropertyMap::readProperties (propertyMap, record.properties);
}

} // namespace tanglefix::host
