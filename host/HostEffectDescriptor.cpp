#include "HostEffectDescriptor.h"

#include "HostComponentDescriptor.h"
#include "HostPropertyMap.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

HostEffectDescriptor::HostEffectDescriptor (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostEffectDescriptor::findInterface (const acfIID& iid)
{
    const auto& options = getContext().getOptions();
    const auto offers = [&options] (int version) { return options.offers (InterfaceFamily::effectDescriptor, version); };

    if ((iid == IID_IACFUnknown || iid == IID_IAAXEffectDescriptorV1) && offers (1))
        return static_cast<AAX_IACFEffectDescriptor*> (this);

    if (iid == IID_IAAXEffectDescriptorV2 && offers (2))
        return static_cast<AAX_IACFEffectDescriptor_V2*> (this);

    return nullptr;
}

AAX_Result HostEffectDescriptor::AddComponent (IACFUnknown* componentDescriptor)
{
    // The host takes a copy of the component as it stands: what the bundle does to its
    // descriptor afterwards is not part of the registration.
    const auto* component = HostObject::as<HostComponentDescriptor> (componentDescriptor);

    if (component == nullptr)
        return componentDescriptor == nullptr ? AAX_ERROR_NULL_COMPONENT : AAX_ERROR_INVALID_ARGUMENT;

    record.components.push_back (component->getRecord());
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddName (const char* name)
{
    if (name == nullptr || *name == 0)
        return AAX_ERROR_EMPTY_EFFECT_NAME;

    record.names.emplace_back (name);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddCategory (uint32_t category)
{
    record.categories.push_back (category);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterID)
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.categoryBypassParameters.emplace_back (category, parameterID);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddProcPtr (void* procPtr, AAX_CProcPtrID procID)
{
    if (procPtr == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.procPointers.emplace_back (procID, procPtr);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::SetProperties (IACFUnknown* propertyMap)
{
    const auto* map = HostObject::as<HostPropertyMap> (propertyMap);

    if (propertyMap != nullptr && map == nullptr)
        return AAX_ERROR_INVALID_ARGUMENT;

    record.properties = map != nullptr ? map->getProperties() : PropertyList {};
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddResourceInfo (AAX_EResourceType resourceType, const char* info)
{
    if (info == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.resources.emplace_back (static_cast<std::uint32_t> (resourceType), info);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddMeterDescription (AAX_CTypeID meterID, const char* name, IACFUnknown* propertyMap)
{
    const auto* map = HostObject::as<HostPropertyMap> (propertyMap);

    if (name == nullptr || (propertyMap != nullptr && map == nullptr))
        return name == nullptr ? AAX_ERROR_NULL_ARGUMENT : AAX_ERROR_INVALID_ARGUMENT;

    record.meters.push_back ({ meterID, name, map != nullptr ? map->getProperties() : PropertyList {} });
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddControlMIDINode (AAX_CTypeID nodeID, AAX_EMIDINodeType nodeType, const char* name, uint32_t channelMask)
{
    if (name == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.controlMidiNodes.push_back ({ nodeID, static_cast<std::uint32_t> (nodeType), name, channelMask });
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
