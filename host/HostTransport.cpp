#include "HostTransport.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <algorithm>
#include <cmath>

namespace tanglefix::host
{

namespace
{
    /** Every out-pointer given, or the call is refused. */
    template <typename... Pointers>
    bool allGiven (Pointers*... pointers)
    {
        return ((pointers != nullptr) && ...);
    }
}

HostTransport::HostTransport (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostTransport::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::transport,
                               { { IID_IAAXTransportV1, static_cast<AAX_IACFTransport*> (this) },
                                 { IID_IAAXTransportV2, static_cast<AAX_IACFTransport_V2*> (this) } });
}

void HostTransport::setState (const TransportState& newState)
{
    const std::lock_guard<std::mutex> guard (lock);
    state = newState;
}

TransportState HostTransport::getState() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return state;
}

int64_t HostTransport::ticksAt (const TransportState& s, int64_t sampleLocation)
{
    if (s.sampleRate <= 0.0)
        return 0;

    const double quarters = static_cast<double> (sampleLocation) / s.sampleRate * s.tempo / 60.0;
    return static_cast<int64_t> (std::llround (quarters * static_cast<double> (ticksPerQuarter)));
}

int64_t HostTransport::ticksPerBeat (const TransportState& s)
{
    // A beat is the meter's note value: a quarter for x/4, an eighth for x/8.
    return s.meterDenominator > 0 ? ticksPerQuarter * 4 / s.meterDenominator : ticksPerQuarter;
}

AAX_Result HostTransport::GetCurrentTempo (double* outTempo) const
{
    if (! allGiven (outTempo))
        return AAX_ERROR_NULL_ARGUMENT;

    *outTempo = getState().tempo;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) const
{
    if (! allGiven (outNumerator, outDenominator))
        return AAX_ERROR_NULL_ARGUMENT;

    const auto s = getState();
    *outNumerator = s.meterNumerator;
    *outDenominator = s.meterDenominator;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::IsTransportPlaying (bool* outIsPlaying) const
{
    if (! allGiven (outIsPlaying))
        return AAX_ERROR_NULL_ARGUMENT;

    *outIsPlaying = getState().playing;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentTickPosition (int64_t* outTicks) const
{
    if (! allGiven (outTicks))
        return AAX_ERROR_NULL_ARGUMENT;

    *outTicks = getState().tickPosition;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentLoopPosition (bool* outLooping, int64_t* outLoopStartTick, int64_t* outLoopEndTick) const
{
    if (! allGiven (outLooping, outLoopStartTick, outLoopEndTick))
        return AAX_ERROR_NULL_ARGUMENT;

    const auto s = getState();
    *outLooping = s.looping;
    *outLoopStartTick = s.loopStartTick;
    *outLoopEndTick = s.loopEndTick;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentNativeSampleLocation (int64_t* outSampleLocation) const
{
    if (! allGiven (outSampleLocation))
        return AAX_ERROR_NULL_ARGUMENT;

    *outSampleLocation = getState().sampleLocation;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) const
{
    if (! allGiven (outTicks))
        return AAX_ERROR_NULL_ARGUMENT;

    *outTicks = ticksAt (getState(), sampleLocation);
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks,
                                              int64_t sampleLocation) const
{
    if (! allGiven (outBars, outBeats, outDisplayTicks))
        return AAX_ERROR_NULL_ARGUMENT;

    const auto s = getState();
    const auto beatTicks = ticksPerBeat (s);
    const auto beats = ticksAt (s, sampleLocation) / beatTicks;
    const auto beatsPerBar = std::max<int64_t> (1, s.meterNumerator);

    // Bars and beats count from 1, as a host shows them.
    *outBars = static_cast<int32_t> (beats / beatsPerBar + 1);
    *outBeats = static_cast<int32_t> (beats % beatsPerBar + 1);
    *outDisplayTicks = ticksAt (s, sampleLocation) % beatTicks;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetTicksPerQuarter (uint32_t* outTicks) const
{
    if (! allGiven (outTicks))
        return AAX_ERROR_NULL_ARGUMENT;

    *outTicks = static_cast<uint32_t> (ticksPerQuarter);
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentTicksPerBeat (uint32_t* outTicks) const
{
    if (! allGiven (outTicks))
        return AAX_ERROR_NULL_ARGUMENT;

    *outTicks = static_cast<uint32_t> (ticksPerBeat (getState()));
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetTimelineSelectionStartPosition (int64_t* outSampleLocation) const
{
    if (! allGiven (outSampleLocation))
        return AAX_ERROR_NULL_ARGUMENT;

    *outSampleLocation = getState().selectionStart;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetTimeCodeInfo (AAX_EFrameRate* outFrameRate, int32_t* outOffset) const
{
    if (! allGiven (outFrameRate, outOffset))
        return AAX_ERROR_NULL_ARGUMENT;

    const auto s = getState();
    *outFrameRate = s.frameRate;
    *outOffset = s.timeCodeOffset;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetFeetFramesInfo (AAX_EFeetFramesRate* outFeetFramesRate, int64_t* outOffset) const
{
    if (! allGiven (outFeetFramesRate, outOffset))
        return AAX_ERROR_NULL_ARGUMENT;

    const auto s = getState();
    *outFeetFramesRate = s.feetFramesRate;
    *outOffset = s.feetFramesOffset;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::IsMetronomeEnabled (int32_t* outEnabled) const
{
    if (! allGiven (outEnabled))
        return AAX_ERROR_NULL_ARGUMENT;

    *outEnabled = getState().metronome ? 1 : 0;
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
