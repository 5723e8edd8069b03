#pragma once

#include "HostObject.h"

#include <AAX_Enums.h>
#include <AAX_IACFTransport.h>

#include <mutex>

namespace tanglefix::host
{

/** Where the host's timeline stands. Ticks count 960000 per quarter note. */
struct TransportState
{
    double tempo = 120.0;
    int32_t meterNumerator = 4, meterDenominator = 4;
    bool playing = false;
    int64_t tickPosition = 0;
    int64_t sampleLocation = 0;
    bool looping = false;
    int64_t loopStartTick = 0, loopEndTick = 0;
    int64_t selectionStart = 0;
    AAX_EFrameRate frameRate = AAX_eFrameRate_Undeclared;
    int32_t timeCodeOffset = 0;
    AAX_EFeetFramesRate feetFramesRate = AAX_eFeetFramesRate_23976;
    int64_t feetFramesOffset = 0;
    bool metronome = false;
    double sampleRate = 48000.0;   // for converting sample locations to ticks
};

/** The host's transport. The state is set by the host's thread and read by the instance,
    also from its audio thread, so it is guarded.
*/
class HostTransport final : public HostObjectWith<AAX_IACFTransport_V2>
{
public:
    explicit HostTransport (std::shared_ptr<HostContext> context);

    static constexpr int64_t ticksPerQuarter = 960000;

    void setState (const TransportState& newState);
    TransportState getState() const;

    // AAX_IACFTransport
    AAX_Result GetCurrentTempo (double* outTempo) const override;
    AAX_Result GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) const override;
    AAX_Result IsTransportPlaying (bool* outIsPlaying) const override;
    AAX_Result GetCurrentTickPosition (int64_t* outTicks) const override;
    AAX_Result GetCurrentLoopPosition (bool* outLooping, int64_t* outLoopStartTick, int64_t* outLoopEndTick) const override;
    AAX_Result GetCurrentNativeSampleLocation (int64_t* outSampleLocation) const override;
    AAX_Result GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) const override;
    AAX_Result GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks,
                                   int64_t sampleLocation) const override;
    AAX_Result GetTicksPerQuarter (uint32_t* outTicks) const override;
    AAX_Result GetCurrentTicksPerBeat (uint32_t* outTicks) const override;

    // AAX_IACFTransport_V2
    AAX_Result GetTimelineSelectionStartPosition (int64_t* outSampleLocation) const override;
    AAX_Result GetTimeCodeInfo (AAX_EFrameRate* outFrameRate, int32_t* outOffset) const override;
    AAX_Result GetFeetFramesInfo (AAX_EFeetFramesRate* outFeetFramesRate, int64_t* outOffset) const override;
    AAX_Result IsMetronomeEnabled (int32_t* outEnabled) const override;

private:
    void* findInterface (const acfIID& iid) override;

    /** The tick at a sample location, from the state's tempo and sample rate. */
    static int64_t ticksAt (const TransportState& state, int64_t sampleLocation);
    static int64_t ticksPerBeat (const TransportState& state);

    mutable std::mutex lock;
    TransportState state;
};

} // namespace tanglefix::host
