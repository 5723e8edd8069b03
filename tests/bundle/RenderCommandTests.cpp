// The render command end to end: files in, the bundle through the host, a file out that
// lines up with the input, and a clear refusal (with nothing written) for everything it
// cannot do.

#include "BundleHarness.h"
#include "WrapperLikeProcessor.h"

#include "ChunkFile.h"
#include "RenderCommand.h"
#include "../TestFolder.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sndfile.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace bundle_test;

namespace
{
    using Folder = tanglefix_tests::TestFolder;
    using tanglefix_tests::contentsOf;

    struct Result
    {
        int exitCode;
        std::string out, err;
    };

    Result render (std::vector<std::string> args)
    {
        args.insert (args.begin(), TANGLEFIX_BUNDLE);
        RenderOptions options;
        std::string error;

        if (! options.parse (args, error))
            return { RenderCommand::badArguments, {}, error };

        std::ostringstream out, err;
        const auto code = RenderCommand (options).run (out, err);
        return { code, out.str(), err.str() };
    }

    std::string writeFile (const Folder& folder, const std::string& name, const AudioData& audio)
    {
        std::string error;
        EXPECT_TRUE (AudioFile::writeWav (folder.file (name), audio, error)) << error;
        return folder.file (name);
    }

    AudioData readFile (const std::string& path)
    {
        AudioData audio;
        std::string error;
        EXPECT_TRUE (AudioFile::read (path, audio, error)) << error;
        return audio;
    }

    /** The reference's output for the input followed by `latency` zeros, less its first
        `latency` samples: what a compensated render must give.
    */
    AudioData compensated (WrapperLikeProcessor& reference, AudioData input, int latency, int block)
    {
        for (auto& channel : input.channels)
            channel.resize (channel.size() + (size_t) latency, 0.0f);

        auto output = reference.render (input, block);

        for (auto& channel : output.channels)
            channel.erase (channel.begin(), channel.begin() + latency);

        return output;
    }
}

TEST (RenderCommand, RendersLikeTheProcessorWithTheLatencyTakenOff)
{
    Folder folder;
    const auto input = makeNoise (2, 20000, 44100, 21);
    const auto in = writeFile (folder, "in.wav", input);

    const auto result = render ({ in, folder.file ("out.wav"), "--oversample", "4", "--limiter",
                                  "--set", "Gain=0.7", "--set", "1=0.2", "--block", "300" });
    ASSERT_EQ (result.exitCode, RenderCommand::success) << result.err;
    EXPECT_NE (result.out.find ("Oversampling: 4x"), std::string::npos) << result.out;
    EXPECT_NE (result.out.find ("Limiter: on"), std::string::npos) << result.out;

    // The same settings, made the same way, in the processor driven directly.
    WrapperLikeProcessor reference (ChannelLayout::stereo, 44100.0);
    juce::MemoryBlock state;
    reference.get().getStateInformation (state);
    std::vector<unsigned char> bytes (static_cast<const unsigned char*> (state.getData()),
                                      static_cast<const unsigned char*> (state.getData()) + state.getSize());
    std::string error;
    ASSERT_TRUE (StateChunkEditor::setRootAttributes (bytes, { { "Oversample", "4" }, { "Limiter", "1" } }, error));
    reference.setState (bytes);
    reference.setParameter (3, 0.7);
    reference.setParameter (1, 0.2);
    reference.prepareWithSettingsInPlace();

    const auto latency = reference.get().getLatencySamples();
    ASSERT_GT (latency, 0);

    const auto output = readFile (folder.file ("out.wav"));
    EXPECT_EQ (output.sampleRate, 44100);
    EXPECT_EQ (output.channels, compensated (reference, input, latency, 300).channels);
}

TEST (RenderCommand, MasterBypassGivesTheInputBackAndStateFilesComeFirst)
{
    Folder folder;
    const auto input = makeNoise (1, 9000, 96000, 8);
    const auto in = writeFile (folder, "in.wav", input);

    // At every factor, from the first sample: at 16x the oversampler's latency has a
    // fraction, which the host's whole-number compensation must not leave in the signal.
    for (const auto factor : { "1", "2", "4", "8", "16" })
    {
        auto bypassed = render ({ in, folder.file ("bypassed.wav"), "--bypass", "--oversample", factor,
                                  "--layout", "mono-stereo" });
        ASSERT_EQ (bypassed.exitCode, RenderCommand::success) << bypassed.err;
        const auto through = readFile (folder.file ("bypassed.wav"));
        ASSERT_EQ (through.getNumChannels(), 2);
        EXPECT_EQ (through.channels[0], input.channels[0]) << factor << "x";
        EXPECT_EQ (through.channels[1], input.channels[0]) << factor << "x";
    }

    // A chunk file as `chunk get` writes it: an instance's chunks with Gain at 0.9.
    {
        BundleSession bundle;
        auto instance = bundle.makeInstance (ChannelLayout::mono);
        ASSERT_NE (instance, nullptr);
        ASSERT_EQ (instance->setParameter ("3", 0.9), AAX_SUCCESS);
        std::vector<ChunkRecord> chunks (2);
        ASSERT_EQ (instance->getInstance().getChunk (controlsChunkID, chunks[0]), AAX_SUCCESS);
        ASSERT_EQ (instance->getInstance().getChunk (juceChunkID, chunks[1]), AAX_SUCCESS);
        std::string error;
        ASSERT_TRUE (ChunkFile::write (folder.file ("state.chunks"), chunks, error)) << error;
    }

    const auto restored = render ({ in, folder.file ("restored.wav"), "--state", folder.file ("state.chunks") });
    ASSERT_EQ (restored.exitCode, RenderCommand::success) << restored.err;
    EXPECT_NE (restored.out.find ("Gain: 0.9"), std::string::npos) << restored.out;
}

TEST (RenderCommand, RefusesWhatItCannotDoAndWritesNothing)
{
    Folder folder;
    const auto stereo = writeFile (folder, "stereo.wav", makeNoise (2, 1000, 48000, 1));
    const auto mono = writeFile (folder, "mono.wav", makeNoise (1, 1000, 48000, 1));
    const auto slow = writeFile (folder, "slow.wav", makeNoise (2, 1000, 22050, 1));
    const auto three = writeFile (folder, "three.wav", makeNoise (3, 1000, 48000, 1));
    const auto out = folder.file ("out.wav");

    const struct
    {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        { { folder.file ("missing.wav"), out }, RenderCommand::unusableInput, "no such file" },
        { { stereo, stereo }, RenderCommand::badArguments, "never written over" },
        { { slow, out }, RenderCommand::unusableInput, "22050 Hz" },
        { { three, out }, RenderCommand::unusableInput, "3 channels" },
        { { mono, out, "--layout", "stereo" }, RenderCommand::unusableInput, "stereo layout takes 2-channel input" },
        { { stereo, out, "--set", "Loudness=0.5" }, RenderCommand::badArguments, "no parameter \"Loudness\"" },
        { { stereo, out, "--set", "MasterBypassID=1" }, RenderCommand::badArguments, "no parameter" },
        { { stereo, out, "--state", folder.file ("none.chunks") }, RenderCommand::unusableInput, "none.chunks" },
        { { stereo, folder.file ("no-folder/out.wav") }, RenderCommand::cannotWrite, "cannot write" },
    };

    for (const auto& c : cases)
    {
        const auto result = render (c.args);
        EXPECT_EQ (result.exitCode, c.exitCode) << result.err;
        EXPECT_NE (result.err.find (c.message), std::string::npos) << result.err;
        EXPECT_FALSE (std::filesystem::exists (out));
    }

    EXPECT_EQ (readFile (stereo).getNumFrames(), 1000) << "the input is as it was";
}

//==============================================================================
namespace
{
    void writeText (const std::string& path, const std::string& text)
    {
        std::ofstream (path, std::ios::binary) << text;
    }

    /** Files larger than `bytes` cannot be written while this lives: a full disk, for one
        process. */
    struct FileSizeLimit
    {
        explicit FileSizeLimit (rlim_t bytes)
        {
            std::signal (SIGXFSZ, SIG_IGN);
            getrlimit (RLIMIT_FSIZE, &previous);
            rlimit limit = previous;
            limit.rlim_cur = bytes;
            setrlimit (RLIMIT_FSIZE, &limit);
        }

        ~FileSizeLimit()  { setrlimit (RLIMIT_FSIZE, &previous); }

        rlimit previous {};
    };

}

TEST (RenderCommand, NeverWritesOverAnythingButARegularTarget)
{
    Folder folder;
    const auto input = makeNoise (2, 3000, 48000, 5);
    const auto in = writeFile (folder, "take.wav.part", input);
    const auto bundleLink = folder.file ("bundle.so");
    std::filesystem::create_symlink (TANGLEFIX_BUNDLE, bundleLink);

    // The input under the name an older temporary file had, and a stranger's file of that name.
    ASSERT_EQ (render ({ in, folder.file ("take.wav") }).exitCode, RenderCommand::success);
    EXPECT_EQ (readFile (in).channels, input.channels);
    writeText (folder.file ("other.wav.part"), "someone else's");
    ASSERT_EQ (render ({ in, folder.file ("other.wav") }).exitCode, RenderCommand::success);
    EXPECT_EQ (contentsOf (folder.file ("other.wav.part")), "someone else's");

    // What may stand under the output's name: each is refused before any audio, and stays.
    const auto fifo = folder.file ("pipe.wav");
    ASSERT_EQ (mkfifo (fifo.c_str(), 0644), 0);
    std::filesystem::create_directory (folder.file ("folder.wav"));
    const auto socketPath = folder.file ("socket.wav");
    const auto listener = socket (AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy (address.sun_path, socketPath.c_str(), sizeof (address.sun_path) - 1);
    ASSERT_EQ (bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);

    std::vector<std::pair<std::string, std::filesystem::file_type>> nodes {
        { fifo, std::filesystem::file_type::fifo },
        { folder.file ("folder.wav"), std::filesystem::file_type::directory },
        { socketPath, std::filesystem::file_type::socket },
    };

    // A device node of our own (the null device's numbers), never the system's.
    if (geteuid() == 0 && mknod (folder.file ("device.wav").c_str(), S_IFCHR | 0666, makedev (1, 3)) == 0)
        nodes.emplace_back (folder.file ("device.wav"), std::filesystem::file_type::character);

    for (const auto& [path, type] : nodes)
    {
        const auto result = render ({ in, path });
        EXPECT_EQ (result.exitCode, RenderCommand::cannotWrite) << path;
        EXPECT_NE (result.err.find ("not a regular file"), std::string::npos) << result.err;
        EXPECT_EQ (result.out, "") << "refused before rendering";
        EXPECT_EQ (std::filesystem::symlink_status (path).type(), type) << path;
    }

    close (listener);

    // Nor the files the command reads, nor a place that is no folder.
    writeText (folder.file ("state.chunks"), "");
    const auto names = folder.names();

    for (const auto& [target, message] : { std::pair (bundleLink, "the bundle being loaded"),
                                           std::pair (folder.file ("state.chunks"), "the --state file"),
                                           std::pair (folder.file ("take.wav.part/out.wav"), "cannot write"),
                                           std::pair (folder.file ("missing/out.wav"), "does not exist") })
    {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE (options.parse ({ bundleLink, in, target, "--state", folder.file ("state.chunks") }, error)) << error;
        std::ostringstream out, err;
        EXPECT_NE (RenderCommand (options).run (out, err), RenderCommand::success) << target;
        EXPECT_NE (err.str().find (message), std::string::npos) << err.str();
        EXPECT_EQ (out.str(), "") << "refused before rendering";
    }

    EXPECT_EQ (folder.names(), names) << "nothing written, nothing left behind";
    EXPECT_TRUE (std::filesystem::is_symlink (bundleLink));
    EXPECT_EQ (contentsOf (folder.file ("state.chunks")), "");
}

TEST (RenderCommand, AFailedWriteLeavesTheEarlierFileWhole)
{
    Folder folder;
    const auto in = writeFile (folder, "in.wav", makeNoise (2, 48000, 48000, 3));
    writeText (folder.file ("out.wav"), "an earlier render");
    std::vector<ChunkRecord> chunks (1);
    chunks[0].id = juceChunkID;
    chunks[0].data.assign (4000, 7);
    std::string error;
    ASSERT_TRUE (ChunkFile::write (folder.file ("saved.chunks"), chunks, error)) << error;
    const auto saved = contentsOf (folder.file ("saved.chunks"));
    const auto names = folder.names();

    {
        const FileSizeLimit fullDisk (3000);
        const auto result = render ({ in, folder.file ("out.wav") });
        EXPECT_EQ (result.exitCode, RenderCommand::writeFailed) << result.err;
        EXPECT_FALSE (ChunkFile::write (folder.file ("saved.chunks"), chunks, error));
    }

    EXPECT_EQ (contentsOf (folder.file ("out.wav")), "an earlier render");
    EXPECT_EQ (contentsOf (folder.file ("saved.chunks")), saved);
    EXPECT_EQ (folder.names(), names) << "no temporary file left";
}

TEST (RenderCommand, SettingsHoldFromTheFirstSampleAndEqualARestoredState)
{
    Folder folder;
    const auto input = makeNoise (2, 6000, 48000, 9);
    const auto in = writeFile (folder, "in.wav", input);

    ASSERT_EQ (render ({ in, folder.file ("dry.wav"), "--set", "Mix=0" }).exitCode, RenderCommand::success);
    EXPECT_EQ (readFile (folder.file ("dry.wav")).channels, input.channels);

    ASSERT_EQ (render ({ in, folder.file ("bypassed.wav"), "--set", "Bypass=1", "--oversample", "16" }).exitCode,
               RenderCommand::success);
    EXPECT_EQ (readFile (folder.file ("bypassed.wav")).channels, input.channels);

    // The same values through a saved state.
    const std::vector<std::string> settings { "--set", "Frequency=0.3", "--set", "Gain=0.8", "--set", "Mix=0.6",
                                              "--oversample", "2" };
    auto args = settings;
    args.insert (args.begin(), { in, folder.file ("set.wav") });
    ASSERT_EQ (render (args).exitCode, RenderCommand::success);

    {
        BundleSession bundle;
        auto instance = bundle.makeInstance (ChannelLayout::stereo);
        ASSERT_NE (instance, nullptr);

        for (const auto& [id, value] : { std::pair ("0", 0.3), std::pair ("3", 0.8), std::pair ("4", 0.6) })
            ASSERT_EQ (instance->setParameter (id, value), AAX_SUCCESS);

        std::vector<ChunkRecord> chunks { oversamplingState (*instance, 2) };
        std::string error;
        ASSERT_TRUE (ChunkFile::write (folder.file ("state.chunks"), chunks, error)) << error;
    }

    ASSERT_EQ (render ({ in, folder.file ("restored.wav"), "--state", folder.file ("state.chunks") }).exitCode,
               RenderCommand::success);
    EXPECT_EQ (readFile (folder.file ("restored.wav")).channels, readFile (folder.file ("set.wav")).channels);
}

TEST (RenderCommand, ReportsWhatItCouldNotUseInsteadOfHidingIt)
{
    Folder folder;
    auto input = makeNoise (1, 4000, 48000, 4);

    for (int i = 1000; i < 1010; ++i)
        input.channels[0][(size_t) i] = std::numeric_limits<float>::quiet_NaN();

    const auto in = writeFile (folder, "in.wav", input);
    const auto withNaN = render ({ in, folder.file ("out.wav") });
    ASSERT_EQ (withNaN.exitCode, RenderCommand::success) << withNaN.err;
    EXPECT_NE (withNaN.out.find ("Input:  peak -6.0"), std::string::npos) << withNaN.out;
    EXPECT_NE (withNaN.out.find (", 10 non-finite samples"), std::string::npos) << withNaN.out;
    EXPECT_NE (withNaN.err.find ("the input has 10 non-finite samples"), std::string::npos) << withNaN.err;

    // A 'juce' chunk the plug-in cannot read is taken without a word by JUCE's wrapper.
    std::vector<ChunkRecord> junk (1);
    junk[0].id = juceChunkID;
    junk[0].data = { 'j', 'u', 'n', 'k' };
    std::string error;
    ASSERT_TRUE (ChunkFile::write (folder.file ("junk.chunks"), junk, error)) << error;
    const auto clean = writeFile (folder, "clean.wav", makeNoise (1, 4000, 48000, 4));
    const auto restored = render ({ clean, folder.file ("junk.wav"), "--state", folder.file ("junk.chunks") });
    EXPECT_EQ (restored.exitCode, RenderCommand::success) << restored.err;
    EXPECT_NE (restored.err.find ("was not restored"), std::string::npos) << restored.err;
}

TEST (RenderCommand, TrustsNoHeaderForItsLength)
{
    Folder folder;
    const auto input = makeNoise (1, 10000, 48000, 2);

    // A comment goes into a LIST chunk after the audio.
    const auto writeWith = [&] (const std::string& name, int format, int frames = 10000, const char* comment = nullptr)
    {
        SF_INFO info {};
        info.samplerate = 48000;
        info.channels = 1;
        info.format = format;
        const auto path = folder.file (name);
        auto* file = sf_open (path.c_str(), SFM_WRITE, &info);
        EXPECT_NE (file, nullptr);
        sf_writef_float (file, input.channels[0].data(), frames);

        if (comment != nullptr)
            sf_set_string (file, SF_STR_COMMENT, comment);

        sf_close (file);
        return path;
    };

    // fLaC, a block header, then the total sample count in the low 36 bits of the 64 bits
    // that start 10 bytes into STREAMINFO; 0 is a stream's "unknown".
    const auto flacClaiming = [&] (const std::string& name, std::uint64_t claimedFrames)
    {
        const auto path = writeWith (name, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
        std::fstream patch (path, std::ios::in | std::ios::out | std::ios::binary);
        patch.seekg (18);
        unsigned char bits[8];
        patch.read (reinterpret_cast<char*> (bits), 8);
        bits[3] = (unsigned char) ((bits[3] & 0xf0) | ((claimedFrames >> 32) & 0x0f));

        for (int i = 0; i < 4; ++i)
            bits[4 + i] = (unsigned char) (claimedFrames >> (24 - 8 * i));

        patch.seekp (18);
        patch.write (reinterpret_cast<const char*> (bits), 8);
        return path;
    };

    // RIFF and data sizes 0xffffffff: written before the length was known.
    const auto streamingWav = [&] (const std::string& name)
    {
        const auto path = writeWith (name, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        auto bytes = contentsOf (path);
        bytes.replace (4, 4, 4, '\xff');
        bytes.replace (bytes.find ("data") + 4, 4, 4, '\xff');
        writeText (path, bytes);
        return path;
    };

    // What a recorder that stopped before finishing its header leaves: the size fields named
    // (a chunk id, the field's offset from it and its width) still 0.
    struct Field { const char* id; size_t offset, width = 4; };

    const auto unfinished = [&] (const std::string& name, int format, std::vector<Field> fields, const char* comment = nullptr)
    {
        const auto path = writeWith (name, format, 10000, comment);
        auto bytes = contentsOf (path);

        for (const auto& field : fields)
            bytes.replace (bytes.find (field.id) + field.offset, field.width, field.width, '\0');

        writeText (path, bytes);
        return path;
    };

    const Field riffSize { "RIFF", 4 }, dataSize { "data", 4 };

    // A finished header of no audio (data size 0, the container's size counting the data
    // chunk and the chunks after it) with more written inside the container and after it.
    const auto emptyThen = [&] (const std::string& name, int format, const std::string& inside, const std::string& outside)
    {
        auto bytes = contentsOf (writeWith (name, format, 0));
        bytes += inside;
        const auto rf64 = bytes.compare (0, 4, "RF64") == 0;
        const auto containerSize = (unsigned long long) bytes.size() - 8;

        for (size_t i = 0; i < (rf64 ? 8u : 4u); ++i)
            bytes[(rf64 ? bytes.find ("ds64") + 8 : 4) + i] = (char) (containerSize >> (8 * i));

        writeText (folder.file (name), bytes + outside);
        return folder.file (name);
    };

    const std::string list ("LIST\x12\0\0\0INFOICMT\x06\0\0\0a note", 26);
    std::string id3 ("TAGA Title");
    id3.resize (128, ' ');

    const auto cutInHalf = [&] (const std::string& name, int format)
    {
        const auto path = writeWith (name, format | SF_FORMAT_FLOAT);
        std::filesystem::resize_file (path, std::filesystem::file_size (path) - 5000 * sizeof (float));
        return path;
    };

    const struct
    {
        std::string input;
        long long frames;
        std::string warning;   // none when empty
    } cases[] = {
        { flacClaiming ("short.flac", 15000), 10000, "claims 15000" },
        { flacClaiming ("stream.flac", 0), 10000, "" },
        { streamingWav ("stream.wav"), 10000, "" },
        { writeWith ("whole.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT), 10000, "" },
        { cutInHalf ("cut.w64", SF_FORMAT_W64), 5000, "declares 40000; the file is cut short" },
        { cutInHalf ("cut.wav", SF_FORMAT_WAV), 5000, "declares 40000; the file is cut short" },
        { cutInHalf ("cut.rf64", SF_FORMAT_RF64), 5000, "declares 40000; the file is cut short" },
        { cutInHalf ("cut.aiff", SF_FORMAT_AIFF), 5000, "declares 40000; the file is cut short" },
        { unfinished ("unfinished.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, { riffSize, dataSize }), 10000,
          "declares no audio, though 40000 bytes of it follow (a header never finished); rendered its 10000 frames" },
        { unfinished ("unfinished16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, { riffSize, dataSize }), 10000,
          "declares no audio, though 20000 bytes" },
        { unfinished ("no-data-size.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, { dataSize }), 10000, "declares no audio, though 40000" },
        { unfinished ("no-riff-size.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, { riffSize }), 10000, "" },
        { unfinished ("listed.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, { riffSize, dataSize }, "a chunk after the audio"), 10000,
          "declares no audio, though 40000" },
        { unfinished ("unfinished.rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, { { "ds64", 8, 16 } }), 10000, "declares no audio, though 40000" },
        { unfinished ("unfinished.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, { { "FORM", 4 }, { "SSND", 4 } }), 10000,
          "declares no audio, though 40000" },
        { writeWith ("empty.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, "a chunk after no audio"), 0, "holds no audio; the output is empty" },
        { emptyThen ("tagged.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, list, id3), 0, "holds no audio; the output is empty" },
        { emptyThen ("zeros-after.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, list, std::string (6, '\0')), 0, "holds no audio" },
        { emptyThen ("binary-id.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, std::string ("\x01\x02\xfe\xff\0\0\0\0", 8), ""), 0,
          "holds no audio" },
        { emptyThen ("unpadded.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, std::string ("note\x03\0\0\0abc", 11) + list, ""), 0,
          "holds no audio" },
        { emptyThen ("trailing.rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, "", "and then some"), 0, "holds no audio" },
    };

    for (const auto& c : cases)
    {
        const auto output = c.input + ".out.wav";
        const auto result = render ({ c.input, output });

        if (result.exitCode != RenderCommand::success)
        {
            ADD_FAILURE() << c.input << ": " << result.err;
            continue;
        }

        EXPECT_EQ (readFile (output).getNumFrames(), c.frames) << c.input;
        EXPECT_EQ (contentsOf (output).substr (0, 4), "RIFF") << c.input;

        if (c.warning.empty())
        {
            EXPECT_EQ (result.err, "") << c.input;
        }
        else
        {
            EXPECT_NE (result.err.find (c.warning), std::string::npos) << c.input << ": " << result.err;
        }
    }

    // A claim no file of its size could hold is a damaged header, not a short file.
    const auto huge = render ({ flacClaiming ("huge.flac", (1ull << 36) - 1), folder.file ("huge.wav") });
    EXPECT_EQ (huge.exitCode, RenderCommand::unusableInput) << huge.err;
    EXPECT_NE (huge.err.find ("claims 68719476735 frames, more than"), std::string::npos) << huge.err;
    EXPECT_FALSE (std::filesystem::exists (folder.file ("huge.wav")));
}
