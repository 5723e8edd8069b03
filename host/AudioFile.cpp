#include "AudioFile.h"

#include <sndfile.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace tanglefix::host
{

namespace
{
    constexpr sf_count_t framesPerChunk = 65536;

    std::string describeOpenFailure (const std::string& path)
    {
        struct stat info {};

        if (stat (path.c_str(), &info) != 0)
            return "cannot read " + path + ": no such file";

        if (S_ISDIR (info.st_mode))
            return "cannot read " + path + ": it is a folder";

        if (access (path.c_str(), R_OK) != 0)
            return "cannot read " + path + ": permission denied";

        return "cannot read " + path + ": " + sf_strerror (nullptr);
    }

    bool writeAll (SNDFILE* file, const AudioData& audio)
    {
        const auto numChannels = (size_t) audio.getNumChannels();
        std::vector<float> interleaved ((size_t) framesPerChunk * numChannels);

        for (long long start = 0; start < audio.getNumFrames(); start += framesPerChunk)
        {
            const auto frames = std::min<long long> (framesPerChunk, audio.getNumFrames() - start);

            for (long long i = 0; i < frames; ++i)
                for (size_t ch = 0; ch < numChannels; ++ch)
                    interleaved[(size_t) i * numChannels + ch] = audio.channels[ch][(size_t) (start + i)];

            if (sf_writef_float (file, interleaved.data(), frames) != frames)
                return false;
        }

        return true;
    }
}

bool AudioFile::read (const std::string& path, AudioData& result, std::string& errorMessage)
{
    SF_INFO info {};
    auto* file = sf_open (path.c_str(), SFM_READ, &info);

    if (file == nullptr)
    {
        errorMessage = describeOpenFailure (path);
        return false;
    }

    result.sampleRate = info.samplerate;
    result.channels.assign ((size_t) info.channels, {});

    for (auto& channel : result.channels)
        channel.reserve ((size_t) std::max<sf_count_t> (0, info.frames));

    std::vector<float> interleaved ((size_t) framesPerChunk * (size_t) info.channels);
    sf_count_t frames = 0;

    while ((frames = sf_readf_float (file, interleaved.data(), framesPerChunk)) > 0)
        for (sf_count_t i = 0; i < frames; ++i)
            for (size_t ch = 0; ch < result.channels.size(); ++ch)
                result.channels[ch].push_back (interleaved[(size_t) i * result.channels.size() + ch]);

    const auto error = sf_error (file);
    sf_close (file);

    if (error != SF_ERR_NO_ERROR)
    {
        errorMessage = "cannot read " + path + ": " + sf_error_number (error);
        return false;
    }

    return true;
}

bool AudioFile::writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage)
{
    SF_INFO info {};
    info.samplerate = audio.sampleRate;
    info.channels = audio.getNumChannels();
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

    const auto temporary = path + ".part";
    auto* file = sf_open (temporary.c_str(), SFM_WRITE, &info);

    if (file == nullptr)
    {
        errorMessage = "cannot write " + path + ": " + sf_strerror (nullptr);
        return false;
    }

    const auto written = writeAll (file, audio);
    const auto closed = sf_close (file) == 0;

    if (! written || ! closed || std::rename (temporary.c_str(), path.c_str()) != 0)
    {
        std::remove (temporary.c_str());
        errorMessage = "cannot write " + path + (written ? ": the file could not be completed" : ": the disk refused the audio");
        return false;
    }

    return true;
}

bool AudioFile::isSameFile (const std::string& a, const std::string& b)
{
    struct stat first {}, second {};

    return stat (a.c_str(), &first) == 0 && stat (b.c_str(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace tanglefix::host
