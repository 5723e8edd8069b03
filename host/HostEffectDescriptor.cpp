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
    return findOfferedVersion (iid, InterfaceFamily::effectDescriptor,
                               { { IID_IAAXEffectDescriptorV1, static_cast<AAX_IACFEffectDescriptor*> (this) },
                                 { IID_IAAXEffectDescriptorV2, static_cast<AAX_IACFEffectDescriptor_V2*> (this) } });
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
    return HostPropertyMap::readProperties (propertyMap, record.properties);
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
    if (name == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    MeterRecord meter { meterID, name, {} };
    const auto result = HostPropertyMap::readProperties (propertyMap, meter.properties);

    if (result == AAX_SUCCESS)
        record.meters.push_back (std::move (meter));

    return result;
}

AAX_Result HostEffectDescriptor::AddControlMIDINode (AAX_CTypeID nodeID, AAX_EMIDINodeType nodeType, const char* name, uint32_t channelMask)
{
    if (name == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    record.controlMidiNodes.push_back ({ nodeID, static_cast<std::uint32_t> (nodeType), name, channelMask });
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
