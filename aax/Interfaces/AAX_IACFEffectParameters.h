#pragma once

#include "AAX_IString.h"

class AAX_IParameter;
struct AAX_CMidiPacket;
struct AAX_SHybridRenderInfo;

/** The effect object of one plug-in instance, as the host calls it. The plug-in implements
    it (AAX_CEffectParameters) and the host reaches it by the interface ids of its versions. */
class AAX_IACFEffectParameters : public IACFUnknown
{
public:
    virtual AAX_Result Initialize (IACFUnknown* controller) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;

    virtual AAX_Result GetNumberOfParameters (int32_t* outNumParameters) const = 0;
    virtual AAX_Result GetMasterBypassParameter (AAX_IString* outID) const = 0;
    virtual AAX_Result GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const = 0;
    virtual AAX_Result GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outNumSteps) const = 0;
    virtual AAX_Result GetParameterName (AAX_CParamID id, AAX_IString* outName) const = 0;
    virtual AAX_Result GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const = 0;
    virtual AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const = 0;
    virtual AAX_Result SetParameterDefaultNormalizedValue (AAX_CParamID id, double value) = 0;
    virtual AAX_Result GetParameterType (AAX_CParamID id, AAX_EParameterType* outType) const = 0;
    virtual AAX_Result GetParameterOrientation (AAX_CParamID id, AAX_EParameterOrientation* outOrientation) const = 0;
    virtual AAX_Result GetParameter (AAX_CParamID id, AAX_IParameter** outParameter) = 0;
    virtual AAX_Result GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const = 0;
    virtual AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* outID) const = 0;
    virtual AAX_Result GetParameterValueInfo (AAX_CParamID id, int32_t selector, int32_t* outValue) const = 0;
    virtual AAX_Result GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const = 0;
    virtual AAX_Result GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const = 0;
    virtual AAX_Result SetParameterNormalizedValue (AAX_CParamID id, double value) = 0;
    virtual AAX_Result SetParameterNormalizedRelative (AAX_CParamID id, double delta) = 0;
    virtual AAX_Result TouchParameter (AAX_CParamID id) = 0;
    virtual AAX_Result ReleaseParameter (AAX_CParamID id) = 0;
    virtual AAX_Result UpdateParameterTouch (AAX_CParamID id, AAX_CBoolean touchState) = 0;
    virtual AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, AAX_EUpdateSource source) = 0;
    virtual AAX_Result UpdateParameterNormalizedRelative (AAX_CParamID id, double delta) = 0;
    virtual AAX_Result GenerateCoefficients() = 0;
    virtual AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t dataSize) const = 0;

    virtual AAX_Result GetNumberOfChunks (int32_t* outNumChunks) const = 0;
    virtual AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkID) const = 0;
    virtual AAX_Result GetChunkSize (AAX_CTypeID chunkID, uint32_t* outSize) const = 0;
    virtual AAX_Result GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* outChunk) const = 0;
    virtual AAX_Result SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk) = 0;
    virtual AAX_Result CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) const = 0;
    virtual AAX_Result GetNumberOfChanges (int32_t* outNumChanges) const = 0;

    virtual AAX_Result TimerWakeup() = 0;
    virtual AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t numValues, float* outValues) const = 0;
    virtual AAX_Result GetCustomData (AAX_CTypeID dataBlockID, uint32_t dataSize, void* outData, uint32_t* outBytesWritten) const = 0;
    virtual AAX_Result SetCustomData (AAX_CTypeID dataBlockID, uint32_t dataSize, const void* data) = 0;

protected:
    ~AAX_IACFEffectParameters() = default;
};

class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters
{
public:
    virtual AAX_Result DoMIDITransfers() = 0;
    virtual AAX_Result RenderAudio_Hybrid (AAX_SHybridRenderInfo* renderInfo) = 0;
    virtual AAX_Result UpdateMIDINodes (AAX_CFieldIndex field, AAX_CMidiPacket& packet) = 0;

protected:
    ~AAX_IACFEffectParameters_V2() = default;
};

class AAX_IACFEffectParameters_V3 : public AAX_IACFEffectParameters_V2
{
public:
    virtual AAX_Result UpdateControlMIDINodes (AAX_CTypeID nodeID, AAX_CMidiPacket& packet) = 0;
    virtual AAX_Result GetCurveDataMeterIds (AAX_CTypeID curveType, uint32_t* outXMeterID, uint32_t* outYMeterID) const = 0;
    virtual AAX_Result GetCurveDataDisplayRange (AAX_CTypeID curveType, float* outXMin, float* outXMax,
                                                 float* outYMin, float* outYMax) const = 0;

protected:
    ~AAX_IACFEffectParameters_V3() = default;
};

class AAX_IACFEffectParameters_V4 : public AAX_IACFEffectParameters_V3
{
public:
    virtual AAX_Result UpdateActivePageTable (uint32_t tableType, int32_t tablePageSize,
                                              IACFUnknown* hostUnknown, IACFUnknown* pageTableUnknown) = 0;

protected:
    ~AAX_IACFEffectParameters_V4() = default;
};
