#pragma once

// What the end-to-end tests share: a host session on the real bundle, instances set up as a
// host sets them up, test audio, and the processor driven directly as JUCE's AAX wrapper
// drives it, for reference.

#include "AudioThread.h"
#include "OfflineRenderer.h"
#include "ProcessingInstance.h"
#include "StateChunkEditor.h"

#include <gtest/gtest.h>

#include <random>

namespace bundle_test
{
using namespace tanglefix::host;

constexpr AAX_CTypeID juceChunkID = ('j' << 24) | ('u' << 16) | ('c' << 8) | 'e';
constexpr AAX_CTypeID controlsChunkID = ('e' << 24) | ('l' << 16) | ('c' << 8) | 'k';
constexpr ChannelLayout allLayouts[] = { ChannelLayout::mono, ChannelLayout::monoStereo, ChannelLayout::stereo };
constexpr int allFactors[] = { 1, 2, 4, 8, 16 };

/** A host session on the real bundle: started and registered; shut down at the end, when
    the bundle must have let go of everything.
*/
class BundleSession
{
public:
    BundleSession()
    {
        std::string error;
        EXPECT_TRUE (session.load (TANGLEFIX_BUNDLE, error)) << error;
        EXPECT_TRUE (session.startUp().succeeded());
        const auto registered = session.registerPlugin();
        EXPECT_TRUE (registered.succeeded()) << registered.code << " " << registered.problem;
    }

    ~BundleSession()
    {
        session.dispatchRunLoop();
        EXPECT_TRUE (session.shutDown().succeeded());

        acfUInt32 activeObjects = 99;
        EXPECT_TRUE (session.canUnloadNow (activeObjects).succeeded());
        EXPECT_EQ (activeObjects, 0u) << "ACFCanUnloadNow after every instance was released";
        EXPECT_EQ (session.getLeakedHostObjectCount(), 0);
    }

    std::unique_ptr<ProcessingInstance> makeInstance (ChannelLayout layout, double sampleRate = 48000.0,
                                                      int maxBlock = 1024)
    {
        std::string error;
        auto instance = ProcessingInstance::create (session, layout, sampleRate, maxBlock, error);
        EXPECT_NE (instance, nullptr) << error;
        return instance;
    }

    HostSession session;
};

inline AudioData makeNoise (int channels, int frames, int sampleRate, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

    AudioData audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign ((size_t) channels, std::vector<float> ((size_t) frames));

    for (auto& channel : audio.channels)
        for (auto& x : channel)
            x = uniform (random);

    return audio;
}

/** The state chunk of an instance with some of its root attributes changed. */
inline ChunkRecord stateWith (ProcessingInstance& instance, const StateChunkEditor::Attributes& attributes)
{
    ChunkRecord chunk;
    EXPECT_EQ (instance.getInstance().getChunk (juceChunkID, chunk), AAX_SUCCESS);
    std::string error;
    EXPECT_TRUE (StateChunkEditor::setRootAttributes (chunk.data, attributes, error)) << error;
    return chunk;
}

inline ChunkRecord oversamplingState (ProcessingInstance& instance, int factor)
{
    return stateWith (instance, { { "Oversample", std::to_string (factor) } });
}

/** Renders on an audio thread while this (main) thread serves the bundle's run loop. The
    output is raw: latency is not compensated.
*/
inline AudioData renderThroughHost (HostSession& session, ProcessingInstance& instance, const AudioData& input,
                                    int blockLength, int latency = 0)
{
    OfflineRenderer renderer (instance.getContext(), instance.getProcessProc(), blockLength, latency);
    return renderInMemory (renderer, input, instance.getContext().getLayout().numOutputs,
                           [&session] { session.dispatchRunLoop(); });
}

} // namespace bundle_test
