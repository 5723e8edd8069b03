// The real bundle, driven by the stand-in host through its entry points only: the audio and
// the latency it produces, the master bypass through its packet port, automation both ways,
// state chunks, and the host's threads, against the processor driven directly.

#include "BundleHarness.h"
#include "WrapperLikeProcessor.h"

#include "HostAutomationDelegate.h"

#include <AAX_LinuxRunLoop.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

using namespace bundle_test;

namespace
{
    constexpr double rate = 48000.0;
    constexpr const char* masterBypassID = "MasterBypassID";
    constexpr long delayGlideLength = 441;   // the dry delay's smoother, at every rate

    std::string describe (ChannelLayout layout, int factor, int block)
    {
        return std::string (nameOf (layout)) + ", factor " + std::to_string (factor) + ", block " + std::to_string (block);
    }

    /** Settings away from the defaults, so every stage of the chain works. */
    const std::pair<int, double> knobSettings[] = { { 0, 0.3 }, { 1, 0.7 }, { 2, 0.6 }, { 3, 0.65 }, { 4, 0.8 } };

    void applyKnobs (ProcessingInstance& instance, WrapperLikeProcessor& reference)
    {
        for (const auto& [index, value] : knobSettings)
        {
            ASSERT_EQ (instance.setParameter (std::to_string (index), value), AAX_SUCCESS);
            reference.setParameter (index, value);
        }
    }

    int32_t portValue (ProcessingInstance& instance, int field)
    {
        return *static_cast<int32_t*> (static_cast<void**> (instance.getContext().getContext())[field]);
    }

    bool hasEvent (const std::vector<AutomationEvent>& events, size_t from, AutomationEvent::Kind kind,
                   const std::string& id, size_t& found)
    {
        for (size_t i = from; i < events.size(); ++i)
            if (events[i].kind == kind && events[i].parameterID == id)
            {
                found = i;
                return true;
            }

        return false;
    }
}

//==============================================================================
TEST (Bundle, SameAudioAndLatencyAsTheProcessorDrivenDirectly)
{
    BundleSession bundle;
    const int blockLengths[] = { 1, 100, 1024, 1500 };

    for (const auto layout : allLayouts)
    {
        const auto input = makeNoise (numInputsOf (layout), 6000, (int) rate, 7);

        for (const auto factor : allFactors)
        {
            for (const auto block : blockLengths)
            {
                SCOPED_TRACE (describe (layout, factor, block));
                auto instance = bundle.makeInstance (layout, rate, 1500);
                ASSERT_NE (instance, nullptr);
                WrapperLikeProcessor reference (layout, rate);

                const auto state = oversamplingState (*instance, factor);
                ASSERT_EQ (instance->getInstance().setChunk (state), AAX_SUCCESS);
                reference.setState (state.data);
                applyKnobs (*instance, reference);

                // The controller hears the latency as soon as the state is restored, before
                // any audio has been processed.
                EXPECT_EQ (instance->getLatency(), reference.get().getLatencySamples());
                EXPECT_EQ (factor == 1, instance->getLatency() == 0);

                const auto hosted = renderThroughHost (bundle.session, *instance, input, block);
                ASSERT_EQ (hosted.channels, reference.render (input, block).channels);
                EXPECT_EQ (instance->getLatency(), reference.get().getLatencySamples());
            }
        }
    }
}

TEST (Bundle, AnInitPresetThatOversamplesReportsItsLatencyFromInitialize)
{
    // The tests run with a private, empty shared documents folder (/opt); an Init preset
    // there is what every new processor starts from.
    const std::filesystem::path presets ("/opt/Larkspan/Presets/Tanglefix");
    ASSERT_TRUE (std::filesystem::exists ("/opt")) << "run through tests/private-run.sh";
    std::filesystem::create_directories (presets);
    std::ofstream (presets / "Init.qzr") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<Tanglefix_SETTINGS Oversample=\"8\"/>\n";

    {
        BundleSession bundle;
        WrapperLikeProcessor reference (ChannelLayout::stereo, rate);
        ASSERT_EQ (reference.get().oversamplingFactor, 8);

        auto instance = bundle.makeInstance (ChannelLayout::stereo);
        ASSERT_NE (instance, nullptr);
        EXPECT_GT (instance->getInstance().getController().getLatencyReports(), 0);
        EXPECT_EQ (instance->getLatency(), reference.get().getLatencySamples());
        EXPECT_GT (instance->getLatency(), 0);
    }

    std::filesystem::remove (presets / "Init.qzr");
}

//==============================================================================
TEST (Bundle, MasterBypassReachesPortThreeAndPassesTheInputAlignedWithTheLatency)
{
    BundleSession bundle;

    for (const auto layout : allLayouts)
    {
        for (const auto factor : allFactors)
        {
            SCOPED_TRACE (describe (layout, factor, 256));
            auto instance = bundle.makeInstance (layout);
            ASSERT_NE (instance, nullptr);

            // Before the first dispatch the port holds zeros (JUCE reads an int32: not bypassed),
            // and the first packet the plug-in sends says the same.
            const auto packets = instance->getInstance().getController().getPackets (3);
            ASSERT_FALSE (packets.empty());
            EXPECT_EQ (packets.front().bytes, std::vector<unsigned char> (4, 0));
            EXPECT_EQ (portValue (*instance, 3), 0);

            ASSERT_EQ (instance->getInstance().setChunk (oversamplingState (*instance, factor)), AAX_SUCCESS);
            ASSERT_EQ (instance->setParameter (masterBypassID, 1.0), AAX_SUCCESS);

            const auto input = makeNoise (numInputsOf (layout), 4000, (int) rate, 3);
            const auto output = renderThroughHost (bundle.session, *instance, input, 256, instance->getLatency());
            EXPECT_NE (portValue (*instance, 3), 0);

            // Once the delay has settled on the reported latency (16x oversampling's own is
            // fractional, which the dry path of the mix keeps), the input comes out untouched;
            // mono input feeds both outputs of the mono-to-stereo layout.
            for (size_t ch = 0; ch < output.channels.size(); ++ch)
            {
                const auto& in = input.channels[layout == ChannelLayout::stereo ? ch : 0];
                const auto settled = factor == 16 ? delayGlideLength : 0;
                EXPECT_TRUE (std::equal (in.begin() + settled, in.end(), output.channels[ch].begin() + settled))
                    << "channel " << ch;
            }

            // Released: the effect is heard again.
            ASSERT_EQ (instance->setParameter (masterBypassID, 0.0), AAX_SUCCESS);
            const auto processed = renderThroughHost (bundle.session, *instance, input, 256, instance->getLatency());
            EXPECT_EQ (portValue (*instance, 3), 0);
            EXPECT_NE (processed.channels[0], input.channels[0]);
        }
    }
}

TEST (Bundle, ThePluginsOwnBypassCrossfadesIntoTheDelayedInput)
{
    BundleSession bundle;
    const auto input = makeNoise (2, 9600, (int) rate, 11);

    for (const auto factor : { 1, 4 })
    {
        auto instance = bundle.makeInstance (ChannelLayout::stereo);
        ASSERT_NE (instance, nullptr);
        WrapperLikeProcessor reference (ChannelLayout::stereo, rate);
        const auto state = oversamplingState (*instance, factor);
        ASSERT_EQ (instance->getInstance().setChunk (state), AAX_SUCCESS);
        reference.setState (state.data);

        const auto before = renderThroughHost (bundle.session, *instance, input, 480);
        EXPECT_EQ (before.channels, reference.render (input, 480).channels);

        ASSERT_EQ (instance->setParameter ("5", 1.0), AAX_SUCCESS);
        reference.setParameter (5, 1.0);
        const auto fading = renderThroughHost (bundle.session, *instance, input, 480);
        EXPECT_EQ (fading.channels, reference.render (input, 480).channels);

        // The first 10 ms blend wet into dry; after them the input comes out, delayed by the
        // latency the host compensates.
        const auto latency = (size_t) instance->getLatency();
        EXPECT_NE (fading.channels[0][100], input.channels[0][100 - std::min<size_t> (latency, 100)]);

        for (size_t i = 480 + latency; i < 9600; ++i)
            ASSERT_FLOAT_EQ (fading.channels[1][i], input.channels[1][i - latency]) << "sample " << i;
    }
}

//==============================================================================
TEST (Bundle, ANonFiniteInputSampleCostsOnlyItsBlock)
{
    // From the block after the one that carried it, an instance sounds exactly as a fresh
    // one given the rest of the audio. Both restore the same state, which settles them.
    BundleSession bundle;
    constexpr int block = 256;
    constexpr size_t firstClean = 3 * block;
    const float nonFiniteValues[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                      -std::numeric_limits<float>::infinity() };

    const auto renderSettled = [&bundle] (ChannelLayout layout, int factor, const AudioData& input)
    {
        auto instance = bundle.makeInstance (layout);

        if (instance == nullptr)
            return AudioData();

        const auto state = stateWith (*instance, { { "Oversample", std::to_string (factor) }, { "Limiter", "1" },
                                                   { "Frequency", "0.3" }, { "Emphasis", "0.7" }, { "Operations", "0.6" },
                                                   { "Gain", "0.65" }, { "Mix", "0.8" } });
        EXPECT_EQ (instance->getInstance().setChunk (state), AAX_SUCCESS);
        return renderThroughHost (bundle.session, *instance, input, block);
    };

    for (const auto layout : allLayouts)
        for (const auto factor : { 1, 16 })
            for (const auto bad : nonFiniteValues)
            {
                SCOPED_TRACE (describe (layout, factor, block) + ", " + std::to_string (bad));
                auto input = makeNoise (numInputsOf (layout), 8 * block, (int) rate, 13);
                input.channels.back()[firstClean - 1] = bad;   // at 16x still in the dry delay after its block

                auto rest = input;

                for (auto& channel : rest.channels)
                    channel.erase (channel.begin(), channel.begin() + firstClean);

                const auto output = renderSettled (layout, factor, input);
                const auto fresh = renderSettled (layout, factor, rest);
                ASSERT_EQ (output.channels.size(), (size_t) numOutputsOf (layout));
                ASSERT_EQ (fresh.channels.size(), output.channels.size());

                for (size_t ch = 0; ch < output.channels.size(); ++ch)
                {
                    const auto clean = output.channels[ch].begin() + (long) firstClean;
                    EXPECT_TRUE (std::all_of (clean, output.channels[ch].end(), [] (float x) { return std::isfinite (x); }));
                    EXPECT_TRUE (std::equal (clean, output.channels[ch].end(), fresh.channels[ch].begin())) << "channel " << ch;
                }
            }
}

//==============================================================================
TEST (Bundle, AutomationReachesTheProcessorAndTheProcessorsChangesReachTheHost)
{
    BundleSession bundle;
    auto instance = bundle.makeInstance (ChannelLayout::stereo);
    ASSERT_NE (instance, nullptr);

    // Host to processor: the set request comes back as the host's update and lands.
    ASSERT_EQ (instance->setParameter ("3", 0.25), AAX_SUCCESS);
    std::vector<ParameterListing> parameters;
    ASSERT_EQ (instance->getInstance().listParameters (parameters), AAX_SUCCESS);
    ASSERT_GE (parameters.size(), 7u);
    EXPECT_EQ (parameters[3].name, "Gain");
    EXPECT_DOUBLE_EQ (parameters[3].value, 0.25);

    // Processor to host: a restored state moves each knob as a user would (touch, value,
    // release), which reaches the host's automation in that order.
    auto* automation = instance->getInstance().getController().getAutomationDelegate();
    automation->clearEvents();
    ASSERT_EQ (instance->getInstance().setChunk (stateWith (*instance, { { "Frequency", "0.125" } })), AAX_SUCCESS);

    const auto events = automation->getEvents();
    size_t touched = 0, requested = 0, released = 0;
    ASSERT_TRUE (hasEvent (events, 0, AutomationEvent::Kind::touched, "0", touched));
    ASSERT_TRUE (hasEvent (events, touched, AutomationEvent::Kind::setRequested, "0", requested));
    ASSERT_TRUE (hasEvent (events, requested, AutomationEvent::Kind::released, "0", released));
    EXPECT_DOUBLE_EQ (events[requested].value, 0.125);

    ASSERT_EQ (instance->getInstance().listParameters (parameters), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ (parameters[0].value, 0.125);
}

//==============================================================================
TEST (Bundle, BothChunksRestoreParametersAndSoundIntoAFreshInstance)
{
    BundleSession bundle;
    const auto input = makeNoise (2, 24000, (int) rate, 5);
    std::vector<ChunkRecord> saved;
    std::vector<ParameterListing> before, after;
    AudioData soundBefore;
    int latencyBefore = 0;

    {
        auto source = bundle.makeInstance (ChannelLayout::stereo);
        ASSERT_NE (source, nullptr);
        ASSERT_EQ (source->getInstance().setChunk (stateWith (*source, { { "Oversample", "4" }, { "Limiter", "1" } })),
                   AAX_SUCCESS);

        for (const auto& [index, value] : knobSettings)
            ASSERT_EQ (source->setParameter (std::to_string (index), value), AAX_SUCCESS);

        for (const auto id : { controlsChunkID, juceChunkID })
        {
            saved.emplace_back();
            ASSERT_EQ (source->getInstance().getChunk (id, saved.back()), AAX_SUCCESS);
        }

        ASSERT_EQ (source->getInstance().listParameters (before), AAX_SUCCESS);
        soundBefore = renderThroughHost (bundle.session, *source, input, 512);
        latencyBefore = source->getLatency();
    }

    auto restored = bundle.makeInstance (ChannelLayout::stereo);
    ASSERT_NE (restored, nullptr);

    for (const auto& chunk : saved)
        ASSERT_EQ (restored->getInstance().setChunk (chunk), AAX_SUCCESS);

    ASSERT_EQ (restored->getInstance().listParameters (after), AAX_SUCCESS);
    ASSERT_EQ (after.size(), before.size());

    for (size_t i = 0; i < before.size(); ++i)
    {
        EXPECT_EQ (after[i].value, before[i].value) << before[i].name;
        EXPECT_EQ (after[i].valueText, before[i].valueText) << before[i].name;
    }

    EXPECT_GT (latencyBefore, 0);
    EXPECT_EQ (restored->getLatency(), latencyBefore) << "4x oversampling came back with the state";

    // The source's knobs glided from their Init values over the first 10 ms, the restored
    // ones start where they were saved; once the filters have forgotten that, the two sound
    // the same.
    const auto soundAfter = renderThroughHost (bundle.session, *restored, input, 512);

    for (size_t ch = 0; ch < 2; ++ch)
        for (size_t i = input.channels[0].size() / 2; i < input.channels[0].size(); ++i)
            ASSERT_NEAR (soundAfter.channels[ch][i], soundBefore.channels[ch][i], 1.0e-5f) << "sample " << i;

    EXPECT_NE (soundAfter.channels[0], renderThroughHost (bundle.session, *bundle.makeInstance (ChannelLayout::stereo),
                                                          input, 512).channels[0])
        << "the restored sound is not the Init sound";
}

//==============================================================================
TEST (Bundle, RunLoopDispatchReturnsAtOnceWithoutAMessageLoop)
{
    BundleSession bundle;

    // Registration's temporary processor has come and gone with its message loop.
    EXPECT_EQ (bundle.session.dispatchRunLoop(), 0);

    {
        auto instance = bundle.makeInstance (ChannelLayout::mono);
        ASSERT_NE (instance, nullptr);

        for (int i = 0; i < 10; ++i)
            EXPECT_GE (bundle.session.dispatchRunLoop(), 0);
    }

    EXPECT_EQ (bundle.session.dispatchRunLoop(), 0);
}

TEST (Bundle, InstancesBatchedIntoOneProcessCallSoundAsIfCalledAlone)
{
    // Hosts hand a process procedure every instance of a component at once.
    BundleSession bundle;
    auto first = bundle.makeInstance (ChannelLayout::stereo);
    auto second = bundle.makeInstance (ChannelLayout::stereo);
    auto alone = bundle.makeInstance (ChannelLayout::stereo);
    ASSERT_TRUE (first != nullptr && second != nullptr && alone != nullptr);

    ASSERT_EQ (second->getInstance().setChunk (oversamplingState (*second, 4)), AAX_SUCCESS);
    ASSERT_EQ (alone->getInstance().setChunk (oversamplingState (*alone, 4)), AAX_SUCCESS);
    ASSERT_EQ (second->setParameter ("3", 0.8), AAX_SUCCESS);
    ASSERT_EQ (alone->setParameter ("3", 0.8), AAX_SUCCESS);

    const auto input = makeNoise (2, 256, (int) rate, 9);
    AlgorithmContext* contexts[] = { &first->getContext(), &second->getContext() };
    void* scratch[2] = {};

    for (int block = 0; block < 20; ++block)
    {
        for (auto* context : { contexts[0], contexts[1], &alone->getContext() })
            for (int ch = 0; ch < 2; ++ch)
                std::copy (input.channels[(size_t) ch].begin(), input.channels[(size_t) ch].end(), context->getInput (ch));

        AudioThread audio ([&]
        {
            AlgorithmContext::processTogether (first->getProcessProc(), contexts, 2, 256, scratch);
            alone->process (256);
        });
        audio.join();

        for (int ch = 0; ch < 2; ++ch)
            ASSERT_TRUE (std::equal (alone->getContext().getOutput (ch), alone->getContext().getOutput (ch) + 256,
                                     contexts[1]->getOutput (ch))) << "block " << block;
    }

    EXPECT_FALSE (std::equal (contexts[0]->getOutput (0), contexts[0]->getOutput (0) + 256, contexts[1]->getOutput (0)));
}
