#include "OfflineRenderer.h"

#include "AudioThread.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace tanglefix::host
{

namespace
{
    // Enough for several blocks of the longest length and for a good stretch of the audio
    // thread's work between two rounds of the main thread: 64k frames, 256 KB a channel.
    constexpr int minimumRingFrames = 65536;
    constexpr auto waitWhenStalled = std::chrono::microseconds (200);
}

//==============================================================================
OfflineRenderer::Ring::Ring (int numChannels, int frames)
    : channels ((size_t) numChannels, std::vector<float> ((size_t) frames, 0.0f)),
      capacity (frames)
{
}

std::vector<float*> OfflineRenderer::Ring::pointersAt (long long position)
{
    std::vector<float*> pointers;

    for (auto& channel : channels)
        pointers.push_back (channel.data() + position % capacity);

    return pointers;
}

int OfflineRenderer::Ring::contiguousFrom (long long position) const noexcept
{
    return capacity - (int) (position % capacity);
}

namespace
{
    void copyFromRing (const std::vector<float>& ring, long long position, float* destination, int numFrames) noexcept
    {
        const auto capacity = (long long) ring.size();
        const auto start = (int) (position % capacity);
        const auto first = std::min (numFrames, (int) capacity - start);

        std::memcpy (destination, ring.data() + start, (size_t) first * sizeof (float));
        std::memcpy (destination + first, ring.data(), (size_t) (numFrames - first) * sizeof (float));
    }

    void copyToRing (std::vector<float>& ring, long long position, const float* source, int numFrames) noexcept
    {
        const auto capacity = (long long) ring.size();
        const auto start = (int) (position % capacity);
        const auto first = std::min (numFrames, (int) capacity - start);

        std::memcpy (ring.data() + start, source, (size_t) first * sizeof (float));
        std::memcpy (ring.data(), source + first, (size_t) (numFrames - first) * sizeof (float));
    }
}

//==============================================================================
OfflineRenderer::OfflineRenderer (AlgorithmContext& c, AAX_CProcessProc proc, int length, int reportedLatency)
    : context (c), processProc (proc),
      blockLength (std::clamp (length, 1, c.getLayout().maxBlockLength)),
      latency (std::max (0, reportedLatency)),
      input (c.getLayout().numInputs, std::max (minimumRingFrames, 4 * blockLength)),
      output (c.getLayout().numOutputs, std::max (minimumRingFrames, 4 * blockLength))
{
}

bool OfflineRenderer::render (const Source& source, const Sink& sink, const std::function<void()>& idle)
{
    auto failed = false;
    AudioThread audioThread ([this] { run(); });

    audioThread.serveUntilFinished ([&]
    {
        if (! failed)
            failed = ! pump (source, sink);

        idle();
    }, std::chrono::milliseconds (1));

    return ! failed;
}

void OfflineRenderer::run() noexcept
{
    long long position = 0;

    while (! stopped.load (std::memory_order_acquire))
    {
        const auto ended = inputEnded.load (std::memory_order_acquire);
        const auto available = inputAvailable.load (std::memory_order_acquire);

        if (ended && position >= available + latency)
            return;

        if (! processNextBlock (position))
            std::this_thread::sleep_for (waitWhenStalled);
    }
}

bool OfflineRenderer::processNextBlock (long long& position) noexcept
{
    const auto ended = inputEnded.load (std::memory_order_acquire);
    const auto available = inputAvailable.load (std::memory_order_acquire);
    const auto length = ended ? (int) std::min<long long> (blockLength, available + latency - position) : blockLength;

    if (! ended && available < position + length)
        return false;

    // Output frame i of the block belongs to input frame position + i - latency; the
    // output ends where the input did.
    const auto firstTarget = std::max (0LL, position - latency);
    const auto endTarget = ended ? std::min (position + length - latency, available) : position + length - latency;
    const auto numOutputFrames = (int) std::max (0LL, endTarget - firstTarget);

    if (outputMade.load (std::memory_order_relaxed) - outputTaken.load (std::memory_order_acquire) + numOutputFrames
          > output.capacity)
        return false;

    const auto& layout = context.getLayout();
    const auto numInputFrames = (int) std::clamp<long long> (available - position, 0, length);

    // Input frames past the end are the silence that flushes the latency out.
    for (int ch = 0; ch < layout.numInputs; ++ch)
    {
        auto* destination = context.getInput (ch);
        copyFromRing (input.channels[(size_t) ch], position, destination, numInputFrames);
        std::fill (destination + numInputFrames, destination + length, 0.0f);
    }

    inputTaken.store (position + numInputFrames, std::memory_order_release);
    context.process (processProc, length);

    const auto made = outputMade.load (std::memory_order_relaxed);
    const auto firstInBlock = (int) (firstTarget - (position - latency));

    for (int ch = 0; ch < layout.numOutputs; ++ch)
        copyToRing (output.channels[(size_t) ch], made, context.getOutput (ch) + firstInBlock, numOutputFrames);

    outputMade.store (made + numOutputFrames, std::memory_order_release);
    position += length;
    framesDone.store (std::min (position, available), std::memory_order_relaxed);
    return true;
}

//==============================================================================
bool OfflineRenderer::pump (const Source& source, const Sink& sink)
{
    if (fillInput (source) && drainOutput (sink))
        return true;

    stopped.store (true, std::memory_order_release);
    return false;
}

bool OfflineRenderer::fillInput (const Source& source)
{
    while (! inputEnded.load (std::memory_order_relaxed))
    {
        const auto available = inputAvailable.load (std::memory_order_relaxed);
        const auto space = input.capacity - (int) (available - inputTaken.load (std::memory_order_acquire));

        if (space <= 0)
            return true;

        const auto frames = source (input.pointersAt (available).data(), std::min (space, input.contiguousFrom (available)));

        if (frames < 0)
            return false;

        if (frames == 0)
            inputEnded.store (true, std::memory_order_release);
        else
            inputAvailable.store (available + frames, std::memory_order_release);
    }

    return true;
}

bool OfflineRenderer::drainOutput (const Sink& sink)
{
    for (;;)
    {
        const auto taken = outputTaken.load (std::memory_order_relaxed);
        const auto waiting = outputMade.load (std::memory_order_acquire) - taken;

        if (waiting <= 0)
            return true;

        const auto frames = (int) std::min<long long> (waiting, output.contiguousFrom (taken));
        const auto pointers = output.pointersAt (taken);

        if (! sink (pointers.data(), frames))
            return false;

        outputTaken.store (taken + frames, std::memory_order_release);
    }
}

//==============================================================================
AudioData renderInMemory (OfflineRenderer& renderer, const AudioData& input, int numOutputs,
                          const std::function<void()>& idle)
{
    AudioData output;
    output.sampleRate = input.sampleRate;
    output.channels.assign ((size_t) numOutputs, {});
    long long position = 0;

    const auto source = [&] (float* const* channels, int maxFrames)
    {
        const auto frames = (int) std::min<long long> (maxFrames, input.getNumFrames() - position);

        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            std::copy_n (input.channels[(size_t) ch].data() + position, frames, channels[ch]);

        position += frames;
        return frames;
    };

    const auto sink = [&] (const float* const* channels, int frames)
    {
        for (int ch = 0; ch < numOutputs; ++ch)
            output.channels[(size_t) ch].insert (output.channels[(size_t) ch].end(), channels[ch], channels[ch] + frames);

        return true;
    };

    renderer.render (source, sink, idle);
    return output;
}

} // namespace tanglefix::host
