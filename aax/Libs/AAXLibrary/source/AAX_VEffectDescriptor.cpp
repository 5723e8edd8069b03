#include "AAX_VEffectDescriptor.h"
#include "AAX_VComponentDescriptor.h"
#include "AAX_VPropertyMap.h"
#include "AAX_HostComponents.h"

AAX_VEffectDescriptor::AAX_VEffectDescriptor (IACFUnknown* hostUnknown)
    : mHostUnknown (AAX::Retain (hostUnknown)),
      mEffectDescriptorV1 (AAX::CreateHostComponent<AAX_IACFEffectDescriptor> (hostUnknown, AAXCompID_EffectDescriptor,
                                                                               IID_IAAXEffectDescriptorV1)),
      mEffectDescriptorV2 (AAX::QueryHostInterface<AAX_IACFEffectDescriptor_V2> (mEffectDescriptorV1.get(), IID_IAAXEffectDescriptorV2))
{
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor() = default;

AAX_IComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor()
{
    mComponentDescriptors.push_back (std::make_unique<AAX_VComponentDescriptor> (mHostUnknown.get()));
    return mComponentDescriptors.back().get();
}

AAX_Result AAX_VEffectDescriptor::AddComponent (AAX_IComponentDescriptor* componentDescriptor)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    const auto* component = dynamic_cast<AAX_VComponentDescriptor*> (componentDescriptor);
    return mEffectDescriptorV1->AddComponent (component != nullptr ? component->GetIUnknown() : nullptr);
}

AAX_Result AAX_VEffectDescriptor::AddName (const char* name)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddName (name);
}

AAX_Result AAX_VEffectDescriptor::AddCategory (uint32_t category)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddCategory (category);
}

AAX_Result AAX_VEffectDescriptor::AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterID)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddCategoryBypassParameter (category, parameterID);
}

AAX_Result AAX_VEffectDescriptor::AddProcPtr (void* procPtr, AAX_CProcPtrID procID)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddProcPtr (procPtr, procID);
}

AAX_IPropertyMap* AAX_VEffectDescriptor::NewPropertyMap()
{
    return AAX::NewOwnedPropertyMap (mHostUnknown.get(), mPropertyMaps);
}

AAX_Result AAX_VEffectDescriptor::SetProperties (AAX_IPropertyMap* properties)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->SetProperties (properties != nullptr ? properties->GetIUnknown() : nullptr);
}

AAX_Result AAX_VEffectDescriptor::AddResourceInfo (AAX_EResourceType resourceType, const char* info)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddResourceInfo (resourceType, info);
}

AAX_Result AAX_VEffectDescriptor::AddMeterDescription (AAX_CTypeID meterID, const char* name, AAX_IPropertyMap* properties)
{
    if (! mEffectDescriptorV1)
        return AAX_ERROR_NULL_OBJECT;

    return mEffectDescriptorV1->AddMeterDescription (meterID, name, properties != nullptr ? properties->GetIUnknown() : nullptr);
}

AAX_Result AAX_VEffectDescriptor::AddControlMIDINode (AAX_CTypeID nodeID, AAX_EMIDINodeType nodeType,
                                                      const char* name, uint32_t channelMask)
{
    if (! mEffectDescriptorV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mEffectDescriptorV2->AddControlMIDINode (nodeID, nodeType, name, channelMask);
}
