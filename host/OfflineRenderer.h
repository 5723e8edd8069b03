#pragma once

#include "AlgorithmContext.h"
#include "AudioFile.h"

#include <atomic>

namespace tanglefix::host
{

/** Pushes a whole recording through one instance's process procedure, block by block, on
    the thread that calls run() (the host's audio thread).

    The plug-in's reported latency is compensated: the input is followed by that many
    samples of silence and the first that many output samples are dropped, so the result
    lines up with the input and has its length. Everything is allocated before run(), which
    allocates nothing itself.
*/
class OfflineRenderer
{
public:
    /** input must have as many channels as the context has inputs. */
    OfflineRenderer (AlgorithmContext& context, AAX_CProcessProc processProc, const AudioData& input,
                     int blockLength, int latency);

    /** Audio thread: renders everything. */
    void run() noexcept;

    /** Any thread: how many input frames have been through the plug-in so far. */
    long long getFramesDone() const noexcept   { return framesDone.load (std::memory_order_relaxed); }
    long long getTotalFrames() const noexcept  { return input.getNumFrames(); }

    /** After run(): the aligned output, one channel per plug-in output. */
    AudioData& getOutput() noexcept   { return output; }

private:
    void processBlock (long long start, int length) noexcept;

    AlgorithmContext& context;
    AAX_CProcessProc processProc;
    const AudioData& input;
    const int blockLength;
    const int latency;

    AudioData output;
    std::atomic<long long> framesDone { 0 };
};

} // namespace tanglefix::host
