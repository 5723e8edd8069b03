#include "HostController.h"

#include "HostAutomationDelegate.h"
#include "HostTransport.h"

#include <AAX_Errors.h>
#include <AAX_IString.h>
#include <AAX_UIDs.h>

#include <algorithm>
#include <cstring>

namespace tanglefix::host
{

HostController::HostController (std::shared_ptr<HostContext> c, const InstanceSetup& setup)
    : HostObjectWith (std::move (c)),
      inputStemFormat (setup.inputStemFormat),
      outputStemFormat (setup.outputStemFormat),
      effectID (setup.effectID),
      hostName (setup.hostName),
      sampleRate (setup.sampleRate),
      audioSuite (setup.audioSuite)
{
}

HostController::~HostController()
{
    for (auto* part : parts)
        part->Release();
}

HostController* HostController::createForInstance (std::shared_ptr<HostContext> context, const InstanceSetup& setup,
                                                   IACFUnknown* hostUnknown)
{
    auto* controller = new HostController (context, setup);
    controller->AddRef();

    controller->automationDelegate = new HostAutomationDelegate (context);
    controller->addPart (controller->automationDelegate);
    controller->transport = new HostTransport (context);
    controller->addPart (controller->transport);

    TransportState transportState;
    transportState.sampleRate = setup.sampleRate;
    controller->transport->setState (transportState);

    if (hostUnknown != nullptr)
        controller->addPart (hostUnknown);

    return controller;
}

void HostController::addPart (IACFUnknown* part)
{
    if (part == nullptr)
        return;

    part->AddRef();
    parts.push_back (part);
}

void HostController::removePart (IACFUnknown* part)
{
    const auto found = std::find (parts.begin(), parts.end(), part);

    if (found == parts.end())
        return;

    parts.erase (found);
    part->Release();
}

ACFRESULT HostController::QueryInterface (const acfIID& iid, void** outInterface)
{
    const auto result = HostObjectWith::QueryInterface (iid, outInterface);

    if (result != ACF_E_NOINTERFACE)
        return result;

    // Interfaces the controller does not offer itself may belong to one of its parts.
    for (auto* part : parts)
        if (ACFSUCCEEDED (part->QueryInterface (iid, outInterface)))
            return ACF_OK;

    *outInterface = nullptr;
    return ACF_E_NOINTERFACE;
}

void* HostController::findInterface (const acfIID& iid)
{
    if (iid == IID_IACFUnknown)
        return asUnknown();

    if (auto* controller = findOfferedVersion (iid, InterfaceFamily::controller,
                                               { { IID_IAAXControllerV1, static_cast<AAX_IACFController*> (this) },
                                                 { IID_IAAXControllerV2, static_cast<AAX_IACFController_V2*> (this) },
                                                 { IID_IAAXControllerV3, static_cast<AAX_IACFController_V3*> (this) } }))
        return controller;

    return findOfferedVersion (iid, InterfaceFamily::pageTableController,
                               { { IID_IAAXPageTableControllerV1, static_cast<AAX_IACFPageTableController*> (this) },
                                 { IID_IAAXPageTableControllerV2, static_cast<AAX_IACFPageTableController_V2*> (this) } });
}

//==============================================================================
std::vector<PacketRecord> HostController::getPackets (AAX_CFieldIndex port) const
{
    const std::lock_guard<std::mutex> guard (recordLock);
    const auto found = packets.find (port);
    return found != packets.end() ? found->second : std::vector<PacketRecord>();
}

std::map<AAX_CFieldIndex, std::vector<PacketRecord>> HostController::getAllPackets() const
{
    const std::lock_guard<std::mutex> guard (recordLock);
    return packets;
}

std::vector<NotificationRecord> HostController::getNotifications() const
{
    const std::lock_guard<std::mutex> guard (recordLock);
    return notifications;
}

//==============================================================================
AAX_Result HostController::GetEffectID (AAX_IString* outEffectID) const
{
    if (outEffectID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    outEffectID->Set (effectID.c_str());
    return AAX_SUCCESS;
}

AAX_Result HostController::GetSampleRate (AAX_CSampleRate* outSampleRate) const
{
    if (outSampleRate == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outSampleRate = sampleRate.load();
    return AAX_SUCCESS;
}

AAX_Result HostController::GetInputStemFormat (AAX_EStemFormat* outStemFormat) const
{
    if (outStemFormat == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outStemFormat = inputStemFormat;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetOutputStemFormat (AAX_EStemFormat* outStemFormat) const
{
    if (outStemFormat == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outStemFormat = outputStemFormat;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetSignalLatency (int32_t* outSamples) const
{
    if (outSamples == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outSamples = signalLatency.load();
    return AAX_SUCCESS;
}

AAX_Result HostController::GetCycleCount (AAX_EProperty, AAX_CPropertyValue* outValue) const
{
    if (outValue == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outValue = 0;   // this host does not measure cycles
    return AAX_SUCCESS;
}

AAX_Result HostController::GetTODLocation (AAX_CTimeOfDay* outLocation) const
{
    if (outLocation == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outLocation = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::SetSignalLatency (int32_t samples)
{
    if (samples < 0)
        return AAX_ERROR_INVALID_ARGUMENT;

    signalLatency = samples;
    ++latencyReports;
    return AAX_SUCCESS;
}

AAX_Result HostController::SetCycleCount (AAX_EProperty* whichCycleCounts, AAX_CPropertyValue* values, int32_t numValues)
{
    if (numValues > 0 && (whichCycleCounts == nullptr || values == nullptr))
        return AAX_ERROR_NULL_ARGUMENT;

    return AAX_SUCCESS;
}

AAX_Result HostController::PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t payloadSize)
{
    if (payload == nullptr && payloadSize > 0)
        return AAX_ERROR_NULL_ARGUMENT;

    if (field < 0)
        return AAX_ERROR_INVALID_FIELD_INDEX;

    const auto* bytes = static_cast<const unsigned char*> (payload);
    PacketRecord record { std::vector<unsigned char> (bytes, bytes + payloadSize) };

    {
        const std::lock_guard<std::mutex> guard (recordLock);
        packets[field].push_back (std::move (record));
    }

    if (packetSink != nullptr && ! packetSink (field, payload, payloadSize))
        return AAX_ERROR_INVALID_FIELD_INDEX;

    return AAX_SUCCESS;
}

AAX_Result HostController::GetCurrentMeterValue (AAX_CTypeID, float* outValue) const
{
    if (outValue != nullptr)
        *outValue = 0.0f;

    return AAX_ERROR_INVALID_METER_INDEX;   // the effect has no meters
}

AAX_Result HostController::GetMeterPeakValue (AAX_CTypeID meterID, float* outValue) const
{
    return GetCurrentMeterValue (meterID, outValue);
}

AAX_Result HostController::ClearMeterPeakValue (AAX_CTypeID) const
{
    return AAX_ERROR_INVALID_METER_INDEX;
}

AAX_Result HostController::GetMeterCount (uint32_t* outMeterCount) const
{
    if (outMeterCount == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outMeterCount = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetMeterClipped (AAX_CTypeID, AAX_CBoolean* outClipped) const
{
    if (outClipped != nullptr)
        *outClipped = 0;

    return AAX_ERROR_INVALID_METER_INDEX;
}

AAX_Result HostController::ClearMeterClipped (AAX_CTypeID) const
{
    return AAX_ERROR_INVALID_METER_INDEX;
}

AAX_Result HostController::GetNextMIDIPacket (AAX_CFieldIndex*, AAX_CMidiPacket*)
{
    return AAX_ERROR_NULL_OBJECT;   // no MIDI is ever queued for an effect without MIDI nodes
}

AAX_Result HostController::SendNotification (AAX_CTypeID notificationType, const void* data, uint32_t dataSize)
{
    if (data == nullptr && dataSize > 0)
        return AAX_ERROR_NULL_ARGUMENT;

    const std::lock_guard<std::mutex> guard (recordLock);
    notifications.push_back ({ notificationType, dataSize });
    return AAX_SUCCESS;
}

AAX_Result HostController::GetHybridSignalLatency (int32_t* outSamples) const
{
    if (outSamples == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outSamples = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetPlugInTargetPlatform (AAX_CTargetPlatform* outTargetPlatform) const
{
    if (outTargetPlatform == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outTargetPlatform = AAX_eTargetPlatform_Native;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetIsAudioSuite (AAX_CBoolean* outIsAudioSuite) const
{
    if (outIsAudioSuite == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outIsAudioSuite = audioSuite.load() ? 1 : 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetCurrentAutomationTimestamp (AAX_CTransportCounter* outTimestamp) const
{
    if (outTimestamp == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outTimestamp = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetHostName (AAX_IString* outHostName) const
{
    if (outHostName == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    outHostName->Set (hostName.c_str());
    return AAX_SUCCESS;
}

//==============================================================================
void HostController::storePageTable (const std::string& key, PageTableContents contents)
{
    const std::lock_guard<std::mutex> guard (recordLock);
    pageTables[key] = std::move (contents);
}

std::string HostController::effectTableKey (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                            AAX_CPropertyValue pluginID, uint32_t tableType)
{
    return "effect:" + std::to_string (manufacturerID) + "/" + std::to_string (productID) + "/"
         + std::to_string (pluginID) + "/" + std::to_string (tableType);
}

std::string HostController::layoutTableKey (const char* effect, const char* layoutName, uint32_t tableType)
{
    return std::string ("layout:") + (effect != nullptr ? effect : "") + "/" + (layoutName != nullptr ? layoutName : "")
         + "/" + std::to_string (tableType);
}

std::string HostController::fileTableKey (const char* filePath, const std::string& tableKey)
{
    return std::string ("file:") + (filePath != nullptr ? filePath : "") + "|" + tableKey;
}

AAX_Result HostController::copyTable (const std::string& key, IACFUnknown* outTable) const
{
    auto* table = HostObject::as<HostPageTable> (outTable);

    if (table == nullptr)
    {
        ++copiesIntoNoTable;
        return AAX_ERROR_NULL_OBJECT;
    }

    const std::lock_guard<std::mutex> guard (recordLock);
    const auto found = pageTables.find (key);

    if (found == pageTables.end())
        return AAX_ERROR_UNKNOWN_ID;

    table->setContents (found->second);
    return AAX_SUCCESS;
}

AAX_Result HostController::CopyTableForEffect (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                               AAX_CPropertyValue pluginID, uint32_t tableType, int32_t,
                                               IACFUnknown* outTable) const
{
    return copyTable (effectTableKey (manufacturerID, productID, pluginID, tableType), outTable);
}

AAX_Result HostController::CopyTableOfLayoutForLayout (const char* effect, const char* layoutName, uint32_t tableType,
                                                       int32_t, IACFUnknown* outTable) const
{
    return copyTable (layoutTableKey (effect, layoutName, tableType), outTable);
}

AAX_Result HostController::CopyTableForEffectFromFile (const char* filePath, AAX_ETextEncoding,
                                                       AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                                       AAX_CPropertyValue pluginID, uint32_t tableType,
                                                       int32_t, IACFUnknown* outTable) const
{
    return copyTable (fileTableKey (filePath, effectTableKey (manufacturerID, productID, pluginID, tableType)), outTable);
}

AAX_Result HostController::CopyTableOfLayoutFromFile (const char* filePath, AAX_ETextEncoding,
                                                      const char* layoutName, uint32_t tableType,
                                                      int32_t, IACFUnknown* outTable) const
{
    return copyTable (fileTableKey (filePath, layoutTableKey ("", layoutName, tableType)), outTable);
}

} // namespace tanglefix::host
