#pragma once

#include "AAX_IString.h"

class AAX_IMIDINode;
struct AAX_CMidiPacket;

/** The host's controller of one plug-in instance. */
class AAX_IACFController : public IACFUnknown
{
public:
    virtual AAX_Result GetEffectID (AAX_IString* outEffectID) const = 0;
    virtual AAX_Result GetSampleRate (AAX_CSampleRate* outSampleRate) const = 0;
    virtual AAX_Result GetInputStemFormat (AAX_EStemFormat* outStemFormat) const = 0;
    virtual AAX_Result GetOutputStemFormat (AAX_EStemFormat* outStemFormat) const = 0;
    virtual AAX_Result GetSignalLatency (int32_t* outSamples) const = 0;
    virtual AAX_Result GetCycleCount (AAX_EProperty whichCycleCount, AAX_CPropertyValue* outValue) const = 0;
    virtual AAX_Result GetTODLocation (AAX_CTimeOfDay* outLocation) const = 0;
    virtual AAX_Result SetSignalLatency (int32_t samples) = 0;
    virtual AAX_Result SetCycleCount (AAX_EProperty* whichCycleCounts, AAX_CPropertyValue* values, int32_t numValues) = 0;
    virtual AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t payloadSize) = 0;
    virtual AAX_Result GetCurrentMeterValue (AAX_CTypeID meterID, float* outValue) const = 0;
    virtual AAX_Result GetMeterPeakValue (AAX_CTypeID meterID, float* outValue) const = 0;
    virtual AAX_Result ClearMeterPeakValue (AAX_CTypeID meterID) const = 0;
    virtual AAX_Result GetMeterCount (uint32_t* outMeterCount) const = 0;
    virtual AAX_Result GetMeterClipped (AAX_CTypeID meterID, AAX_CBoolean* outClipped) const = 0;
    virtual AAX_Result ClearMeterClipped (AAX_CTypeID meterID) const = 0;
    virtual AAX_Result GetNextMIDIPacket (AAX_CFieldIndex* outPort, AAX_CMidiPacket* outPacket) = 0;

protected:
    ~AAX_IACFController() = default;
};

class AAX_IACFController_V2 : public AAX_IACFController
{
public:
    virtual AAX_Result SendNotification (AAX_CTypeID notificationType, const void* data, uint32_t dataSize) = 0;
    virtual AAX_Result GetHybridSignalLatency (int32_t* outSamples) const = 0;
    virtual AAX_Result GetPlugInTargetPlatform (AAX_CTargetPlatform* outTargetPlatform) const = 0;
    virtual AAX_Result GetIsAudioSuite (AAX_CBoolean* outIsAudioSuite) const = 0;

protected:
    ~AAX_IACFController_V2() = default;
};

class AAX_IACFController_V3 : public AAX_IACFController_V2
{
public:
    virtual AAX_Result GetCurrentAutomationTimestamp (AAX_CTransportCounter* outTimestamp) const = 0;
    virtual AAX_Result GetHostName (AAX_IString* outHostName) const = 0;

protected:
    ~AAX_IACFController_V3() = default;
};

//==============================================================================
/** The host's store of control-surface page tables; each call copies a table into the
    page-table object given last (an AAX_IACFPageTable made by the host's factory). */
class AAX_IACFPageTableController : public IACFUnknown
{
public:
    virtual AAX_Result CopyTableForEffect (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                           AAX_CPropertyValue pluginID, uint32_t tableType, int32_t tablePageSize,
                                           IACFUnknown* outTable) const = 0;
    virtual AAX_Result CopyTableOfLayoutForLayout (const char* effectID, const char* layoutName, uint32_t tableType,
                                                   int32_t tablePageSize, IACFUnknown* outTable) const = 0;

protected:
    ~AAX_IACFPageTableController() = default;
};

class AAX_IACFPageTableController_V2 : public AAX_IACFPageTableController
{
public:
    virtual AAX_Result CopyTableForEffectFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                   AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                                   AAX_CPropertyValue pluginID, uint32_t tableType,
                                                   int32_t tablePageSize, IACFUnknown* outTable) const = 0;
    virtual AAX_Result CopyTableOfLayoutFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                                  const char* layoutName, uint32_t tableType,
                                                  int32_t tablePageSize, IACFUnknown* outTable) const = 0;

protected:
    ~AAX_IACFPageTableController_V2() = default;
};
