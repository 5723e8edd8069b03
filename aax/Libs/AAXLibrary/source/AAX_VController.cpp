#include "AAX_VController.h"
#include "AAX_VPageTable.h"
#include "AAX_IACFPageTable.h"
#include "AAX_HostComponents.h"

AAX_VController::AAX_VController (IACFUnknown* hostUnknown)
    : mControllerV1 (AAX::QueryHostInterface<AAX_IACFController> (hostUnknown, IID_IAAXControllerV1)),
      mControllerV2 (AAX::QueryHostInterface<AAX_IACFController_V2> (hostUnknown, IID_IAAXControllerV2)),
      mControllerV3 (AAX::QueryHostInterface<AAX_IACFController_V3> (hostUnknown, IID_IAAXControllerV3)),
      mPageTableControllerV1 (AAX::QueryHostInterface<AAX_IACFPageTableController> (hostUnknown, IID_IAAXPageTableControllerV1)),
      mPageTableControllerV2 (AAX::QueryHostInterface<AAX_IACFPageTableController_V2> (hostUnknown, IID_IAAXPageTableControllerV2)),
      // The host's factory, or null: a host without one only loses the page-table copies.
      mComponentFactory (AAX::QueryHostInterface<IACFComponentFactory> (hostUnknown, IID_IACFComponentFactory))
{
}

AAX_VController::~AAX_VController() = default;

AAX_Result AAX_VController::GetEffectID (AAX_IString* outEffectID) const
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetEffectID (outEffectID);
}

AAX_Result AAX_VController::GetSampleRate (AAX_CSampleRate* outSampleRate) const
{
    AAX::ClearOutputs (outSampleRate);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetSampleRate (outSampleRate);
}

AAX_Result AAX_VController::GetInputStemFormat (AAX_EStemFormat* outStemFormat) const
{
    AAX::ClearOutputs (outStemFormat);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetInputStemFormat (outStemFormat);
}

AAX_Result AAX_VController::GetOutputStemFormat (AAX_EStemFormat* outStemFormat) const
{
    AAX::ClearOutputs (outStemFormat);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetOutputStemFormat (outStemFormat);
}

AAX_Result AAX_VController::GetSignalLatency (int32_t* outSamples) const
{
    AAX::ClearOutputs (outSamples);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetSignalLatency (outSamples);
}

AAX_Result AAX_VController::GetCycleCount (AAX_EProperty whichCycleCount, AAX_CPropertyValue* outValue) const
{
    AAX::ClearOutputs (outValue);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetCycleCount (whichCycleCount, outValue);
}

AAX_Result AAX_VController::GetTODLocation (AAX_CTimeOfDay* outLocation) const
{
    AAX::ClearOutputs (outLocation);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetTODLocation (outLocation);
}

AAX_Result AAX_VController::SetSignalLatency (int32_t samples)
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->SetSignalLatency (samples);
}

AAX_Result AAX_VController::SetCycleCount (AAX_EProperty* whichCycleCounts, AAX_CPropertyValue* values, int32_t numValues)
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->SetCycleCount (whichCycleCounts, values, numValues);
}

AAX_Result AAX_VController::PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t payloadSize)
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->PostPacket (field, payload, payloadSize);
}

AAX_Result AAX_VController::SendNotification (AAX_CTypeID notificationType, const void* data, uint32_t dataSize)
{
    if (! mControllerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV2->SendNotification (notificationType, data, dataSize);
}

AAX_Result AAX_VController::SendNotification (AAX_CTypeID notificationType)
{
    return SendNotification (notificationType, nullptr, 0);
}

AAX_Result AAX_VController::GetCurrentMeterValue (AAX_CTypeID meterID, float* outValue) const
{
    AAX::ClearOutputs (outValue);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetCurrentMeterValue (meterID, outValue);
}

AAX_Result AAX_VController::GetMeterPeakValue (AAX_CTypeID meterID, float* outValue) const
{
    AAX::ClearOutputs (outValue);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetMeterPeakValue (meterID, outValue);
}

AAX_Result AAX_VController::ClearMeterPeakValue (AAX_CTypeID meterID) const
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->ClearMeterPeakValue (meterID);
}

AAX_Result AAX_VController::GetMeterCount (uint32_t* outMeterCount) const
{
    AAX::ClearOutputs (outMeterCount);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetMeterCount (outMeterCount);
}

AAX_Result AAX_VController::GetMeterClipped (AAX_CTypeID meterID, AAX_CBoolean* outClipped) const
{
    AAX::ClearOutputs (outClipped);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetMeterClipped (meterID, outClipped);
}

AAX_Result AAX_VController::ClearMeterClipped (AAX_CTypeID meterID) const
{
    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->ClearMeterClipped (meterID);
}

AAX_Result AAX_VController::GetNextMIDIPacket (AAX_CFieldIndex* outPort, AAX_CMidiPacket* outPacket)
{
    AAX::ClearOutputs (outPort);

    if (! mControllerV1)
        return AAX_ERROR_NULL_OBJECT;

    return mControllerV1->GetNextMIDIPacket (outPort, outPacket);
}

AAX_Result AAX_VController::GetHybridSignalLatency (int32_t* outSamples) const
{
    AAX::ClearOutputs (outSamples);

    if (! mControllerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV2->GetHybridSignalLatency (outSamples);
}

AAX_Result AAX_VController::GetPlugInTargetPlatform (AAX_CTargetPlatform* outTargetPlatform) const
{
    AAX::ClearOutputs (outTargetPlatform);

    if (! mControllerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV2->GetPlugInTargetPlatform (outTargetPlatform);
}

AAX_Result AAX_VController::GetIsAudioSuite (AAX_CBoolean* outIsAudioSuite) const
{
    AAX::ClearOutputs (outIsAudioSuite);

    if (! mControllerV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV2->GetIsAudioSuite (outIsAudioSuite);
}

AAX_Result AAX_VController::GetCurrentAutomationTimestamp (AAX_CTransportCounter* outTimestamp) const
{
    AAX::ClearOutputs (outTimestamp);

    if (! mControllerV3)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV3->GetCurrentAutomationTimestamp (outTimestamp);
}

AAX_Result AAX_VController::GetHostName (AAX_IString* outHostName) const
{
    if (! mControllerV3)
        return AAX_ERROR_UNIMPLEMENTED;

    return mControllerV3->GetHostName (outHostName);
}

//==============================================================================
template <typename CopyFunction>
AAX_IPageTable* AAX_VController::CopyIntoNewTable (CopyFunction&& copy) const
{
    ACFPtr<AAX_IACFPageTable_V2> table;

    if (mComponentFactory)
        if (ACFFAILED (mComponentFactory->CreateComponent (nullptr, AAXCompID_PageTable, IID_IAAXPageTableV2, table.OutParameter())))
            table.Detach();    // a refusal hands out no reference

    // Never ask the host to copy into no table. `table` holds the one reference taken here
    // and releases it once, on every path; the wrapper takes references of its own.
    if (! table || copy (static_cast<IACFUnknown*> (table.get())) != AAX_SUCCESS)
        return nullptr;

    return new AAX_VPageTable (table.get());
}

AAX_IPageTable* AAX_VController::CreateTableCopyForEffect (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                                           AAX_CPropertyValue pluginID, uint32_t tableType,
                                                           int32_t tablePageSize) const
{
    if (! mPageTableControllerV1)
        return nullptr;

    return CopyIntoNewTable ([&] (IACFUnknown* table)
    {
        return mPageTableControllerV1->CopyTableForEffect (manufacturerID, productID, pluginID, tableType, tablePageSize, table);
    });
}

AAX_IPageTable* AAX_VController::CreateTableCopyForLayout (const char* effectID, const char* layoutName,
                                                           uint32_t tableType, int32_t tablePageSize) const
{
    if (! mPageTableControllerV1)
        return nullptr;

    return CopyIntoNewTable ([&] (IACFUnknown* table)
    {
        return mPageTableControllerV1->CopyTableOfLayoutForLayout (effectID, layoutName, tableType, tablePageSize, table);
    });
}

AAX_IPageTable* AAX_VController::CreateTableCopyForEffectFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                                   AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                                                   AAX_CPropertyValue pluginID, uint32_t tableType,
                                                                   int32_t tablePageSize) const
{
    if (! mPageTableControllerV2)
        return nullptr;

    return CopyIntoNewTable ([&] (IACFUnknown* table)
    {
        return mPageTableControllerV2->CopyTableForEffectFromFile (filePath, filePathEncoding, manufacturerID, productID,
                                                                   pluginID, tableType, tablePageSize, table);
    });
}

AAX_IPageTable* AAX_VController::CreateTableCopyForLayoutFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                                   const char* layoutName, uint32_t tableType,
                                                                   int32_t tablePageSize) const
{
    if (! mPageTableControllerV2)
        return nullptr;

    return CopyIntoNewTable ([&] (IACFUnknown* table)
    {
        return mPageTableControllerV2->CopyTableOfLayoutFromFile (filePath, filePathEncoding, layoutName, tableType,
                                                                  tablePageSize, table);
    });
}
