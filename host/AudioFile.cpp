#include "AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tanglefix::host
{

namespace
{
    constexpr int framesPerPiece = 8192;

    /** More frames than any format libsndfile reads can pack into one byte: a FLAC frame of
        65535 constant samples still takes about a dozen bytes, an Ogg packet at least one. A
        header that claims more than this for the file's size is not short, it is made up. */
    constexpr long long mostFramesPerByte = 65536;

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

    //==============================================================================
    /** The chunks of a RIFF, RF64 or AIFF file, walked only as far as the audio data. */
    class ChunkWalker
    {
    public:
        explicit ChunkWalker (const std::string& path)
            : descriptor (::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {}

        ~ChunkWalker()  { if (descriptor >= 0) ::close (descriptor); }

        ChunkWalker (const ChunkWalker&) = delete;
        ChunkWalker& operator= (const ChunkWalker&) = delete;

        /** The declared and held data bytes; false for other formats or an unreadable header. */
        bool findData (long long& declared, long long& held)
        {
            struct stat info {};
            unsigned char header[12];

            if (descriptor < 0 || fstat (descriptor, &info) != 0 || ! readAt (0, header, sizeof (header)))
                return false;

            fileSize = (long long) info.st_size;
            const auto form = std::string (reinterpret_cast<const char*> (header), 4);
            const auto type = std::string (reinterpret_cast<const char*> (header) + 8, 4);

            if ((form == "RIFF" || form == "RF64") && type == "WAVE")
                return walk ("data", false, 0, declared, held);

            if (form == "RIFX" && type == "WAVE")
                return walk ("data", true, 0, declared, held);

            // An AIFF sound chunk starts with its offset and block size.
            if (form == "FORM" && (type == "AIFF" || type == "AIFC"))
                return walk ("SSND", true, 8, declared, held);

            return false;
        }

    private:
        bool readAt (long long position, unsigned char* bytes, size_t size) const
        {
            return pread (descriptor, bytes, size, (off_t) position) == (ssize_t) size;
        }

        static unsigned long long number (const unsigned char* bytes, int size, bool bigEndian)
        {
            unsigned long long value = 0;

            for (int i = 0; i < size; ++i)
                value |= (unsigned long long) bytes[bigEndian ? size - 1 - i : i] << (8 * i);

            return value;
        }

        bool walk (const char* dataId, bool bigEndian, long long dataPrefix, long long& declared, long long& held)
        {
            constexpr int mostChunks = 4096;
            long long position = 12, ds64DataSize = -1;

            for (int i = 0; i < mostChunks && position + 8 <= fileSize; ++i)
            {
                unsigned char chunk[16];

                if (! readAt (position, chunk, 8))
                    return false;

                const auto id = std::string (reinterpret_cast<const char*> (chunk), 4);
                auto size = (long long) number (chunk + 4, 4, bigEndian);

                // RF64 keeps the 64-bit data size in its ds64 chunk, after the RIFF size.
                if (id == "ds64" && readAt (position + 8, chunk, 16))
                    ds64DataSize = (long long) number (chunk + 8, 8, false);

                if (id == dataId)
                {
                    if (size == 0xffffffffLL && ds64DataSize >= 0)
                        size = ds64DataSize;

                    declared = std::max (0LL, size - dataPrefix);
                    held = std::max (0LL, std::min (size, fileSize - position - 8) - dataPrefix);
                    return true;
                }

                position += 8 + size + (size & 1);
            }

            return false;
        }

        const int descriptor;
        long long fileSize = 0;
    };

    template <typename Audio>
    auto pointersTo (Audio& audio, long long offset)
    {
        std::vector<decltype (audio.channels[0].data())> pointers;

        for (auto& channel : audio.channels)
            pointers.push_back (channel.data() + offset);

        return pointers;
    }
}

//==============================================================================
AudioFileReader::~AudioFileReader()
{
    if (file != nullptr)
        sf_close (file);
}

bool AudioFileReader::open (const std::string& filePath, std::string& errorMessage)
{
    path = filePath;
    SF_INFO info {};

    // Only regular files: a named pipe or a device would block or never end.
    struct stat status {};

    const auto haveStatus = stat (path.c_str(), &status) == 0;

    if (haveStatus && ! S_ISREG (status.st_mode) && ! S_ISDIR (status.st_mode))
    {
        errorMessage = "cannot read " + path + ": it is no regular file";
        return false;
    }

    file = sf_open (path.c_str(), SFM_READ, &info);

    if (file == nullptr)
    {
        errorMessage = describeOpenFailure (path);
        return false;
    }

    sampleRate = info.samplerate;
    numChannels = info.channels;
    claimedFrames = std::max<sf_count_t> (0, info.frames);

    if (haveStatus && claimedFrames / mostFramesPerByte > (long long) status.st_size)
    {
        errorMessage = "cannot read " + path + ": its header claims " + std::to_string (claimedFrames)
                     + " frames, more than its " + std::to_string ((long long) status.st_size) + " bytes can hold";
        sf_close (file);
        file = nullptr;
        return false;
    }

    if (! ChunkWalker (path).findData (declaredDataBytes, heldDataBytes))
        declaredDataBytes = heldDataBytes = 0;

    return true;
}

int AudioFileReader::read (float* const* channels, int maxFrames, std::string& errorMessage)
{
    if (interleaved.empty())
        interleaved.assign ((size_t) framesPerPiece * (size_t) std::max (1, numChannels), 0.0f);

    const auto wanted = std::min (maxFrames, framesPerPiece);
    const auto frames = (int) sf_readf_float (file, interleaved.data(), wanted);

    if (frames <= 0 && sf_error (file) != SF_ERR_NO_ERROR)
    {
        errorMessage = "cannot read " + path + " after " + std::to_string (framesRead) + " frames: " + sf_strerror (file);
        return -1;
    }

    for (int i = 0; i < frames; ++i)
        for (int ch = 0; ch < numChannels; ++ch)
            channels[ch][i] = interleaved[(size_t) (i * numChannels + ch)];

    framesRead += std::max (0, frames);
    return std::max (0, frames);
}

//==============================================================================
WavFileWriter::~WavFileWriter()
{
    if (file != nullptr)
        sf_close (file);
}

bool WavFileWriter::open (const std::string& filePath, int sampleRate, int channels, long long expectedFrames,
                          std::string& errorMessage)
{
    path = filePath;

    if (! output.open (path, errorMessage))
        return false;

    // RF64 only where it is needed: libsndfile's small RF64 file, downgraded, is a WAV file
    // of another layout than its plain one, and files that other programs compare must stay
    // as they were.
    isPlainWav = expectedFrames * channels * (long long) sizeof (float) <= maxWavDataBytes;

    SF_INFO info {};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = (isPlainWav ? SF_FORMAT_WAV : SF_FORMAT_RF64) | SF_FORMAT_FLOAT;
    file = sf_open_fd (output.getDescriptor(), SFM_WRITE, &info, SF_FALSE);

    if (file != nullptr && ! isPlainWav)
        sf_command (file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);

    if (file == nullptr)
    {
        errorMessage = "cannot write " + path + ": " + sf_strerror (nullptr);
        output.discard();
        return false;
    }

    numChannels = channels;
    framesWritten = 0;
    interleaved.assign ((size_t) framesPerPiece * (size_t) channels, 0.0f);
    return true;
}

bool WavFileWriter::write (const float* const* channels, int numFrames, std::string& errorMessage)
{
    const auto bytesPerFrame = (long long) numChannels * (long long) sizeof (float);

    if (isPlainWav && (framesWritten + numFrames) * bytesPerFrame > maxWavDataBytes)
    {
        errorMessage = "cannot write " + path + ": the audio passes the 4 GiB that a WAV file holds, "
                       "though the input announced less";
        return false;
    }

    for (int start = 0; start < numFrames; start += framesPerPiece)
    {
        const auto frames = std::min (framesPerPiece, numFrames - start);

        for (int i = 0; i < frames; ++i)
            for (int ch = 0; ch < numChannels; ++ch)
                interleaved[(size_t) (i * numChannels + ch)] = channels[ch][start + i];

        if (file == nullptr || sf_writef_float (file, interleaved.data(), frames) != frames)
        {
            errorMessage = "cannot write " + path + ": the disk refused the audio";
            return false;
        }

        framesWritten += frames;
    }

    return true;
}

bool WavFileWriter::commit (std::string& errorMessage)
{
    const auto closed = file != nullptr && sf_close (file) == 0;
    file = nullptr;

    if (! closed)
    {
        errorMessage = "cannot write " + path + ": the file could not be completed";
        output.discard();
        return false;
    }

    // What a reader will see: the finished header must account for every frame written.
    // Through the descriptor: the file's permission bits may allow no reading by name.
    SF_INFO info {};
    auto* written = lseek (output.getDescriptor(), 0, SEEK_SET) == 0
                      ? sf_open_fd (output.getDescriptor(), SFM_READ, &info, SF_FALSE) : nullptr;
    const auto readsBack = written != nullptr && info.frames == framesWritten;

    if (written != nullptr)
        sf_close (written);

    if (! readsBack)
    {
        errorMessage = "cannot write " + path + ": the finished file reads back as "
                     + std::to_string (written != nullptr ? (long long) info.frames : 0LL) + " of the "
                     + std::to_string (framesWritten) + " frames written";
        output.discard();
        return false;
    }

    return output.commit (errorMessage);
}

//==============================================================================
bool AudioFile::read (const std::string& path, AudioData& result, std::string& errorMessage)
{
    AudioFileReader reader;

    if (! reader.open (path, errorMessage))
        return false;

    result.sampleRate = reader.getSampleRate();
    result.channels.assign ((size_t) reader.getNumChannels(), {});

    for (;;)
    {
        const auto start = reader.getFramesRead();

        for (auto& channel : result.channels)
            channel.resize ((size_t) (start + framesPerPiece));

        const auto frames = reader.read (pointersTo (result, start).data(), framesPerPiece, errorMessage);

        for (auto& channel : result.channels)
            channel.resize ((size_t) (start + std::max (0, frames)));

        if (frames <= 0)
            return frames == 0;
    }
}

bool AudioFile::writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage)
{
    WavFileWriter writer;

    return writer.open (path, audio.sampleRate, audio.getNumChannels(), audio.getNumFrames(), errorMessage)
        && writer.write (pointersTo (audio, 0).data(), (int) audio.getNumFrames(), errorMessage)
        && writer.commit (errorMessage);
}

bool AudioFile::isSameFile (const std::string& a, const std::string& b)
{
    struct stat first {}, second {};

    return stat (a.c_str(), &first) == 0 && stat (b.c_str(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace tanglefix::host
