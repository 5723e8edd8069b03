// The render command end to end: files in, the bundle through the host, a file out that
// lines up with the input, and a clear refusal (with nothing written) for everything it
// cannot do.

#include "BundleHarness.h"
#include "WrapperLikeProcessor.h"

#include "ChunkFile.h"
#include "RenderCommand.h"
#include "../TestFolder.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace bundle_test;

namespace
{
    using Folder = tanglefix_tests::TestFolder;

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

    auto bypassed = render ({ in, folder.file ("bypassed.wav"), "--bypass", "--oversample", "8", "--layout", "mono-stereo" });
    ASSERT_EQ (bypassed.exitCode, RenderCommand::success) << bypassed.err;
    const auto through = readFile (folder.file ("bypassed.wav"));
    ASSERT_EQ (through.getNumChannels(), 2);
    EXPECT_EQ (through.channels[0], input.channels[0]);
    EXPECT_EQ (through.channels[1], input.channels[0]);

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
