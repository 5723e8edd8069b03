#pragma once

#include "HostObject.h"

#include <AAX_IACFEffectDescriptor.h>

namespace tanglefix::host
{

/** The host's description of one effect: names, categories, factory procedures, components. */
class HostEffectDescriptor final : public HostObjectWith<AAX_IACFEffectDescriptor_V2>
{
public:
    explicit HostEffectDescriptor (std::shared_ptr<HostContext> context);

    const EffectRecord& getRecord() const noexcept { return record; }

    // AAX_IACFEffectDescriptor
    AAX_Result AddComponent (IACFUnknown* componentDescriptor) override;
    AAX_Result AddName (const char* name) override;
    AAX_Result AddCategory (uint32_t category) override;
    AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterID) override;
    AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procID) override;
    AAX_Result SetProperties (IACFUnknown* propertyMap) override;
    AAX_Result AddResourceInfo (AAX_EResourceType resourceType, const char* info) override;
    AAX_Result AddMeterDescription (AAX_CTypeID meterID, const char* name, IACFUnknown* propertyMap) override;

    // AAX_IACFEffectDescriptor_V2
    AAX_Result AddControlMIDINode (AAX_CTypeID nodeID, AAX_EMIDINodeType nodeType, const char* name, uint32_t channelMask) override;

private:
    void* findInterface (const acfIID& iid) override;

    EffectRecord record;
};

} // namespace tanglefix::host
