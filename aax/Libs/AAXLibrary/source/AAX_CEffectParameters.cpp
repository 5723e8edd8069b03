#include "AAX_CEffectParameters.h"
#include "AAX_CHostServices.h"
#include "AAX_NoHostWrappers.h"
#include "AAX_UIDs.h"
#include "AAX_VAutomationDelegate.h"
#include "AAX_VController.h"
#include "AAX_VPageTable.h"
#include "AAX_VTransport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    constexpr AAX_CTypeID cControlsChunkID = AAX_FourCharCode ('e', 'l', 'c', 'k');
    constexpr const char* cControlsChunkName = "Complete Controls State";
    constexpr const char* cPreviewParameterID = "PreviewID";

    // Longest shortened name that GetParameterNameOfLength looks at.
    constexpr uint32_t eMaxShortenedNameLength = 255;

    /** Narrows a stored double to float without undefined behaviour: a chunk may hold any. */
    float ToFloat (double value) noexcept
    {
        return AAX::NarrowParameterValue<float> (value);
    }

    /** A restored value that the parameter, or the host's automation, did not take. */
    AAX_Result Arrival (bool taken) noexcept
    {
        return taken ? AAX_SUCCESS : AAX_ERROR_NOTIFICATION_FAILED;
    }

    void ReportMissingParameter()
    {
        AAX_CHostServices::HandleAssertFailure (__FILE__, __LINE__, "NULL != parameter", AAX_eAssertFlags_Log);
    }

    /** The answer of a slot that reads one thing of a parameter. */
    template <typename T, typename Getter>
    AAX_Result ReadParameter (const AAX_CParameterManager& parameters, AAX_CParamID id, T* outValue, Getter get)
    {
        const auto* parameter = parameters.GetParameterByID (id);

        if (parameter == nullptr)
            return AAX_ERROR_INVALID_PARAMETER_ID;

        if (outValue == nullptr)
            return AAX_ERROR_NULL_ARGUMENT;

        *outValue = get (*parameter);
        return AAX_SUCCESS;
    }

    /** The answer of a slot that does one thing to a parameter. */
    template <typename Change>
    AAX_Result ChangeParameter (AAX_CParameterManager& parameters, AAX_CParamID id, Change change)
    {
        auto* parameter = parameters.GetParameterByID (id);

        if (parameter == nullptr)
            return AAX_ERROR_INVALID_PARAMETER_ID;

        change (*parameter);
        return AAX_SUCCESS;
    }
}

//==============================================================================
AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters()
{
    // A host may release an instance without Uninitialize. The parameters go first: they
    // unregister themselves through the automation delegate that the wrappers hold.
    ReleaseHostObjects();
}

bool AAX_CEffectParameters::HostAnswersRequests() const noexcept
{
    return mAutomationDelegate != nullptr && mAutomationDelegate->GetIUnknown() != nullptr;
}

void AAX_CEffectParameters::ReleaseHostObjects()
{
    mParameterManager.RemoveAllParameters();
    mPacketDispatcher.Initialize (nullptr, this);
    mController.reset();
    mAutomationDelegate.reset();
    mTransport.reset();
}

ACFRESULT AAX_CEffectParameters::QueryInterface (const acfIID& interfaceID, void** outInterface)
{
    return GetOuterUnknown()->QueryInterface (interfaceID, outInterface);
}

acfUInt32 AAX_CEffectParameters::AddRef()
{
    return GetOuterUnknown()->AddRef();
}

acfUInt32 AAX_CEffectParameters::Release()
{
    return GetOuterUnknown()->Release();
}

ACFRESULT AAX_CEffectParameters::InternalQueryInterface (const acfIID& interfaceID, void** outInterface)
{
    if (outInterface == nullptr)
        return ACF_E_POINTER;

    // Every version is this object itself, which JUCE's GUI casts back to its processor.
    if (interfaceID == IID_IAAXEffectParametersV1 || interfaceID == IID_IAAXEffectParametersV2
         || interfaceID == IID_IAAXEffectParametersV3 || interfaceID == IID_IAAXEffectParametersV4)
    {
        *outInterface = static_cast<AAX_IEffectParameters*> (this);
        AddRef();
        return ACF_OK;
    }

    return CACFUnknown::InternalQueryInterface (interfaceID, outInterface);
}

//==============================================================================
AAX_Result AAX_CEffectParameters::Initialize (IACFUnknown* controller)
{
    // The parameters of a first Initialize hold its automation wrapper until Uninitialize;
    // replacing the wrappers under them would leave them pointing at a deleted one.
    if (mController != nullptr)
        return AAX_ERROR_INVALID_ARGUMENT;

    mController.reset (new AAX_VController (controller));
    mAutomationDelegate.reset (new AAX_VAutomationDelegate (controller));
    mTransport.reset (new AAX_VTransport (controller));

    mParameterManager.Initialize (HostAnswersRequests() ? mAutomationDelegate.get() : nullptr);
    mPacketDispatcher.Initialize (mController.get(), this);

    if (const auto result = EffectInit(); result != AAX_SUCCESS)
        return result;

    // The master bypass belongs to the host's session, never to the controls chunk. Without
    // one nothing is excluded, so every parameter counts.
    AAX_CString masterBypassID;
    GetMasterBypassParameter (&masterBypassID);

    if (masterBypassID.Length() > 0)
        mExcludedFromChunk.insert (masterBypassID.Get());

    int32_t numParameters = 0;
    GetNumberOfParameters (&numParameters);

    if (numParameters > 0)
        mNumChunkedParameters = static_cast<int32_t> (ChunkedParameterIndices().size());

    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::Uninitialize()
{
    ReleaseHostObjects();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::EffectInit()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size)
{
    if (type != AAX_eNotificationEvent_ASPreviewState || data == nullptr || size < sizeof (int32_t))
        return AAX_SUCCESS;

    int32_t previewState = 0;
    std::memcpy (&previewState, data, sizeof (previewState));   // the host's data need not be aligned

    if (auto* preview = mParameterManager.GetParameterByID (cPreviewParameterID))
        preview->SetValueWithBool (previewState != 0);

    return AAX_SUCCESS;
}

//==============================================================================
AAX_Result AAX_CEffectParameters::GetNumberOfParameters (int32_t* outNumParameters) const
{
    if (outNumParameters == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outNumParameters = mParameterManager.NumParameters();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter (AAX_IString* outID) const
{
    if (outID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    outID->Set (mParameterManager.GetParameterByID (cDefaultMasterBypassID) != nullptr ? cDefaultMasterBypassID : "");
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const
{
    if (outAutomatable == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outAutomatable = false;
    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    *outAutomatable = parameter->Automatable();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outNumSteps) const
{
    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    const auto numSteps = static_cast<int32_t> (parameter->GetNumberOfSteps());

    if (numSteps < 0)
        return AAX_ERROR_SIGNED_INT_OVERFLOW;

    if (outNumSteps == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outNumSteps = numSteps;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterName (AAX_CParamID id, AAX_IString* outName) const
{
    if (outName == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const auto* parameter = mParameterManager.GetParameterByID (id);
    outName->Set (parameter != nullptr ? parameter->Name().Get() : "");
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const
{
    if (outName == nullptr)
        return AAX_ERROR_INVALID_STRING_CONVERSION;

    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
    {
        outName->Set ("");
        return AAX_SUCCESS;
    }

    // The shortened name may hold several lines, one per length: the longest that fits wins.
    const auto& shortened = parameter->ShortenedName (length);
    const std::string names (shortened.Get(), std::min (shortened.Length(), eMaxShortenedNameLength));

    if (names.empty())
        return AAX_SUCCESS;

    size_t bestLength = 0;

    for (size_t start = 0; start <= names.size();)
    {
        const auto end = std::min (names.find ('\n', start), names.size());
        const auto lineLength = end - start;

        if (lineLength > bestLength && lineLength <= static_cast<size_t> (std::max (length, 0)))
        {
            outName->Set (names.substr (start, lineLength).c_str());
            bestLength = lineLength;
        }

        start = end + 1;
    }

    if (bestLength == 0)
        outName->Set (length < 1 ? "" : names.substr (0, static_cast<size_t> (length)).c_str());

    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const
{
    return ReadParameter (mParameterManager, id, outValue, [] (const AAX_IParameter& p) { return p.GetNormalizedDefaultValue(); });
}

AAX_Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue (AAX_CParamID id, double value)
{
    return ChangeParameter (mParameterManager, id, [value] (AAX_IParameter& p) { p.SetNormalizedDefaultValue (value); });
}

AAX_Result AAX_CEffectParameters::GetParameterType (AAX_CParamID id, AAX_EParameterType* outType) const
{
    return ReadParameter (mParameterManager, id, outType, [] (const AAX_IParameter& p) { return p.GetType(); });
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation (AAX_CParamID id, AAX_EParameterOrientation* outOrientation) const
{
    return ReadParameter (mParameterManager, id, outOrientation, [] (const AAX_IParameter& p) { return p.GetOrientation(); });
}

AAX_Result AAX_CEffectParameters::GetParameter (AAX_CParamID id, AAX_IParameter** outParameter)
{
    if (outParameter == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outParameter = mParameterManager.GetParameterByID (id);
    return *outParameter != nullptr ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
}

AAX_Result AAX_CEffectParameters::GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const
{
    if (outIndex == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outIndex = mParameterManager.GetParameterIndex (id);
    return *outIndex >= 0 ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex (int32_t index, AAX_IString* outID) const
{
    if (outID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const auto* parameter = mParameterManager.GetParameter (index);
    outID->Set (parameter != nullptr ? parameter->Identifier() : "");
    return parameter != nullptr ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
}

AAX_Result AAX_CEffectParameters::GetParameterValueInfo (AAX_CParamID, int32_t, int32_t* outValue) const
{
    if (outValue != nullptr)
        *outValue = 0;

    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const
{
    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    if (outValue == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    return parameter->GetNormalizedValueFromString (AAX_CString (text), outValue) ? AAX_SUCCESS
                                                                                 : AAX_ERROR_INVALID_STRING_CONVERSION;
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const
{
    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    AAX_CString text;

    if (outText == nullptr || ! parameter->GetStringFromNormalizedValue (value, maxLength, text))
        return AAX_ERROR_INVALID_STRING_CONVERSION;

    outText->Set (text.Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const
{
    const auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    // A text that could not be made is a failure, not an empty success.
    AAX_CString text;

    if (outText == nullptr || ! parameter->GetValueString (maxLength, &text))
        return AAX_ERROR_INVALID_STRING_CONVERSION;

    outText->Set (text.Get());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const
{
    return ReadParameter (mParameterManager, id, outValue, [] (const AAX_IParameter& p) { return p.GetNormalizedValue(); });
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue (AAX_CParamID id, double value)
{
    return ChangeParameter (mParameterManager, id, [value] (AAX_IParameter& p) { p.SetNormalizedValue (value); });
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative (AAX_CParamID id, double delta)
{
    double current = 0.0;

    if (const auto result = GetParameterNormalizedValue (id, &current); result != AAX_SUCCESS)
        return result;

    return SetParameterNormalizedValue (id, std::max (std::min (current + delta, 1.0), 0.0));
}

AAX_Result AAX_CEffectParameters::TouchParameter (AAX_CParamID id)
{
    return ChangeParameter (mParameterManager, id, [] (AAX_IParameter& p) { p.Touch(); });
}

AAX_Result AAX_CEffectParameters::ReleaseParameter (AAX_CParamID id)
{
    return ChangeParameter (mParameterManager, id, [] (AAX_IParameter& p) { p.Release(); });
}

AAX_Result AAX_CEffectParameters::UpdateParameterTouch (AAX_CParamID, AAX_CBoolean)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue (AAX_CParamID id, double value, AAX_EUpdateSource)
{
    auto* parameter = mParameterManager.GetParameterByID (id);

    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;

    const auto previous = parameter->GetNormalizedValue();
    parameter->UpdateNormalizedValue (value);
    const auto result = mPacketDispatcher.SetDirty (id, true);

    if (previous != value)
        ++mNumPlugInChanges;

    return result;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedRelative (AAX_CParamID id, double delta)
{
    double current = 0.0;

    if (const auto result = GetParameterNormalizedValue (id, &current); result != AAX_SUCCESS)
        return result;

    return UpdateParameterNormalizedValue (id, std::max (std::min (current + delta, 1.0), 0.0), AAX_eUpdateSource_Unspecified);
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients()
{
    // Packets go to the host's controller, which exists only between Initialize and
    // Uninitialize.
    if (mController == nullptr)
        return AAX_ERROR_NOT_INITIALIZED;

    return mPacketDispatcher.Dispatch();
}

AAX_Result AAX_CEffectParameters::ResetFieldData (AAX_CFieldIndex, void* data, uint32_t dataSize) const
{
    if (dataSize == 0)
        return AAX_SUCCESS;

    if (data == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    std::memset (data, 0, dataSize);
    return AAX_SUCCESS;
}

//==============================================================================
AAX_Result AAX_CEffectParameters::GetNumberOfChunks (int32_t* outNumChunks) const
{
    if (outNumChunks == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outNumChunks = 1;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkID) const
{
    if (outChunkID == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outChunkID = index == 0 ? cControlsChunkID : 0;
    return index == 0 ? AAX_SUCCESS : AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result AAX_CEffectParameters::GetChunkSize (AAX_CTypeID chunkID, uint32_t* outSize) const
{
    if (outSize == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outSize = 0;

    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    const std::lock_guard<std::mutex> lock (mChunkLock);
    const auto size = RebuildChunk();

    if (size < 0)
        return AAX_CHUNK_PARSER_OVERFLOW;

    mChunkSizes[std::this_thread::get_id()] = size;
    *outSize = static_cast<uint32_t> (size);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunk (AAX_CTypeID chunkID, AAX_SPlugInChunk* outChunk) const
{
    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    if (outChunk == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const std::lock_guard<std::mutex> lock (mChunkLock);
    const auto size = RebuildChunk();
    const auto told = mChunkSizes.find (std::this_thread::get_id());

    // The host's buffer holds the size this thread was told; anything else would not fit.
    if (size <= 0 || told == mChunkSizes.end() || told->second != size)
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;

    outChunk->fVersion = mChunkParser.GetChunkVersion();
    std::memset (outChunk->fName, 0, sizeof (outChunk->fName));
    std::memcpy (outChunk->fName, cControlsChunkName, std::strlen (cControlsChunkName));

    return mChunkParser.GetChunkData (outChunk, told->second);
}

AAX_Result AAX_CEffectParameters::SetChunk (AAX_CTypeID chunkID, const AAX_SPlugInChunk* chunk)
{
    if (chunkID != cControlsChunkID)
        return AAX_ERROR_INVALID_CHUNK_ID;

    if (chunk == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    // The parameters exist only between Initialize and Uninitialize; outside them nothing
    // could be restored, and a success would tell the host that the state was loaded.
    if (mController == nullptr)
        return AAX_ERROR_NOT_INITIALIZED;

    // Read into a parser of its own: restoring posts every value to the host, which may
    // call back into this object, so no lock may be held meanwhile.
    AAX_CChunkDataParser stored;
    AAX_Result result = stored.LoadChunk (chunk) ? AAX_SUCCESS : AAX_ERROR_MALFORMED_CHUNK;

    for (const auto index : ChunkedParameterIndices())
    {
        const auto restored = RestoreParameter (*mParameterManager.GetParameter (index), stored);

        if (result == AAX_SUCCESS)
            result = restored;
    }

    // What a damaged chunk held whole and sound has been restored; the host still learns of
    // the damage, or of the first value that did not arrive.
    return result;
}

AAX_Result AAX_CEffectParameters::CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) const
{
    if (chunk == nullptr || outIsEqual == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outIsEqual = true;

    if (chunk->fChunkID != cControlsChunkID)
        return AAX_SUCCESS;

    // A damaged chunk is simply not the active state: hosts read a failed call otherwise
    // than an answer of "not equal".
    *outIsEqual = false;
    AAX_CChunkDataParser stored;

    if (! stored.LoadChunk (chunk))
        return AAX_SUCCESS;

    for (const auto index : ChunkedParameterIndices())
        if (! MatchesChunk (*mParameterManager.GetParameter (index), stored))
            return AAX_SUCCESS;

    *outIsEqual = true;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges (int32_t* outNumChanges) const
{
    if (outNumChanges == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    // Always answered: JUCE adds its own count to whatever is there. A count that wrapped
    // round starts again from 0.
    *outNumChanges = std::max (mNumPlugInChanges.load(), 0);
    return AAX_SUCCESS;
}

//==============================================================================
std::vector<int32_t> AAX_CEffectParameters::ChunkedParameterIndices() const
{
    int32_t numParameters = 0;
    GetNumberOfParameters (&numParameters);

    std::vector<int32_t> indices;

    for (int32_t index = 0; index < numParameters; ++index)
    {
        const auto* parameter = mParameterManager.GetParameter (index);

        if (parameter == nullptr)
            ReportMissingParameter();
        else if (mExcludedFromChunk.count (parameter->Identifier()) == 0)
            indices.push_back (index);
    }

    return indices;
}

AAX_CEffectParameters::ParameterValue AAX_CEffectParameters::ReadValue (const AAX_IParameter& parameter)
{
    ParameterValue value;

    if (parameter.GetValueAsFloat (&value.floatValue))          value.kind = ValueKind::eFloat;
    else if (parameter.GetValueAsInt32 (&value.int32Value))     value.kind = ValueKind::eInt32;
    else if (parameter.GetValueAsBool (&value.boolValue))       value.kind = ValueKind::eBool;
    else if (parameter.GetValueAsDouble (&value.doubleValue))   value.kind = ValueKind::eDouble;
    else if (parameter.GetValueAsString (&value.text))          value.kind = ValueKind::eString;

    return value;
}

int32_t AAX_CEffectParameters::RebuildChunk() const
{
    mChunkParser.Clear();

    for (const auto index : ChunkedParameterIndices())
    {
        const auto& parameter = *mParameterManager.GetParameter (index);
        const auto* id = parameter.Identifier();
        const auto value = ReadValue (parameter);

        switch (value.kind)
        {
            case ValueKind::eFloat:     mChunkParser.AddDouble (id, value.floatValue); break;
            case ValueKind::eInt32:     mChunkParser.AddInt32 (id, value.int32Value); break;
            case ValueKind::eBool:      mChunkParser.AddInt32 (id, value.boolValue ? 1 : 0); break;
            case ValueKind::eDouble:    mChunkParser.AddDouble (id, value.doubleValue); break;
            case ValueKind::eString:    mChunkParser.AddString (id, value.text); break;
            case ValueKind::eNone:      break;
        }
    }

    return mChunkParser.GetChunkDataSize();
}

AAX_Result AAX_CEffectParameters::RestoreValue (AAX_IParameter& parameter, AAX_CChunkDataParser& chunk)
{
    const auto* id = parameter.Identifier();
    double d = 0.0;
    int32_t i = 0;
    AAX_CString text;

    // A number that is no number (NaN, infinity) would reach the signal chain: such an entry
    // is refused, the parameter keeps its value.
    switch (ReadValue (parameter).kind)
    {
        case ValueKind::eFloat:
            if (! chunk.FindDouble (id, &d))
                return AAX_SUCCESS;

            return std::isfinite (d) ? Arrival (parameter.SetValueWithFloat (ToFloat (d))) : AAX_ERROR_MALFORMED_CHUNK;

        case ValueKind::eDouble:
            if (! chunk.FindDouble (id, &d))
                return AAX_SUCCESS;

            return std::isfinite (d) ? Arrival (parameter.SetValueWithDouble (d)) : AAX_ERROR_MALFORMED_CHUNK;

        case ValueKind::eInt32:     return chunk.FindInt32 (id, &i) ? Arrival (parameter.SetValueWithInt32 (i)) : AAX_SUCCESS;
        case ValueKind::eBool:      return chunk.FindInt32 (id, &i) ? Arrival (parameter.SetValueWithBool (i != 0)) : AAX_SUCCESS;
        case ValueKind::eString:    return chunk.FindString (id, &text) ? Arrival (parameter.SetValueWithString (text)) : AAX_SUCCESS;
        case ValueKind::eNone:      break;
    }

    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::RestoreParameter (AAX_IParameter& parameter, AAX_CChunkDataParser& chunk)
{
    const auto before = parameter.GetNormalizedValue();
    const auto result = RestoreValue (parameter, chunk);

    if (result != AAX_SUCCESS || HostAnswersRequests())
        return result;

    // Nobody answers the request: the parameter took the value at once, and this object
    // does what the host's answer does, so that a derived class (JUCE's processor) and the
    // packets follow. The update finds the value in place already, so the change is counted
    // here.
    const auto after = parameter.GetNormalizedValue();

    if (after == before)
        return AAX_SUCCESS;

    ++mNumPlugInChanges;
    return UpdateParameterNormalizedValue (parameter.Identifier(), after, AAX_eUpdateSource_Chunk);
}

bool AAX_CEffectParameters::MatchesChunk (const AAX_IParameter& parameter, AAX_CChunkDataParser& chunk)
{
    const auto* id = parameter.Identifier();
    const auto current = ReadValue (parameter);
    double d = 0.0;
    int32_t i = 0;
    AAX_CString text;

    switch (current.kind)
    {
        case ValueKind::eFloat:     return chunk.FindDouble (id, &d) && ToFloat (d) == current.floatValue;
        case ValueKind::eInt32:     return chunk.FindInt32 (id, &i) && i == current.int32Value;
        case ValueKind::eBool:      return chunk.FindInt32 (id, &i) && (i != 0) == current.boolValue;
        case ValueKind::eDouble:    return chunk.FindDouble (id, &d) && ToFloat (d) == ToFloat (current.doubleValue);
        case ValueKind::eString:    return chunk.FindString (id, &text) && text == current.text;
        case ValueKind::eNone:      break;
    }

    return true;   // a parameter without a value to compare counts as equal
}

//==============================================================================
AAX_Result AAX_CEffectParameters::TimerWakeup()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetCurveData (AAX_CTypeID, const float*, uint32_t, float*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCustomData (AAX_CTypeID, uint32_t, void*, uint32_t* outBytesWritten) const
{
    if (outBytesWritten != nullptr)
        *outBytesWritten = 0;

    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetCustomData (AAX_CTypeID, uint32_t, const void*)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::DoMIDITransfers()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::RenderAudio_Hybrid (AAX_SHybridRenderInfo*)
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::UpdateMIDINodes (AAX_CFieldIndex, AAX_CMidiPacket&)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateControlMIDINodes (AAX_CTypeID, AAX_CMidiPacket&)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetCurveDataMeterIds (AAX_CTypeID, uint32_t*, uint32_t*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetCurveDataDisplayRange (AAX_CTypeID, float*, float*, float*, float*) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::UpdateActivePageTable (uint32_t tableType, int32_t tablePageSize,
                                                         IACFUnknown*, IACFUnknown* pageTableUnknown)
{
    AAX_VPageTable pageTable (pageTableUnknown);

    if (pageTable.GetIUnknown() == nullptr)
        return AAX_SUCCESS;

    return UpdatePageTable (tableType, tablePageSize, pageTable);
}

AAX_Result AAX_CEffectParameters::UpdatePageTable (uint32_t, int32_t, AAX_IPageTable&) const
{
    return AAX_ERROR_UNIMPLEMENTED;
}

//==============================================================================
AAX_IController* AAX_CEffectParameters::Controller()
{
    return mController != nullptr ? mController.get() : &AAX_NoHost::Controller();
}

const AAX_IController* AAX_CEffectParameters::Controller() const
{
    return mController != nullptr ? mController.get() : &AAX_NoHost::Controller();
}

AAX_ITransport* AAX_CEffectParameters::Transport()
{
    return mTransport != nullptr ? mTransport.get() : &AAX_NoHost::Transport();
}

const AAX_ITransport* AAX_CEffectParameters::Transport() const
{
    return mTransport != nullptr ? mTransport.get() : &AAX_NoHost::Transport();
}
