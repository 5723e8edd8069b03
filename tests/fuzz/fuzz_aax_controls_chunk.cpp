// Feeds arbitrary bytes to the controls chunk as a host's saved state: to the parser, which
// writes back what it read; and to the test bundle's effect through SetChunk,
// CompareActiveChunk and the AudioSuite preview notification. Whatever the bytes, nothing is
// read beyond them, and the effect's own chunk afterwards compares equal to its state.

#include "../host/TestEffect.h"

#include <AAX_CChunkDataParser.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace
{
    constexpr AAX_CTypeID controlsChunkID = AAX_FourCharCode ('e', 'l', 'c', 'k');

    /** A chunk record with exactly `size` data bytes behind it. */
    std::unique_ptr<unsigned char[]> MakeChunk (const std::uint8_t* data, std::size_t size)
    {
        constexpr auto headerSize = offsetof (AAX_SPlugInChunk, fData);
        std::unique_ptr<unsigned char[]> chunk (new unsigned char[headerSize + size]());
        auto* record = reinterpret_cast<AAX_SPlugInChunk*> (chunk.get());
        record->fSize = static_cast<int32_t> (size);
        record->fChunkID = controlsChunkID;

        if (data != nullptr && size > 0)
            std::memcpy (record->fData, data, size);

        return chunk;
    }

    AAX_SPlugInChunk* Record (const std::unique_ptr<unsigned char[]>& chunk)
    {
        return reinterpret_cast<AAX_SPlugInChunk*> (chunk.get());
    }

    void RewriteWithParser (const AAX_SPlugInChunk* chunk)
    {
        AAX_CChunkDataParser parser;
        parser.LoadChunk (chunk);

        const auto size = parser.GetChunkDataSize();
        const auto copy = MakeChunk (nullptr, static_cast<std::size_t> (size));

        if (size < 4 || parser.GetChunkData (Record (copy), size) != 0)
            __builtin_trap();
    }

    /** The test effect initialised without a host: values change as soon as they are set. */
    TestEffect& Effect()
    {
        static TestEffect* effect = []
        {
            auto* made = new TestEffect();
            made->AddRef();

            // Chunks are restored only into an initialised effect.
            if (made->Initialize (nullptr) != AAX_SUCCESS)
                __builtin_trap();

            return made;
        }();

        return *effect;
    }

    void RestoreIntoEffect (const AAX_SPlugInChunk* chunk, const std::uint8_t* data, std::size_t size)
    {
        auto& effect = Effect();
        AAX_CBoolean equal = 0;
        effect.CompareActiveChunk (chunk, &equal);
        effect.SetChunk (controlsChunkID, chunk);
        effect.NotificationReceived (AAX_eNotificationEvent_ASPreviewState, data, static_cast<uint32_t> (size));

        // What the effect now holds, written out, is its state.
        uint32_t ownSize = 0;

        if (effect.GetChunkSize (controlsChunkID, &ownSize) != AAX_SUCCESS)
            __builtin_trap();

        const auto own = MakeChunk (nullptr, ownSize);

        if (effect.GetChunk (controlsChunkID, Record (own)) != AAX_SUCCESS
             || effect.CompareActiveChunk (Record (own), &equal) != AAX_SUCCESS || ! equal)
            __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 20)
        return 0;

    const auto chunk = MakeChunk (data, size);
    RewriteWithParser (Record (chunk));
    RestoreIntoEffect (Record (chunk), data, size);
    return 0;
}
