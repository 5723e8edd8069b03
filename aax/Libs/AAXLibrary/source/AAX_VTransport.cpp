#include "AAX_VTransport.h"
#include "AAX_HostComponents.h"

AAX_VTransport::AAX_VTransport (IACFUnknown* hostUnknown)
    : mTransportV1 (AAX::QueryHostInterface<AAX_IACFTransport> (hostUnknown, IID_IAAXTransportV1)),
      mTransportV2 (AAX::QueryHostInterface<AAX_IACFTransport_V2> (hostUnknown, IID_IAAXTransportV2))
{
}

AAX_VTransport::~AAX_VTransport() = default;

AAX_Result AAX_VTransport::GetCurrentTempo (double* outTempo) const
{
    AAX::ClearOutputs (outTempo);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentTempo (outTempo);
}

AAX_Result AAX_VTransport::GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) const
{
    AAX::ClearOutputs (outNumerator, outDenominator);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentMeter (outNumerator, outDenominator);
}

AAX_Result AAX_VTransport::IsTransportPlaying (bool* outIsPlaying) const
{
    AAX::ClearOutputs (outIsPlaying);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->IsTransportPlaying (outIsPlaying);
}

AAX_Result AAX_VTransport::GetCurrentTickPosition (int64_t* outTicks) const
{
    AAX::ClearOutputs (outTicks);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentTickPosition (outTicks);
}

AAX_Result AAX_VTransport::GetCurrentLoopPosition (bool* outLooping, int64_t* outLoopStartTick, int64_t* outLoopEndTick) const
{
    AAX::ClearOutputs (outLooping, outLoopStartTick, outLoopEndTick);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentLoopPosition (outLooping, outLoopStartTick, outLoopEndTick);
}

AAX_Result AAX_VTransport::GetCurrentNativeSampleLocation (int64_t* outSampleLocation) const
{
    AAX::ClearOutputs (outSampleLocation);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentNativeSampleLocation (outSampleLocation);
}

AAX_Result AAX_VTransport::GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) const
{
    AAX::ClearOutputs (outTicks);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCustomTickPosition (outTicks, sampleLocation);
}

AAX_Result AAX_VTransport::GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks,
                                               int64_t sampleLocation) const
{
    AAX::ClearOutputs (outBars, outBeats, outDisplayTicks);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetBarBeatPosition (outBars, outBeats, outDisplayTicks, sampleLocation);
}

AAX_Result AAX_VTransport::GetTicksPerQuarter (uint32_t* outTicks) const
{
    AAX::ClearOutputs (outTicks);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetTicksPerQuarter (outTicks);
}

AAX_Result AAX_VTransport::GetCurrentTicksPerBeat (uint32_t* outTicks) const
{
    AAX::ClearOutputs (outTicks);

    if (! mTransportV1)
        return AAX_ERROR_NULL_OBJECT;

    return mTransportV1->GetCurrentTicksPerBeat (outTicks);
}

AAX_Result AAX_VTransport::GetTimelineSelectionStartPosition (int64_t* outSampleLocation) const
{
    AAX::ClearOutputs (outSampleLocation);

    if (! mTransportV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mTransportV2->GetTimelineSelectionStartPosition (outSampleLocation);
}

AAX_Result AAX_VTransport::GetTimeCodeInfo (AAX_EFrameRate* outFrameRate, int32_t* outOffset) const
{
    AAX::ClearOutputs (outFrameRate, outOffset);

    if (! mTransportV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mTransportV2->GetTimeCodeInfo (outFrameRate, outOffset);
}

AAX_Result AAX_VTransport::GetFeetFramesInfo (AAX_EFeetFramesRate* outFeetFramesRate, int64_t* outOffset) const
{
    AAX::ClearOutputs (outFeetFramesRate, outOffset);

    if (! mTransportV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mTransportV2->GetFeetFramesInfo (outFeetFramesRate, outOffset);
}

AAX_Result AAX_VTransport::IsMetronomeEnabled (int32_t* outEnabled) const
{
    AAX::ClearOutputs (outEnabled);

    if (! mTransportV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mTransportV2->IsMetronomeEnabled (outEnabled);
}
