// The host's audio side without a plug-in: the algorithm context a process procedure
// receives, packets reaching it, offline rendering with latency compensation, sound files and
// the render command's options. A small process procedure of the test's own stands in for
// the plug-in, with the field layout JUCE's wrapper declares.

#include "AlgorithmContext.h"
#include "AudioFile.h"
#include "AudioThread.h"
#include "JuceFields.h"
#include "OfflineRenderer.h"
#include "RenderOptions.h"
#include "TestSignal.h"

#include <gtest/gtest.h>

#include "../TestFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace tanglefix::host;

namespace
{
    /** JUCE's context for an effect without MIDI: fields 0 to 7 in this order. */
    struct TestContext
    {
        float** inputs;
        float** outputs;
        int32_t* bufferLength;
        int32_t* bypass;
        void** instance;          // private data, 8 bytes: the test's delay line
        int32_t* prepared;        // private data, 4 bytes
        void* meters;             // private data, 8 bytes
        void* sideChain;          // private data, 8 bytes
    };

    /** A delay of a fixed number of samples, bypassed (input through) while port 3 is non-zero. */
    struct DelayInstance
    {
        int delay = 0;
        std::vector<std::vector<float>> history;
        size_t position = 0;
    };

    void AAX_CALLBACK delayProcess (void* const begin[], const void* const end)
    {
        for (auto* const* it = begin; it < end; ++it)
        {
            auto& context = *static_cast<TestContext*> (*it);
            auto& delay = *static_cast<DelayInstance*> (*context.instance);

            for (int i = 0; i < *context.bufferLength; ++i)
            {
                for (size_t ch = 0; ch < delay.history.size(); ++ch)
                {
                    auto& line = delay.history[ch];
                    const auto x = context.inputs[ch][i];
                    line[delay.position] = x;
                    const auto delayed = line[(delay.position + line.size() - (size_t) delay.delay) % line.size()];
                    context.outputs[ch][i] = *context.bypass != 0 ? x : delayed;
                }

                delay.position = (delay.position + 1) % delay.history[0].size();
            }
        }
    }

    ComponentRecord juceLikeComponent()
    {
        ComponentRecord component;
        component.fields = host_test::juceAlgorithmFields();
        return component;
    }

    /** A context for the test delay, its private data reset as an instance would. */
    std::unique_ptr<AlgorithmContext> makeDelayContext (DelayInstance& delay, int channels, int maxBlock)
    {
        std::string error;
        auto context = AlgorithmContext::create (juceLikeComponent(), { channels, channels, maxBlock, 48000.0f }, error);
        EXPECT_NE (context, nullptr) << error;

        delay.history.assign ((size_t) channels, std::vector<float> (1024, 0.0f));
        std::vector<AAX_CFieldIndex> resetFields;

        EXPECT_EQ (context->resetPrivateData ([&] (AAX_CFieldIndex field, void* data, uint32_t size)
                   {
                       resetFields.push_back (field);
                       EXPECT_NE (data, nullptr);

                       if (field == 4)
                       {
                           EXPECT_EQ (size, 8u);
                           *static_cast<void**> (data) = &delay;
                       }

                       return AAX_SUCCESS;
                   }), AAX_SUCCESS);

        EXPECT_EQ (resetFields, (std::vector<AAX_CFieldIndex> { 4, 5, 6, 7 }));
        return context;
    }

    AudioData ramp (int channels, int frames)
    {
        AudioData audio;
        audio.channels.assign ((size_t) channels, std::vector<float> ((size_t) frames));

        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < frames; ++i)
                audio.channels[(size_t) ch][(size_t) i] = (float) (i + 1) + 0.5f * (float) ch;

        return audio;
    }

    using TemporaryFolder = tanglefix_tests::TestFolder;
}

//==============================================================================
TEST (AlgorithmContext, GivesEveryFieldItsPlaceAndRefusesWhatItCannotProvide)
{
    DelayInstance delay;
    auto context = makeDelayContext (delay, 2, 256);
    auto& fields = *static_cast<TestContext*> (context->getContext());

    EXPECT_EQ (fields.inputs[0], context->getInput (0));
    EXPECT_EQ (fields.outputs[1], context->getOutput (1));
    EXPECT_EQ (*fields.bypass, 0) << "the port's packet must be zero before the first delivery";
    EXPECT_EQ (*fields.instance, &delay);

    auto gap = juceLikeComponent();
    gap.fields.erase (gap.fields.begin() + 3);
    std::string error;
    EXPECT_EQ (AlgorithmContext::create (gap, {}, error), nullptr);
    EXPECT_NE (error.find ("gap"), std::string::npos) << error;

    auto midi = juceLikeComponent();
    midi.fields.push_back ({ FieldRecord::Kind::midiNode, 8, 0, 0, "in", {} });
    EXPECT_EQ (AlgorithmContext::create (midi, {}, error), nullptr);
    EXPECT_NE (error.find ("MIDI"), std::string::npos) << error;
}

TEST (AlgorithmContext, PacketsArriveBeforeTheNextProcessCallAndTheNewestWins)
{
    DelayInstance delay;
    auto context = makeDelayContext (delay, 1, 64);
    delay.delay = 10;

    const int32_t on = 1, off = 0, other = 7;
    EXPECT_FALSE (context->postPacket (2, &on, 4)) << "field 2 is no port";
    EXPECT_FALSE (context->postPacket (3, &on, 2)) << "the port takes 4 bytes";

    std::fill (context->getInput (0), context->getInput (0) + 64, 1.0f);
    context->process (delayProcess, 64);
    EXPECT_EQ (context->getOutput (0)[0], 0.0f) << "not bypassed: the delay's silence comes first";

    ASSERT_TRUE (context->postPacket (3, &other, 4));
    ASSERT_TRUE (context->postPacket (3, &on, 4));
    std::fill (context->getInput (0), context->getInput (0) + 64, 2.0f);
    context->process (delayProcess, 64);
    EXPECT_EQ (*static_cast<TestContext*> (context->getContext())->bypass, 1);
    EXPECT_EQ (context->getOutput (0)[0], 2.0f) << "bypassed: the input passes";

    ASSERT_TRUE (context->postPacket (3, &off, 4));
    context->process (delayProcess, 64);
    EXPECT_EQ (context->getOutput (0)[0], 2.0f) << "the delay line still held the bypassed input";
    EXPECT_EQ (*static_cast<TestContext*> (context->getContext())->bypass, 0);
}

TEST (AlgorithmContext, PacketsFromTheMainThreadRaceNoProcessCall)
{
    // Run under ThreadSanitizer: the main thread posts while the audio thread processes.
    DelayInstance delay;
    auto context = makeDelayContext (delay, 1, 32);
    std::atomic<int32_t> lastSeen { -1 };

    {
        AudioThread audio ([&]
        {
            for (int block = 0; block < 20000; ++block)
            {
                context->process (delayProcess, 32);
                lastSeen = *static_cast<TestContext*> (context->getContext())->bypass;
            }
        });

        for (int32_t value = 0; ! audio.isFinished(); value = (value + 1) % 1000)
            context->postPacket (3, &value, 4);
    }

    EXPECT_GE (lastSeen.load(), 0);
    EXPECT_LT (lastSeen.load(), 1000);
}

//==============================================================================
TEST (OfflineRenderer, OutputLinesUpWithTheInputWhateverTheBlockLength)
{
    const auto input = ramp (2, 1000);

    for (const int block : { 1, 7, 64, 1000, 4096 })
    {
        for (const int latency : { 0, 1, 37, 300 })
        {
            DelayInstance delay;
            auto context = makeDelayContext (delay, 2, 4096);
            delay.delay = latency;

            OfflineRenderer renderer (*context, delayProcess, block, latency);
            const auto output = renderInMemory (renderer, input, 2, [] {});

            EXPECT_EQ (renderer.getFramesDone(), 1000);
            EXPECT_EQ (output.channels, input.channels) << "block " << block << ", latency " << latency;
        }
    }
}

//==============================================================================
TEST (AudioFile, WritesAndReadsBackFloatWavAndReportsUnusableFiles)
{
    TemporaryFolder folder;
    const auto signal = makeTestSignal (0.25, 44100, 2);
    ASSERT_EQ (signal.getNumFrames(), 11025);

    std::string error;
    ASSERT_TRUE (AudioFile::writeWav (folder.file ("a.wav"), signal, error)) << error;
    EXPECT_FALSE (std::filesystem::exists (folder.file ("a.wav.part")));

    AudioData back;
    ASSERT_TRUE (AudioFile::read (folder.file ("a.wav"), back, error)) << error;
    EXPECT_EQ (back.sampleRate, 44100);
    EXPECT_EQ (back.channels, signal.channels);

    EXPECT_FALSE (AudioFile::read (folder.file ("missing.wav"), back, error));
    EXPECT_NE (error.find ("no such file"), std::string::npos) << error;

    EXPECT_FALSE (AudioFile::read (folder.path, back, error));
    EXPECT_NE (error.find ("folder"), std::string::npos) << error;

    std::ofstream (folder.file ("text.wav")) << "not a sound file";
    EXPECT_FALSE (AudioFile::read (folder.file ("text.wav"), back, error));
    EXPECT_NE (error.find ("text.wav"), std::string::npos) << error;

    // A failed write keeps what was there.
    EXPECT_FALSE (AudioFile::writeWav (folder.file ("no-folder/b.wav"), signal, error));
    EXPECT_TRUE (AudioFile::isSameFile (folder.file ("a.wav"), folder.path + "/./a.wav"));
    EXPECT_FALSE (AudioFile::isSameFile (folder.file ("a.wav"), folder.file ("text.wav")));
}

TEST (TestSignal, IsTheSameOnEveryRunAndStaysBelowFullScale)
{
    const auto a = makeTestSignal (1.0, 48000, 2);
    EXPECT_EQ (a.channels, makeTestSignal (1.0, 48000, 2).channels);
    EXPECT_NE (a.channels[0], a.channels[1]) << "the noise differs between channels";

    for (const auto& channel : a.channels)
        for (const auto x : channel)
            ASSERT_LT (std::abs (x), 0.6f);
}

//==============================================================================
TEST (RenderOptions, ReadsEveryOptionAndNamesWhatIsWrong)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE (options.parse ({ "b.so", "in.wav", "out.wav", "--set", "Gain=0.25", "--set", "Mix=1",
                                  "--oversample", "8", "--limiter", "--bypass", "--layout", "mono-stereo",
                                  "--block", "4096", "--state", "s.chunk" }, error)) << error;
    EXPECT_EQ (options.outputPath, "out.wav");
    EXPECT_EQ (options.parameters, (std::vector<std::pair<std::string, double>> { { "Gain", 0.25 }, { "Mix", 1.0 } }));
    EXPECT_EQ (options.oversampling, 8);
    EXPECT_TRUE (options.limiter && options.masterBypass);
    EXPECT_EQ (options.layout, ChannelLayout::monoStereo);
    EXPECT_EQ (options.blockLength, 4096);
    EXPECT_EQ (options.statePath, "s.chunk");

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        { { "b", "i" }, "needs a bundle, an input file and an output file" },
        { { "b", "i", "o", "--set", "Gain" }, "NAME=VALUE" },
        { { "b", "i", "o", "--set", "Gain=1.5" }, "from 0 to 1" },
        { { "b", "i", "o", "--set", "Gain=nan" }, "from 0 to 1" },
        { { "b", "i", "o", "--set", "Gain=0.5x" }, "from 0 to 1" },
        { { "b", "i", "o", "--oversample", "3" }, "1, 2, 4, 8 or 16" },
        { { "b", "i", "o", "--layout", "surround" }, "mono, mono-stereo or stereo" },
        { { "b", "i", "o", "--block", "0" }, "from 1 to" },
        { { "b", "i", "o", "--block", "2.5" }, "whole number" },
        { { "b", "i", "o", "--block" }, "needs a value" },
        { { "b", "i", "o", "--loud" }, "unknown option --loud" },
    };

    for (const auto& [args, expected] : bad)
    {
        RenderOptions rejected;
        EXPECT_FALSE (rejected.parse (args, error));
        EXPECT_NE (error.find (expected), std::string::npos) << error;
    }
}

TEST (RenderOptions, SetTakesEveryFiniteNumberFromZeroToOne)
{
    // Subnormals and numbers that round to 0 or 1 are in range; strtod marks the smallest
    // with ERANGE all the same.
    const std::pair<const char*, std::optional<double>> numbers[] = {
        { "1e-320", 1e-320 },
        { "4.9406564584124654e-324", 4.9406564584124654e-324 },
        { "2.2250738585072014e-308", 2.2250738585072014e-308 },
        { "1e-400", 0.0 },
        { "0.99999999999999999999", 1.0 },
        { "-1e-320", std::nullopt },
        { "1e400", std::nullopt },
        { "1.0000001", std::nullopt },
    };

    for (const auto& [text, expected] : numbers)
    {
        std::pair<std::string, double> setting;
        std::string error;
        EXPECT_EQ (parseParameterSetting (std::string ("Gain=") + text, setting, error), expected.has_value()) << text << ": " << error;

        if (expected.has_value())
        {
            EXPECT_EQ (setting, std::pair (std::string ("Gain"), *expected)) << text;
        }
    }
}
