#pragma once

#include "ChunkWalker.h"
#include "ReplacingFile.h"

#include <memory>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;
struct SF_INFO;

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
    claim, and may be missing: nothing is allocated for it, and the reading ends where the
    data does.
*/
class AudioFileReader
{
public:
    AudioFileReader();
    ~AudioFileReader();

    AudioFileReader (const AudioFileReader&) = delete;
    AudioFileReader& operator= (const AudioFileReader&) = delete;

    /** False with a message naming the file and the reason. */
    bool open (const std::string& path, std::string& errorMessage);

    /** The claimed frame count of a file whose header gives no length (a FLAC stream's). */
    static constexpr long long unknownLength = -1;

    int getSampleRate() const noexcept          { return sampleRate; }
    int getNumChannels() const noexcept         { return numChannels; }
    long long getClaimedFrames() const noexcept { return claimedFrames; }
    long long getFramesRead() const noexcept    { return framesRead; }

    /** For WAV, RF64, Wave64 and AIFF files: the audio bytes the header declares, and those
        the file holds after the header's start of the data (libsndfile counts only the
        latter, so a cut file reads as a whole shorter one). A streaming WAV file, whose
        sizes say its length was unknown, declares what it holds. Both 0 for other formats. */
    long long getDeclaredDataBytes() const noexcept { return declaredDataBytes; }
    long long getHeldDataBytes() const noexcept     { return heldDataBytes; }

    /** True for a header never finished: its data chunk declares no audio, yet audio follows
        (getHeldDataBytes() of it, up to the chunks after it and without their padding).
        libsndfile would read none, or the chunks too; it is read as held instead. */
    bool isDataSizeMissing() const noexcept         { return dataSizeMissing; }

    /** Reads up to maxFrames into one buffer per channel: how many it read, 0 at the end
        of the data, -1 (with a message) when the file could not be read. */
    int read (float* const* channels, int maxFrames, std::string& errorMessage);

private:
    struct RawAudio;

    SNDFILE* openRaw (const ChunkWalker::Sizes&, SF_INFO&, std::string& refusal);

    std::string path;
    std::unique_ptr<RawAudio> rawAudio;   // outlives the file, which reads through it
    SNDFILE* file = nullptr;
    int sampleRate = 0, numChannels = 0;
    long long claimedFrames = 0, framesRead = 0;
    long long declaredDataBytes = 0, heldDataBytes = 0;
    bool dataSizeMissing = false;
    std::vector<float> interleaved;   // made at the first read, once the caller accepted the channels
};

/** A 32-bit float WAV file written piece by piece into a ReplacingFile: the target is only
    replaced once the file is complete, and a failed write leaves whatever was there.

    A WAV file's sizes are 32-bit, so audio expected to pass 4 GiB, or of no known length,
    goes into an RF64 file (libsndfile's, which becomes a WAV file again should it stay
    smaller); anything else is the plain WAV file it always was. Audio that passes the limit
    of a plain WAV file after all fails to write, and commit() checks the finished header
    from the file's own bytes: the target is never replaced by a file whose header does not
    account for exactly what was written.
*/
class WavFileWriter
{
public:
    WavFileWriter() = default;
    ~WavFileWriter();

    WavFileWriter (const WavFileWriter&) = delete;
    WavFileWriter& operator= (const WavFileWriter&) = delete;

    /** Checks the target and starts the temporary file for about expectedFrames frames (a
        guess, negative when unknown: it only decides the file type); false with a message. */
    bool open (const std::string& path, int sampleRate, int numChannels, long long expectedFrames,
               std::string& errorMessage);

    /** The most audio bytes a plain WAV file holds, with room left for libsndfile's header. */
    static constexpr long long maxWavDataBytes = 0xffffffffLL - 65536;

    bool write (const float* const* channels, int numFrames, std::string& errorMessage);

    /** Finishes the file and puts it in the target's place. */
    bool commit (std::string& errorMessage);

    /** Where the file is after a commit into a folder that was moved meanwhile; else empty. */
    const std::string& getMovedPath() const noexcept   { return output.getMovedPath(); }

private:
    std::string path;
    ReplacingFile output;
    SNDFILE* file = nullptr;
    int numChannels = 0;
    bool isPlainWav = true;
    long long framesWritten = 0;
    std::vector<float> interleaved;
};

/** Whole files, for short audio (test signals, tests). */
namespace AudioFile
{
    /** Reads any file libsndfile knows; false with a message naming the file and the reason. */
    bool read (const std::string& path, AudioData& result, std::string& errorMessage);

    /** Writes a 32-bit float WAV file through a WavFileWriter; movedPath, where given, is
        set to its getMovedPath(). */
    bool writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage,
                   std::string* movedPath = nullptr);

    /** True when both paths name the same existing file (through links as well). */
    bool isSameFile (const std::string& a, const std::string& b);
}

} // namespace tanglefix::host
