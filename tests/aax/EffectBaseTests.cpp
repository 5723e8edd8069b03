// What the effect base does on its own, without a host behind it.

#include "AAX_CEffectParameters.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "ChunkTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    /** An effect whose EffectInit makes `count` parameters, the first of them the master
        bypass when asked for. */
    class CountingEffect : public AAX_CEffectParameters
    {
    public:
        CountingEffect (int c, bool bypass) : count (c), withMasterBypass (bypass) {}

        AAX_Result EffectInit() override
        {
            for (int i = 0; i < count; ++i)
            {
                const auto id = i == 0 && withMasterBypass ? std::string (cDefaultMasterBypassID) : std::to_string (i);
                mParameterManager.AddParameter (new AAX_CParameter<float> (id.c_str(), AAX_CString ("p"), 0.0f,
                                                                           AAX_CLinearTaperDelegate<float, 0>(),
                                                                           AAX_CNumberDisplayDelegate<float, 3>(), true));
            }

            return AAX_SUCCESS;
        }

        int32_t ChunkedCount() const noexcept    { return mNumChunkedParameters; }
        void SetChangeCount (int32_t changes)    { mNumPlugInChanges = changes; }

    private:
        const int count;
        const bool withMasterBypass;
    };
}

TEST (AAXEffectBase, OnlyAnExistingMasterBypassIsLeftOutOfTheChunk)
{
    for (const bool withMasterBypass : { true, false })
    {
        CountingEffect effect (3, withMasterBypass);
        ASSERT_EQ (effect.Initialize (nullptr), AAX_SUCCESS);
        EXPECT_EQ (effect.ChunkedCount(), withMasterBypass ? 2 : 3) << withMasterBypass;

        uint32_t size = 0;
        EXPECT_EQ (effect.GetChunkSize (AAX_FourCharCode ('e', 'l', 'c', 'k'), &size), AAX_SUCCESS);
        EXPECT_EQ (size, withMasterBypass ? 4u + 2u * 12u : 4u + 3u * 12u);
        EXPECT_EQ (effect.Uninitialize(), AAX_SUCCESS);
    }
}

TEST (AAXEffectBase, AnswersWithoutAHost)
{
    CountingEffect effect (1, false);

    // Before Initialize there is nowhere to send packets, but there are wrappers to ask.
    EXPECT_EQ (effect.GenerateCoefficients(), AAX_ERROR_NOT_INITIALIZED);
    ASSERT_NE (effect.Controller(), nullptr);
    ASSERT_NE (effect.Transport(), nullptr);

    AAX_CSampleRate rate = 0;
    AAX_CTargetPlatform platform = 5;
    EXPECT_EQ (effect.Controller()->GetSampleRate (&rate), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (effect.Controller()->GetPlugInTargetPlatform (&platform), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (platform, 0);

    // A change count that wrapped round still answers, from 0.
    int32_t changes = 77;
    effect.SetChangeCount (-5);
    EXPECT_EQ (effect.GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, 0);
    EXPECT_EQ (effect.GetNumberOfChanges (nullptr), AAX_ERROR_NULL_ARGUMENT);
}

TEST (AAXEffectBase, ChunksAreRestoredOnlyBetweenInitializeAndUninitialize)
{
    constexpr auto elck = AAX_FourCharCode ('e', 'l', 'c', 'k');

    // A chunk saved from an instance whose second parameter was moved.
    CountingEffect source (2, false);
    ASSERT_EQ (source.Initialize (nullptr), AAX_SUCCESS);
    ASSERT_EQ (source.SetParameterNormalizedValue ("1", 0.75), AAX_SUCCESS);
    uint32_t size = 0;
    ASSERT_EQ (source.GetChunkSize (elck, &size), AAX_SUCCESS);
    ChunkBuffer chunk (size);
    chunk->fSize = static_cast<int32_t> (size);
    chunk->fChunkID = elck;
    ASSERT_EQ (source.GetChunk (elck, chunk.get()), AAX_SUCCESS);

    // Without its parameters an instance can restore nothing, and must not claim it did:
    // the host would take the session's state for loaded.
    CountingEffect effect (2, false);
    EXPECT_EQ (effect.SetChunk (elck, chunk.get()), AAX_ERROR_NOT_INITIALIZED);

    ASSERT_EQ (effect.Initialize (nullptr), AAX_SUCCESS);
    EXPECT_EQ (effect.SetChunk (elck, chunk.get()), AAX_SUCCESS);
    double restored = 0.0;
    EXPECT_EQ (effect.GetParameterNormalizedValue ("1", &restored), AAX_SUCCESS);
    EXPECT_EQ (restored, 0.75);

    ASSERT_EQ (effect.Uninitialize(), AAX_SUCCESS);
    EXPECT_EQ (effect.SetChunk (elck, chunk.get()), AAX_ERROR_NOT_INITIALIZED);
}
