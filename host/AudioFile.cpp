#include "AudioFile.h"

#include "ChunkWalker.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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
/** The audio of a header never finished, as libsndfile's RAW format is shown it: exactly the
    bytes that hold it, however many, so that no size need be mended and none is cut at what
    a header can count. A failed read is kept, to be reported, not taken for the end. */
struct AudioFileReader::RawAudio
{
    RawAudio (int d, long long audioStart, long long audioBytes) : descriptor (d), start (audioStart), length (audioBytes) {}
    ~RawAudio()  { close (descriptor); }

    static RawAudio& of (void* self)          { return *static_cast<RawAudio*> (self); }
    static sf_count_t getLength (void* self)  { return of (self).length; }
    static sf_count_t tell (void* self)       { return of (self).position; }

    static sf_count_t seek (sf_count_t offset, int whence, void* self)
    {
        auto& view = of (self);
        const auto base = whence == SEEK_CUR ? view.position : whence == SEEK_END ? view.length : 0;
        view.position = std::max<sf_count_t> (0, base + offset);
        return view.position;
    }

    static sf_count_t read (void* destination, sf_count_t count, void* self)
    {
        auto& view = of (self);
        const auto wanted = std::clamp<sf_count_t> (view.length - view.position, 0, count);
        sf_count_t done = 0;

        while (done < wanted)
        {
            const auto got = pread (view.descriptor, static_cast<char*> (destination) + done, (size_t) (wanted - done),
                                    (off_t) (view.start + view.position + done));

            if (got < 0 && errno == EINTR)
                continue;

            if (got < 0)
                view.error = errno;

            if (got <= 0)
                break;   // an error, or a file cut meanwhile: its end

            done += got;
        }

        view.position += done;
        return done;
    }

    static sf_count_t write (const void*, sf_count_t, void*)  { return 0; }

    const int descriptor;
    const long long start, length;
    long long position = 0;
    int error = 0;
};

namespace
{
    /** The bytes of a sample in the encodings that RAW reads as any header does; 0 for those
        packed in blocks, which only the reading of their own format knows. */
    int bytesPerSample (int subtype)
    {
        switch (subtype)
        {
            case SF_FORMAT_PCM_S8: case SF_FORMAT_PCM_U8: case SF_FORMAT_ALAW: case SF_FORMAT_ULAW: return 1;
            case SF_FORMAT_PCM_16: return 2;
            case SF_FORMAT_PCM_24: return 3;
            case SF_FORMAT_PCM_32: case SF_FORMAT_FLOAT: return 4;
            case SF_FORMAT_DOUBLE: return 8;
            default: return 0;
        }
    }

    /** The audio bytes without the padding before the chunks after them: the fewest of the
        zeros there whose removal leaves whole frames. Audio that ends in zeros there cannot
        be told from padding; at most a frame of it is taken for that. */
    long long withoutPadding (long long heldBytes, int trailingZeros, long long frameBytes)
    {
        for (int zeros = 1; zeros <= trailingZeros; ++zeros)
            if ((heldBytes - zeros) % frameBytes == 0)
                return heldBytes - zeros;

        return heldBytes;
    }
}

AudioFileReader::AudioFileReader() = default;

AudioFileReader::~AudioFileReader()
{
    if (file != nullptr)
        sf_close (file);
}

SNDFILE* AudioFileReader::openRaw (const ChunkWalker::Sizes& sizes, SF_INFO& info, std::string& refusal)
{
    const auto descriptor = ::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status {};

    if (descriptor < 0 || fstat (descriptor, &status) != 0 || ! S_ISREG (status.st_mode))
    {
        if (descriptor >= 0)
            close (descriptor);

        return nullptr;
    }

    // libsndfile reads the encoding from the header as it stands (the fmt or COMM chunk);
    // only its sizes are unusable.
    SF_INFO header {};
    auto* headerOnly = sf_open_fd (descriptor, SFM_READ, &header, SF_FALSE);

    if (headerOnly == nullptr)
    {
        close (descriptor);
        return nullptr;
    }

    const auto swapped = sf_command (headerOnly, SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) == SF_TRUE;
    sf_close (headerOnly);

    const auto encoding = header.format & SF_FORMAT_SUBMASK;
    const auto sampleBytes = bytesPerSample (encoding);

    if (sampleBytes == 0 || header.channels <= 0)
    {
        refusal = "cannot read " + path + ": its header was never finished, and its encoding can only be read "
                       "with a finished one";
        close (descriptor);
        return nullptr;
    }

    constexpr auto cpuIsBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;
    info = {};
    info.samplerate = header.samplerate;
    info.channels = header.channels;
    info.format = SF_FORMAT_RAW | encoding | (swapped != cpuIsBigEndian ? SF_ENDIAN_BIG : SF_ENDIAN_LITTLE);

    const auto audioBytes = withoutPadding (sizes.heldData, sizes.trailingZeros, (long long) sampleBytes * header.channels);
    rawAudio = std::make_unique<RawAudio> (descriptor, sizes.audioStart, audioBytes);
    static SF_VIRTUAL_IO callbacks { RawAudio::getLength, RawAudio::seek, RawAudio::read, RawAudio::write, RawAudio::tell };
    return sf_open_virtual (&callbacks, SFM_READ, &info, rawAudio.get());
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

    // A header that declares no audio while audio follows (one never finished) is read as
    // the file holds it: libsndfile would mostly find none, and render an empty file.
    const auto sizes = ChunkWalker (path).walk();
    dataSizeMissing = sizes.has_value() && sizes->dataSizeMissing;
    std::string refusal;
    file = dataSizeMissing ? openRaw (*sizes, info, refusal) : sf_open (path.c_str(), SFM_READ, &info);

    if (file == nullptr)
    {
        errorMessage = refusal.empty() ? describeOpenFailure (path) : refusal;
        return false;
    }

    sampleRate = info.samplerate;
    numChannels = info.channels;

    // libsndfile's SF_COUNT_MAX is no claim but "unknown", as for a FLAC stream whose header
    // gives no length: such a file is read to its end.
    claimedFrames = info.frames == SF_COUNT_MAX ? unknownLength : std::max<sf_count_t> (0, info.frames);

    if (haveStatus && claimedFrames / mostFramesPerByte > (long long) status.st_size)
    {
        errorMessage = "cannot read " + path + ": its header claims " + std::to_string (claimedFrames)
                     + " frames, more than its " + std::to_string ((long long) status.st_size) + " bytes can hold";
        sf_close (file);
        file = nullptr;
        return false;
    }

    if (sizes.has_value())
    {
        // A streaming file's sizes only say that its length was unknown: it holds what it holds.
        heldDataBytes = dataSizeMissing ? rawAudio->length : sizes->heldData;
        declaredDataBytes = sizes->lengthUnknown ? sizes->heldData : sizes->declaredData;
    }

    return true;
}

int AudioFileReader::read (float* const* channels, int maxFrames, std::string& errorMessage)
{
    if (interleaved.empty())
        interleaved.assign ((size_t) framesPerPiece * (size_t) std::max (1, numChannels), 0.0f);

    const auto wanted = std::min (maxFrames, framesPerPiece);
    const auto frames = (int) sf_readf_float (file, interleaved.data(), wanted);

    if (rawAudio != nullptr && rawAudio->error != 0)
    {
        errorMessage = "cannot read " + path + " after " + std::to_string (framesRead) + " frames: " + std::strerror (rawAudio->error);
        return -1;
    }

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
    // as they were. Without a length (an input that gives none) nothing says a plain WAV
    // file will do, and the header is written before the first frame: RF64, which stays
    // a WAV file should the audio fit one.
    isPlainWav = expectedFrames >= 0 && expectedFrames * channels * (long long) sizeof (float) <= maxWavDataBytes;

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

    // What other readers will see, from the file's own bytes: libsndfile's sf_close reports
    // no failed header write, and its reading mends an unfinished header (a data size of 0
    // reads as the rest of the file). Through the descriptor: the file's permission bits may
    // allow no reading by name.
    std::string problem;

    if (! ChunkWalker (output.getDescriptor()).accountsFor (framesWritten * numChannels * (long long) sizeof (float), problem))
    {
        errorMessage = "cannot write " + path + ": the finished file does not hold the " + std::to_string (framesWritten)
                     + " frames written: " + problem;
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

bool AudioFile::writeWav (const std::string& path, const AudioData& audio, std::string& errorMessage, std::string* movedPath)
{
    WavFileWriter writer;

    const auto written = writer.open (path, audio.sampleRate, audio.getNumChannels(), audio.getNumFrames(), errorMessage)
                      && writer.write (pointersTo (audio, 0).data(), (int) audio.getNumFrames(), errorMessage)
                      && writer.commit (errorMessage);

    if (movedPath != nullptr)
        *movedPath = writer.getMovedPath();

    return written;
}

bool AudioFile::isSameFile (const std::string& a, const std::string& b)
{
    struct stat first {}, second {};

    return stat (a.c_str(), &first) == 0 && stat (b.c_str(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace tanglefix::host
