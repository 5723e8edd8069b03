#pragma once

#include "AAX_IComponentDescriptor.h"
#include "AAX_IACFComponentDescriptor.h"
#include "ACFPtr.h"

#include <memory>
#include <vector>

class AAX_VPropertyMap;

/** The host's description of one processing component. It owns the property maps it makes. */
class AAX_VComponentDescriptor : public AAX_IComponentDescriptor
{
public:
    explicit AAX_VComponentDescriptor (IACFUnknown* hostUnknown);
    ~AAX_VComponentDescriptor() override;

    AAX_Result Clear() override;
    AAX_Result AddAudioIn (AAX_CFieldIndex field) override;
    AAX_Result AddAudioOut (AAX_CFieldIndex field) override;
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) override;
    AAX_Result AddSampleRate (AAX_CFieldIndex field) override;
    AAX_Result AddClock (AAX_CFieldIndex field) override;
    AAX_Result AddSideChainIn (AAX_CFieldIndex field) override;
    AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, AAX_EDataInPortType portType) override;
    AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) override;
    AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t dataSize, uint32_t options) override;
    AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) override;
    AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) override;
    AAX_Result AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) override;
    AAX_Result AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType nodeType,
                            const char* name, uint32_t channelMask) override;
    AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) override;

    /** New maps; both throw AAX::Exception::ResultError when the host cannot make one. */
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_IPropertyMap* DuplicatePropertyMap (AAX_IPropertyMap* source) override;

    using AAX_IComponentDescriptor::AddProcessProc_Native;

    /** Fails with AAX_ERROR_NULL_ARGUMENT for a null process procedure, which the host
        would otherwise call. */
    AAX_Result AddProcessProc_Native (AAX_CProcessProc processProc, AAX_IPropertyMap* properties,
                                      AAX_CInstanceInitProc instanceInitProc, AAX_CBackgroundProc backgroundProc,
                                      AAX_CSelector* outProcID) override;
    AAX_Result AddProcessProc_TI (const char* dllFileName, const char* processProcSymbol,
                                  AAX_IPropertyMap* properties, const char* instanceInitProcSymbol,
                                  const char* backgroundProcSymbol, AAX_CSelector* outProcID) override;
    AAX_Result AddProcessProc (AAX_IPropertyMap* properties, AAX_CSelector* outProcIDs, int32_t procIDsSize) override;

    /** The host's component descriptor (version 1), null when the host could not make one. */
    AAX_IACFComponentDescriptor* GetIUnknown() const noexcept    { return mComponentDescriptorV1.get(); }

    AAX_VComponentDescriptor (const AAX_VComponentDescriptor&) = delete;
    AAX_VComponentDescriptor& operator= (const AAX_VComponentDescriptor&) = delete;

private:
    AAX_VPropertyMap* MakePropertyMap();
    AAX_VPropertyMap* CopyPropertyMap (AAX_IPropertyMap* source);
    AAX_Result ManuallyAddProcessProcs (AAX_IPropertyMap& properties, AAX_CSelector* outProcIDs, int32_t procIDsSize);
    AAX_IPropertyMap* ChooseNativeProperties (AAX_IPropertyMap& properties);

    ACFPtr<IACFUnknown> mHostUnknown;
    ACFPtr<AAX_IACFComponentDescriptor> mComponentDescriptorV1;
    ACFPtr<AAX_IACFComponentDescriptor_V2> mComponentDescriptorV2;
    ACFPtr<AAX_IACFComponentDescriptor_V3> mComponentDescriptorV3;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};
