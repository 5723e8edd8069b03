// The effect base across threads, under ThreadSanitizer: hosts ask for the controls chunk
// from several threads at once (each with the buffer its own size query told it to make) and
// set values on one thread while saving on another; JUCE counts changes on the audio thread.

#include "AAX_CEffectParameters.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "ChunkTestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace
{
    constexpr AAX_CTypeID controlsChunkID = AAX_FourCharCode ('e', 'l', 'c', 'k');

    /** An effect with parameters and no host, so that nothing but the effect's own code runs. */
    class PlainEffect : public AAX_CEffectParameters
    {
    public:
        PlainEffect()
        {
            for (int i = 0; i < 8; ++i)
            {
                const auto id = std::to_string (i);
                mParameterManager.AddParameter (new AAX_CParameter<float> (id.c_str(), AAX_CString ("p"), 0.125f * static_cast<float> (i),
                                                                           AAX_CLinearTaperDelegate<float, 0>(),
                                                                           AAX_CNumberDisplayDelegate<float, 3>(), true));
            }
        }

        /** What JUCE's wrapper does when its processor reports a change, on any thread. */
        void CountChange()    { ++mNumPlugInChanges; }
    };

    /** One size query and one chunk, as a host thread asks for them. */
    std::vector<unsigned char> TakeChunk (const AAX_CEffectParameters& effect)
    {
        uint32_t size = 0;

        if (effect.GetChunkSize (controlsChunkID, &size) != AAX_SUCCESS)
            return {};

        ChunkBuffer chunk (size);
        return effect.GetChunk (controlsChunkID, chunk.get()) == AAX_SUCCESS ? chunk.Data() : std::vector<unsigned char> {};
    }
}

TEST (AAXEffectThreads, EveryThreadGetsWholeChunks)
{
    PlainEffect effect;
    const auto expected = TakeChunk (effect);
    ASSERT_EQ (expected.size(), 4u + 8u * 12u);

    std::atomic<int> mismatches { 0 };
    std::vector<std::thread> threads;

    for (int t = 0; t < 4; ++t)
        threads.emplace_back ([&]
        {
            for (int i = 0; i < 200; ++i)
                if (TakeChunk (effect) != expected)
                    ++mismatches;
        });

    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ (mismatches.load(), 0);
}

TEST (AAXEffectThreads, ValuesSetWhileAnotherThreadSavesChunks)
{
    PlainEffect effect;
    std::thread saver ([&] { for (int i = 0; i < 200; ++i) TakeChunk (effect); });

    // As the host answers automation: each answer stores the value the chunk reads.
    for (int i = 0; i < 2000; ++i)
        effect.UpdateParameterNormalizedValue ("3", (i % 100) / 100.0, AAX_eUpdateSource_Unspecified);

    saver.join();
    double last = -1.0;
    EXPECT_EQ (effect.GetParameterNormalizedValue ("3", &last), AAX_SUCCESS);
    EXPECT_NEAR (last, 0.99, 1e-6);
}

TEST (AAXEffectThreads, ChangesCountedOnAnotherThreadAreRead)
{
    PlainEffect effect;
    constexpr int32_t numChanges = 20000;
    std::thread audio ([&] { for (int32_t i = 0; i < numChanges; ++i) effect.CountChange(); });

    for (int32_t seen = 0; seen < numChanges;)
        effect.GetNumberOfChanges (&seen);

    audio.join();
}
