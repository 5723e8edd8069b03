#pragma once

#include "AAX_IEffectDescriptor.h"
#include "AAX_IACFEffectDescriptor.h"
#include "ACFPtr.h"

#include <memory>
#include <vector>

class AAX_VComponentDescriptor;
class AAX_VPropertyMap;

/** The host's description of one effect. It owns the component descriptors and property
    maps it makes. */
class AAX_VEffectDescriptor : public AAX_IEffectDescriptor
{
public:
    explicit AAX_VEffectDescriptor (IACFUnknown* hostUnknown);
    ~AAX_VEffectDescriptor() override;

    AAX_IComponentDescriptor* NewComponentDescriptor() override;
    AAX_Result AddComponent (AAX_IComponentDescriptor* componentDescriptor) override;
    AAX_Result AddName (const char* name) override;
    AAX_Result AddCategory (uint32_t category) override;
    AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterID) override;
    AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procID) override;

    /** A new map; throws AAX::Exception::ResultError when the host cannot make one. */
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;
    AAX_Result AddResourceInfo (AAX_EResourceType resourceType, const char* info) override;
    AAX_Result AddMeterDescription (AAX_CTypeID meterID, const char* name, AAX_IPropertyMap* properties) override;
    AAX_Result AddControlMIDINode (AAX_CTypeID nodeID, AAX_EMIDINodeType nodeType,
                                   const char* name, uint32_t channelMask) override;

    /** The host's effect descriptor (version 1), null when the host could not make one. */
    AAX_IACFEffectDescriptor* GetIUnknown() const noexcept    { return mEffectDescriptorV1.get(); }

    AAX_VEffectDescriptor (const AAX_VEffectDescriptor&) = delete;
    AAX_VEffectDescriptor& operator= (const AAX_VEffectDescriptor&) = delete;

private:
    ACFPtr<IACFUnknown> mHostUnknown;
    ACFPtr<AAX_IACFEffectDescriptor> mEffectDescriptorV1;
    ACFPtr<AAX_IACFEffectDescriptor_V2> mEffectDescriptorV2;
    std::vector<std::unique_ptr<AAX_VComponentDescriptor>> mComponentDescriptors;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};
