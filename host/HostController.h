#pragma once

#include "HostObject.h"
#include "HostPageTable.h"

#include <AAX_Enums.h>
#include <AAX_IACFController.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tanglefix::host
{

class HostAutomationDelegate;
class HostTransport;

/** What the host tells one instance about itself. */
struct InstanceSetup
{
    AAX_CSampleRate sampleRate = 48000.0f;
    AAX_EStemFormat inputStemFormat = AAX_eStemFormat_Stereo;
    AAX_EStemFormat outputStemFormat = AAX_eStemFormat_Stereo;
    bool audioSuite = false;
    std::string effectID = "com.Larkspan.Tanglefix";
    std::string hostName = "tanglefix-host";
};

/** The payload of one posted packet. */
struct PacketRecord
{
    std::vector<unsigned char> bytes;
};

/** One notification the instance sent to the host. */
struct NotificationRecord
{
    AAX_CTypeID type;
    uint32_t size;
};

/** The controller of one instance: the unknown the host hands to the instance's Initialize.

    It answers the controller and page-table controller itself. Every other interface id is
    asked of its parts, in the order they were added: the instance's automation delegate and
    transport, and the host unknown, whose component factory makes page tables. With the
    effect object as a part, the GUI's Initialize finds it through the controller too.

    Anything the instance can call on the audio thread (latency, sample rate, stem formats,
    AudioSuite flag) is atomic or fixed, so the plug-in may call it from any thread.
*/
class HostController final : public HostObjectWith<AAX_IACFController_V3, AAX_IACFPageTableController_V2>
{
public:
    HostController (std::shared_ptr<HostContext> context, const InstanceSetup& setup);
    ~HostController() override;

    /** A controller with its own automation delegate and transport, and the factory of
        `hostUnknown`, holding one reference for the caller.
    */
    static HostController* createForInstance (std::shared_ptr<HostContext> context, const InstanceSetup& setup,
                                              IACFUnknown* hostUnknown);

    /** The controller as the IACFUnknown handed to the instance. */
    IACFUnknown* asUnknown() noexcept { return static_cast<AAX_IACFController_V3*> (this); }

    /** Adds an object whose interfaces the controller hands out too; it keeps a reference. */
    void addPart (IACFUnknown* part);

    /** Lets go of a part. The effect is one: it holds the controller until it is
        uninitialised, so the host takes it out before releasing it, or neither would go.
    */
    void removePart (IACFUnknown* part);

    HostAutomationDelegate* getAutomationDelegate() const noexcept { return automationDelegate; }
    HostTransport* getTransport() const noexcept                   { return transport; }

    void setSampleRate (AAX_CSampleRate newRate) noexcept { sampleRate = newRate; }
    void setAudioSuite (bool isAudioSuite) noexcept       { audioSuite = isAudioSuite; }

    /** Where posted packets go on to after they are recorded: the instance's algorithm
        context, which hands them to the audio thread. Set it on the host's main thread before
        the instance is initialised; a packet the sink refuses makes PostPacket fail.
    */
    using PacketSink = std::function<bool (AAX_CFieldIndex field, const void* payload, uint32_t payloadSize)>;
    void setPacketSink (PacketSink sink)                  { packetSink = std::move (sink); }

    int32_t getRecordedLatency() const noexcept           { return signalLatency.load(); }
    int getLatencyReports() const noexcept                { return latencyReports.load(); }
    std::vector<PacketRecord> getPackets (AAX_CFieldIndex port) const;
    std::map<AAX_CFieldIndex, std::vector<PacketRecord>> getAllPackets() const;
    std::vector<NotificationRecord> getNotifications() const;

    /** Stores a page table for the copy requests; keys come from the *TableKey functions. */
    void storePageTable (const std::string& key, PageTableContents contents);
    static std::string effectTableKey (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                       AAX_CPropertyValue pluginID, uint32_t tableType);
    static std::string layoutTableKey (const char* effectID, const char* layoutName, uint32_t tableType);
    static std::string fileTableKey (const char* filePath, const std::string& tableKey);

    /** Copy requests that named no table to copy into (a fault of the caller). */
    int getCopiesIntoNoTable() const noexcept { return copiesIntoNoTable.load(); }

    ACFRESULT QueryInterface (const acfIID& iid, void** outInterface) override;

    // AAX_IACFController
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
    AAX_Result GetCurrentMeterValue (AAX_CTypeID meterID, float* outValue) const override;
    AAX_Result GetMeterPeakValue (AAX_CTypeID meterID, float* outValue) const override;
    AAX_Result ClearMeterPeakValue (AAX_CTypeID meterID) const override;
    AAX_Result GetMeterCount (uint32_t* outMeterCount) const override;
    AAX_Result GetMeterClipped (AAX_CTypeID meterID, AAX_CBoolean* outClipped) const override;
    AAX_Result ClearMeterClipped (AAX_CTypeID meterID) const override;
    AAX_Result GetNextMIDIPacket (AAX_CFieldIndex* outPort, AAX_CMidiPacket* outPacket) override;

    // AAX_IACFController_V2
    AAX_Result SendNotification (AAX_CTypeID notificationType, const void* data, uint32_t dataSize) override;
    AAX_Result GetHybridSignalLatency (int32_t* outSamples) const override;
    AAX_Result GetPlugInTargetPlatform (AAX_CTargetPlatform* outTargetPlatform) const override;
    AAX_Result GetIsAudioSuite (AAX_CBoolean* outIsAudioSuite) const override;

    // AAX_IACFController_V3
    AAX_Result GetCurrentAutomationTimestamp (AAX_CTransportCounter* outTimestamp) const override;
    AAX_Result GetHostName (AAX_IString* outHostName) const override;

    // AAX_IACFPageTableController
    AAX_Result CopyTableForEffect (AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                   AAX_CPropertyValue pluginID, uint32_t tableType, int32_t tablePageSize,
                                   IACFUnknown* outTable) const override;
    AAX_Result CopyTableOfLayoutForLayout (const char* effectID, const char* layoutName, uint32_t tableType,
                                           int32_t tablePageSize, IACFUnknown* outTable) const override;

    // AAX_IACFPageTableController_V2
    AAX_Result CopyTableForEffectFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                           AAX_CPropertyValue manufacturerID, AAX_CPropertyValue productID,
                                           AAX_CPropertyValue pluginID, uint32_t tableType,
                                           int32_t tablePageSize, IACFUnknown* outTable) const override;
    AAX_Result CopyTableOfLayoutFromFile (const char* filePath, AAX_ETextEncoding filePathEncoding,
                                          const char* layoutName, uint32_t tableType,
                                          int32_t tablePageSize, IACFUnknown* outTable) const override;

private:
    void* findInterface (const acfIID& iid) override;
    AAX_Result copyTable (const std::string& key, IACFUnknown* outTable) const;

    const AAX_EStemFormat inputStemFormat, outputStemFormat;
    const std::string effectID, hostName;
    std::atomic<AAX_CSampleRate> sampleRate;
    std::atomic<bool> audioSuite;
    std::atomic<int32_t> signalLatency { 0 };
    std::atomic<int> latencyReports { 0 };
    mutable std::atomic<int> copiesIntoNoTable { 0 };

    mutable std::mutex recordLock;   // packets and notifications; tables
    std::map<AAX_CFieldIndex, std::vector<PacketRecord>> packets;
    std::vector<NotificationRecord> notifications;
    std::map<std::string, PageTableContents> pageTables;
    PacketSink packetSink;

    std::vector<IACFUnknown*> parts;   // one reference each, released with the controller
    HostAutomationDelegate* automationDelegate = nullptr;
    HostTransport* transport = nullptr;
};

} // namespace tanglefix::host
