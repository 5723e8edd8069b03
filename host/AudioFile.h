#pragma once

#include "ReplacingFile.h"

#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

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

/** A sound file read piece by piece through libsndfile (any format it knows), so that
    nothing grows with the file's length. The frame count its header gives is only a
    claim: nothing is allocated for it, and the reading ends where the data does.
*/
class AudioFileReader
{
public:
    AudioFileReader() = default;
    ~AudioFileReader();

    AudioFileReader (const AudioFileReader&) = delete;
    AudioFileReader& operator= (const AudioFileReader&) = delete;

    /** False with a message naming the file and the reason. */
    bool open (const std::string& path, std::string& errorMessage);

    int getSampleRate() const noexcept          { return sampleRate; }
    int getNumChannels() const noexcept         { return numChannels; }
    long long getClaimedFrames() const noexcept { return claimedFrames; }
    long long getFramesRead() const noexcept    { return framesRead; }

    /** Reads up to maxFrames into one buffer per channel: how many it read, 0 at the end
        of the data, -1 (with a message) when the file could not be read. */
    int read (float* const* channels, int maxFrames, std::string& errorMessage);

private:
    std::string path;
    SNDFILE* file = nullptr;
    int sampleRate = 0, numChannels = 0;
    long long claimedFrames = 0, framesRead = 0;
    std::vector<float> interleaved;
};

/** A 32-bit float WAV file written piece by piece into a ReplacingFile: the target is only
    replaced once the file is complete, and a failed write leaves whatever was there.
*/
class WavFileWriter
{
public:
    WavFileWriter() = default;
    ~WavFileWriter();

    WavFileWriter (const WavFileWriter&) = delete;
    WavFileWriter& operator= (const WavFileWriter&) = delete;

    /** Checks the target and starts the temporary file; false with a message. */
    bool open (const std::string& path, int sampleRate, int numChannels, std::string& errorMessage);

    bool write (const float* const* channels, int numFrames, std::string& errorMessage);

    /** Finishes the file and puts it in the target's place. */
    bool commit (std::string& errorMessage);

private:
    std::string path;
    ReplacingFile output;
    SNDFILE* file = nullptr;
    int numChannels = 0;
    std::vector<float> interleaved;
};

/** Whole files, for short audio (test signals, tests). */
namespace AudioFile
{
    /** Reads any file libsndfile knows; false with a message naming the file and the reason. */
    bool read (const std::string& path, AudioData& result, std::string& errorMessage);

    /** Writes a 32-bit float WAV file through a WavFileWriter. */
    bool writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage);

    /** True when both paths name the same existing file (through links as well). */
    bool isSameFile (const std::string& a, const std::string& b);
}

} // namespace tanglefix::host
