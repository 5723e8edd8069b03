#pragma once

#include "AlgorithmContext.h"
#include "AudioFile.h"

#include <atomic>
#include <functional>

namespace tanglefix::host
{

/** Streams a recording of any length through one instance's process procedure, block by
    block, in memory that does not grow with the recording.

    Two rings of a fixed size stand between the threads: the main thread fills the input
    ring from its source and empties the output ring into its sink (pump), the host's
    audio thread moves the audio from one to the other through the plug-in (run). The
    plug-in's reported latency is compensated: the input is followed by that many samples
    of silence and the first that many output samples are dropped, so the result lines up
    with the input and has its length. Everything is allocated in the constructor; run()
    allocates nothing and takes no lock.
*/
class OfflineRenderer
{
public:
    /** Fills one buffer per input channel with up to maxFrames frames: how many it gave,
        0 at the end, a negative number when it failed (the render then stops). */
    using Source = std::function<int (float* const* channels, int maxFrames)>;

    /** Takes numFrames aligned output frames, one buffer per output channel; false when it
        failed (the render then stops). */
    using Sink = std::function<bool (const float* const* channels, int numFrames)>;

    OfflineRenderer (AlgorithmContext& context, AAX_CProcessProc processProc, int blockLength, int latency);

    /** Main thread: renders everything the source gives on an audio thread of its own,
        calling idle between the rounds of pumping; false when the source or the sink
        failed. */
    bool render (const Source& source, const Sink& sink, const std::function<void()>& idle);

    /** Audio thread: renders until the input has ended and gone through, or until stopped. */
    void run() noexcept;

    /** Main thread, beside run(): moves what it can between the rings and the source and
        sink; false (and the render stops) when either failed. */
    bool pump (const Source& source, const Sink& sink);

    /** Any thread: how many input frames have been through the plug-in so far. */
    long long getFramesDone() const noexcept   { return framesDone.load (std::memory_order_relaxed); }

private:
    struct Ring
    {
        Ring (int numChannels, int capacity);

        std::vector<float*> pointersAt (long long position);
        int contiguousFrom (long long position) const noexcept;

        std::vector<std::vector<float>> channels;
        int capacity;
    };

    bool processNextBlock (long long& position) noexcept;
    bool fillInput (const Source& source);
    bool drainOutput (const Sink& sink);

    AlgorithmContext& context;
    AAX_CProcessProc processProc;
    const int blockLength;
    const int latency;

    Ring input, output;

    // Counts of frames since the start, each written by one thread only.
    std::atomic<long long> inputAvailable { 0 }, inputTaken { 0 };
    std::atomic<long long> outputMade { 0 }, outputTaken { 0 };
    std::atomic<bool> inputEnded { false }, stopped { false };
    std::atomic<long long> framesDone { 0 };
};

/** The whole of `input` through a renderer, for audio held in memory. */
AudioData renderInMemory (OfflineRenderer& renderer, const AudioData& input, int numOutputs,
                          const std::function<void()>& idle);

} // namespace tanglefix::host
