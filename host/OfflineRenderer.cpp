#include "OfflineRenderer.h"

#include <algorithm>
#include <cstring>

namespace tanglefix::host
{

OfflineRenderer::OfflineRenderer (AlgorithmContext& c, AAX_CProcessProc proc, const AudioData& in,
                                  int length, int reportedLatency)
    : context (c), processProc (proc), input (in),
      blockLength (std::clamp (length, 1, c.getLayout().maxBlockLength)),
      latency (std::max (0, reportedLatency))
{
    output.sampleRate = input.sampleRate;
    output.channels.assign ((size_t) context.getLayout().numOutputs,
                            std::vector<float> ((size_t) input.getNumFrames(), 0.0f));
}

void OfflineRenderer::run() noexcept
{
    const auto totalFrames = input.getNumFrames() + latency;

    for (long long start = 0; start < totalFrames; start += blockLength)
    {
        processBlock (start, (int) std::min<long long> (blockLength, totalFrames - start));
        framesDone.store (std::min (start + blockLength, input.getNumFrames()), std::memory_order_relaxed);
    }
}

void OfflineRenderer::processBlock (long long start, int length) noexcept
{
    const auto inputFrames = input.getNumFrames();
    const auto& layout = context.getLayout();

    // Input frames past the end are the silence that flushes the latency out.
    for (int ch = 0; ch < layout.numInputs; ++ch)
    {
        auto* destination = context.getInput (ch);
        const auto available = (int) std::clamp<long long> (inputFrames - start, 0, length);

        if (available > 0)
            std::memcpy (destination, input.channels[(size_t) ch].data() + start, (size_t) available * sizeof (float));

        std::fill (destination + available, destination + length, 0.0f);
    }

    context.process (processProc, length);

    // Output frame i belongs to input frame i - latency.
    for (int i = 0; i < length; ++i)
    {
        const auto target = start + i - latency;

        if (target < 0 || target >= inputFrames)
            continue;

        for (int ch = 0; ch < layout.numOutputs; ++ch)
            output.channels[(size_t) ch][(size_t) target] = context.getOutput (ch)[i];
    }
}

} // namespace tanglefix::host
