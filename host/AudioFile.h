#pragma once

#include <string>
#include <vector>

namespace tanglefix::host
{

/** Audio held in memory, one vector per channel. */
struct AudioData
{
    int sampleRate = 48000;
    std::vector<std::vector<float>> channels;

    int getNumChannels() const noexcept   { return (int) channels.size(); }
    long long getNumFrames() const noexcept { return channels.empty() ? 0 : (long long) channels[0].size(); }
};

/** Reading and writing sound files through libsndfile. */
namespace AudioFile
{
    /** Reads any file libsndfile knows; false with a message naming the file and the reason. */
    bool read (const std::string& path, AudioData& result, std::string& errorMessage);

    /** Writes a 32-bit float WAV file. The audio goes to a temporary file beside the target,
        which replaces the target only once it is complete: a failed write leaves whatever was
        there before.
    */
    bool writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage);

    /** True when both paths name the same existing file (through links as well). */
    bool isSameFile (const std::string& a, const std::string& b);
}

} // namespace tanglefix::host
