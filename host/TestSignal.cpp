#include "TestSignal.h"

#include <cmath>
#include <cstdint>

namespace tanglefix::host
{

namespace
{
    /** A small generator of our own, so that the signal is the same with every library. */
    class NoiseSource
    {
    public:
        float next() noexcept
        {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return (float) ((double) (state >> 40) / (double) (1ULL << 24)) * 2.0f - 1.0f;
        }

    private:
        std::uint64_t state = 20261207;
    };

    constexpr double twoPi = 6.283185307179586476925286766559;
}

AudioData makeTestSignal (double seconds, int sampleRate, int numChannels)
{
    const auto rate = (double) sampleRate;
    const auto numFrames = (size_t) std::llround (seconds * rate);

    AudioData signal;
    signal.sampleRate = sampleRate;
    signal.channels.assign ((size_t) numChannels, std::vector<float> (numFrames));

    const auto sweepLevel = std::pow (10.0, -12.0 / 20.0);
    const auto burstLevel = (float) (std::pow (10.0, -18.0 / 20.0) * std::sqrt (3.0));   // uniform noise's RMS
    const auto logRatio = std::log (20000.0 / 20.0);
    const auto duration = (double) numFrames / rate;
    NoiseSource noise;
    double phase = 0.0;

    for (size_t i = 0; i < numFrames; ++i)
    {
        const auto t = (double) i / rate;
        const auto frequency = 20.0 * std::exp (logRatio * t / duration);
        phase = std::fmod (phase + twoPi * frequency / rate, twoPi);
        const auto sweep = (float) (sweepLevel * std::sin (phase));
        const auto inBurst = std::fmod (t, 0.5) < 0.1;

        for (auto& channel : signal.channels)
            channel[i] = sweep + (inBurst ? burstLevel * noise.next() : 0.0f);
    }

    return signal;
}

} // namespace tanglefix::host
