#pragma once

#include "HostObject.h"

#include <AAX_IACFComponentDescriptor.h>

namespace tanglefix::host
{

/** The host's description of one processing component: the fields of its algorithm context
    and the process procedures registered for it.
*/
class HostComponentDescriptor final : public HostObjectWith<AAX_IACFComponentDescriptor_V3>
{
public:
    explicit HostComponentDescriptor (std::shared_ptr<HostContext> context);

    const ComponentRecord& getRecord() const noexcept { return record; }

    // AAX_IACFComponentDescriptor
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
    AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) override;
    AAX_Result AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) override;
    AAX_Result AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType nodeType, const char* name, uint32_t channelMask) override;
    AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) override;
    AAX_Result AddProcessProc_Native (AAX_CProcessProc processProc, IACFUnknown* properties,
                                      AAX_CInstanceInitProc instanceInitProc, AAX_CBackgroundProc backgroundProc,
                                      AAX_CSelector* outProcID) override;
    AAX_Result AddProcessProc_TI (const char* dllFileName, const char* processProcSymbol, IACFUnknown* properties,
                                  const char* instanceInitProcSymbol, const char* backgroundProcSymbol,
                                  AAX_CSelector* outProcID) override;

    // AAX_IACFComponentDescriptor_V2
    AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) override;

    // AAX_IACFComponentDescriptor_V3
    AAX_Result AddProcessProc (IACFUnknown* properties, AAX_CSelector* outProcIDs, int32_t procIDsSize) override;

private:
    void* findInterface (const acfIID& iid) override;

    AAX_Result addField (FieldRecord field);
    AAX_Result addField (FieldRecord::Kind kind, AAX_CFieldIndex index, std::int64_t first = 0, std::int64_t second = 0);
    AAX_Result addProcessProc (ProcessProcRecord proc, IACFUnknown* properties, AAX_CSelector* outProcID);

    ComponentRecord record;
};

} // namespace tanglefix::host
