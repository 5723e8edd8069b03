#pragma once

#include "AAX_IController.h"
#include "AAX_IACFController.h"
#include "ACFPtr.h"

/** The host's controller of one running instance, whichever versions it offers, with its
    page-table controller. It keeps nothing but its interface pointers, fixed at construction,
    so any thread may call it (JUCE's wrapper sets the latency from the audio thread); what
    the host does behind a call is the host's to make safe. */
class AAX_VController : public AAX_IController
{
public:
    explicit AAX_VController (IACFUnknown* hostUnknown);
    ~AAX_VController() override;

    AAX_Result GetEffectID (AAX_IString* outEffectID) const override;
    AAX_Result GetSampleRate (AAX_CSampleRate* outSampleRate) const override;
    AAX_Result GetInputStemFormat (AAX_EStemFormat* outStemFormat) const override;
    AAX_Result GetOutputStemFormat (AAX_EStemFormat* outStemFormat) const override;
    AAX_Result GetSignalLatency (int32_t* outSamples) const override;
    AAX_Result GetCycleCount (AAX_EProperty whichCycleCount, AAX_CPropertyValue* outValue) const override;
    AAX_Result GetTODLocation (AAX_CTimeOfDay* outLocation) const override;
    AAX_Result SetSignalLatency (int32_t samples) override;
    AAX_Result SetCycleCount (AAX_EProperty* whichCycleCounts, AAX_CPropertyValue* values, int32_t numValues) override;
    AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t payloadSize) override;
    AAX_Result SendNotification (AAX_CTypeID notificationType, const void* data, uint32_t dataSize) override;
    AAX_Result SendNotification (AAX_CTypeID notificationType) override;
    AAX_Result GetCurrentMeterValue (AAX_CTypeID meterID, float* outValue) const override;
    AAX_Result GetMeterPeakValue (AAX_CTypeID meterID, float* outValue) const override;
    AAX_Result ClearMeterPeakValue (AAX_CTypeID meterID) const override;
    AAX_Result GetMeterCount (uint32_t* outMeterCount) const override;
    AAX_Result GetMeterClipped (AAX_CTypeID meterID, AAX_CBoolean* outClipped) const override;
    AAX_Result ClearMeterClipped (AAX_CTypeID meterID) const override;
    AAX_Result GetNextMIDIPacket (AAX_CFieldIndex* outPort, AAX_CMidiPacket* outPacket) override;
    AAX_Result GetHybridSignalLatency (int32_t* outSamples) const override;
    AAX_Result GetPlugInTargetPlatform (AAX_CTargetPlatform* outTargetPlatform) const override;
    AAX_Result GetIsAudioSuite (AAX_CBoolean* outIsAudioSuite) const override;
    AAX_Result GetCurrentAutomationTimestamp (AAX_CTransportCounter* outTimestamp) const override;
    AAX_Result GetHostName (AAX_IString* outHostName) const override;

    AAX_IPageTable* CreateTableCopyForEffect (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                              AAX_CPropertyValue pluginID, uint32_t tableType,
                                              int32_t tablePageSize) const override;
    AAX_IPageTable* CreateTableCopyForLayout (const char* effectID, const char* layoutName,
                                              uint32_t tableType, int32_t tablePageSize) const override;
    AAX_IPageTable* CreateTableCopyForEffectFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                      AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                                      AAX_CPropertyValue pluginID, uint32_t tableType,
                                                      int32_t tablePageSize) const override;
    AAX_IPageTable* CreateTableCopyForLayoutFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                      const char* layoutName, uint32_t tableType,
                                                      int32_t tablePageSize) const override;

    AAX_VController (const AAX_VController&) = delete;
    AAX_VController& operator= (const AAX_VController&) = delete;

private:
    /** Runs one table-copy request: a new host page table, filled by `copy`, wrapped. */
    template <typename CopyFunction>
    AAX_IPageTable* CopyIntoNewTable (CopyFunction&& copy) const;

    // Declared oldest first, so that destruction releases the newest version first.
    ACFPtr<AAX_IACFController> mControllerV1;
    ACFPtr<AAX_IACFController_V2> mControllerV2;
    ACFPtr<AAX_IACFController_V3> mControllerV3;
    ACFPtr<AAX_IACFPageTableController> mPageTableControllerV1;
    ACFPtr<AAX_IACFPageTableController_V2> mPageTableControllerV2;
    ACFPtr<IACFComponentFactory> mComponentFactory;
};
