#pragma once

#include "AAX_IEffectParameters.h"
#include "AAX_IController.h"
#include "AAX_ITransport.h"
#include "AAX_IAutomationDelegate.h"
#include "AAX_CChunkDataParser.h"
#include "AAX_CPacketDispatcher.h"
#include "AAX_CParameterManager.h"
#include "AAX_CParameter.h"
#include "CACFUnknown.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class AAX_VController;
class AAX_VTransport;
class AAX_VAutomationDelegate;

/** The base of the host-facing effect object of one plug-in instance: its parameters, the
    packets that carry their values to the algorithm, the controls chunk and the wrappers of
    the host's controller, transport and automation. Derived classes create their
    parameters in EffectInit. */
class AAX_CEffectParameters : public AAX_IEffectParameters,
                              public CACFUnknown
{
public:
    AAX_CEffectParameters();

    // IACFUnknown, forwarded to the outer unknown
    ACFRESULT QueryInterface (const acfIID& interfaceID, void** outInterface) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    /** Refused (AAX_ERROR_INVALID_ARGUMENT) while a first Initialize stands, even a failed
        one: the host calls Uninitialize before it initialises the instance again. */
    AAX_Result Initialize (IACFUnknown* controller) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;

    AAX_Result GetNumberOfParameters (int32_t* outNumParameters) const override;
    AAX_Result GetMasterBypassParameter (AAX_IString* outID) const override;
    AAX_Result GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const override;
    AAX_Result GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outNumSteps) const override;
    AAX_Result GetParameterName (AAX_CParamID id, AAX_IString* outName) const override;
    AAX_Result GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const override;
    AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const override;
    AAX_Result SetParameterDefaultNormalizedValue (AAX_CParamID id, double value) override;
    AAX_Result GetParameterType (AAX_CParamID id, AAX_EParameterType* outType) const override;
    AAX_Result GetParameterOrientation (AAX_CParamID id, AAX_EParameterOrientation* outOrientation) const override;
    AAX_Result GetParameter (AAX_CParamID id, AAX_IParameter** outParameter) override;
    AAX_Result GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const override;
    AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* outID) const override;
    AAX_Result GetParameterValueInfo (AAX_CParamID id, int32_t selector, int32_t* outValue) const override;
    AAX_Result GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const override;
    AAX_Result GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const override;
    AAX_Result GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const override;
    AAX_Result GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const override;
    AAX_Result SetParameterNormalizedValue (AAX_CParamID id, double value) override;
    AAX_Result SetParameterNormalizedRelative (AAX_CParamID id, double delta) override;
    AAX_Result TouchParameter (AAX_CParamID id) override;
    AAX_Result ReleaseParameter (AAX_CParamID id) override;
    AAX_Result UpdateParameterTouch (AAX_CParamID id, AAX_CBoolean touchState) override;
    AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, AAX_EUpdateSource source) override;
    AAX_Result UpdateParameterNormalizedRelative (AAX_CParamID id, double delta) override;
    AAX_Result GenerateCoefficients() override;
    AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t dataSize) const override;

    AAX_Result GetNumberOfChunks (int32_t* outNumChunks) const override;
    AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkID) const override;
    AAX_Result GetChunkSize (AAX_CTypeID chunkID, uint32_t* outSize) const override;
    AAX_Result GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* outChunk) const override;
    AAX_Result SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) override;
    AAX_Result CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) const override;
    AAX_Result GetNumberOfChanges (int32_t* outNumChanges) const override;

    AAX_Result TimerWakeup() override;
    AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t numValues, float* outValues) const override;
    AAX_Result GetCustomData (AAX_CTypeID dataBlockID, uint32_t dataSize, void* outData, uint32_t* outBytesWritten) const override;
    AAX_Result SetCustomData (AAX_CTypeID dataBlockID, uint32_t dataSize, const void* data) override;
    AAX_Result DoMIDITransfers() override;
    AAX_Result RenderAudio_Hybrid (AAX_SHybridRenderInfo* renderInfo) override;
    AAX_Result UpdateMIDINodes (AAX_CFieldIndex field, AAX_CMidiPacket& packet) override;
    AAX_Result UpdateControlMIDINodes (AAX_CTypeID nodeID, AAX_CMidiPacket& packet) override;
    AAX_Result GetCurveDataMeterIds (AAX_CTypeID curveType, uint32_t* outXMeterID, uint32_t* outYMeterID) const override;
    AAX_Result GetCurveDataDisplayRange (AAX_CTypeID curveType, float* outXMin, float* outXMax,
                                         float* outYMin, float* outYMax) const override;
    AAX_Result UpdateActivePageTable (uint32_t tableType, int32_t tablePageSize,
                                      IACFUnknown* hostUnknown, IACFUnknown* pageTableUnknown) override;

    // CACFUnknown: answers the effect-parameters interfaces with this object
    ACFRESULT InternalQueryInterface (const acfIID& interfaceID, void** outInterface) override;

    ~AAX_CEffectParameters() override;

    /** Where a derived class creates its parameters and packets. */
    virtual AAX_Result EffectInit();

    /** Fills a control-surface page table; the base has none to offer. */
    virtual AAX_Result UpdatePageTable (uint32_t tableType, int32_t tablePageSize, AAX_IPageTable& pageTable) const;

    /** The host's controller and transport. Before Initialize (and after Uninitialize) they
        are wrappers without a host, whose calls give their no-host results: JUCE's wrapper
        calls them without checking. */
    AAX_IController* Controller();
    const AAX_IController* Controller() const;
    AAX_ITransport* Transport();
    const AAX_ITransport* Transport() const;

protected:
    // Value changes seen, for the host's dirty check. Atomic: JUCE's wrapper counts changes
    // that its processor reports, which may happen on the audio thread.
    std::atomic<int32_t> mNumPlugInChanges { 0 };

    // The controls-chunk size told to each thread by its last size query. A host may ask for
    // chunks from several threads (JUCE keeps its own chunk per thread too); each GetChunk
    // must match the size its own thread was told, which is the size of the host's buffer.
    mutable std::map<std::thread::id, int32_t> mChunkSizes;
    mutable AAX_CChunkDataParser mChunkParser;
    mutable std::mutex mChunkLock;      // guards mChunkSizes and mChunkParser
    int32_t mNumChunkedParameters = 0;
    AAX_CPacketDispatcher mPacketDispatcher;
    AAX_CParameterManager mParameterManager;
    std::set<std::string> mExcludedFromChunk;
    std::unique_ptr<AAX_VController> mController;
    std::unique_ptr<AAX_VTransport> mTransport;
    std::unique_ptr<AAX_VAutomationDelegate> mAutomationDelegate;

private:
    enum class ValueKind { eNone, eFloat, eInt32, eBool, eDouble, eString };

    /** A parameter's value in the first kind it answers, probed as the chunk stores it. */
    struct ParameterValue
    {
        ValueKind kind = ValueKind::eNone;
        float floatValue = 0.0f;
        int32_t int32Value = 0;
        bool boolValue = false;
        double doubleValue = 0.0;
        AAX_CString text;
    };

    static ParameterValue ReadValue (const AAX_IParameter& parameter);
    /** Sets the parameter from its entry, if any: AAX_ERROR_MALFORMED_CHUNK when the entry
        holds no usable value, AAX_ERROR_NOTIFICATION_FAILED when the parameter or the host
        refused it. */
    static AAX_Result RestoreValue (AAX_IParameter& parameter, AAX_CChunkDataParser& chunk);
    /** RestoreValue, and without a host to answer, what the host's answer would do. */
    AAX_Result RestoreParameter (AAX_IParameter& parameter, AAX_CChunkDataParser& chunk);
    static bool MatchesChunk (const AAX_IParameter& parameter, AAX_CChunkDataParser& chunk);

    /** The indices of the parameters that go into the controls chunk, in order. */
    std::vector<int32_t> ChunkedParameterIndices() const;
    int32_t RebuildChunk() const;

    /** Whether the host answers the parameters' set requests; without its automation
        interface the parameters have no delegate and take new values at once. */
    bool HostAnswersRequests() const noexcept;
    void ReleaseHostObjects();
};
