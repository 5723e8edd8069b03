// Feeds arbitrary bytes to the controls-chunk reader as a host's saved chunk, then writes
// what it read back: whatever the bytes, nothing is read beyond them, and what was read
// whole writes out into exactly the size it claims.

#include "AAX_CChunkDataParser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace
{
    std::unique_ptr<unsigned char[]> MakeChunk (const std::uint8_t* data, std::size_t size)
    {
        constexpr auto headerSize = offsetof (AAX_SPlugInChunk, fData);
        std::unique_ptr<unsigned char[]> chunk (new unsigned char[headerSize + size]());
        auto* record = reinterpret_cast<AAX_SPlugInChunk*> (chunk.get());
        record->fSize = static_cast<int32_t> (size);
        record->fChunkID = AAX_FourCharCode ('e', 'l', 'c', 'k');

        if (data != nullptr && size > 0)
            std::memcpy (record->fData, data, size);

        return chunk;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 20)
        return 0;

    const auto chunk = MakeChunk (data, size);
    AAX_CChunkDataParser parser;
    parser.LoadChunk (reinterpret_cast<const AAX_SPlugInChunk*> (chunk.get()));

    double d = 0;
    int32_t i = 0;
    AAX_CString text;
    parser.FindDouble ("1", &d);
    parser.FindInt32 ("", &i);
    parser.FindString ("1", &text);

    const auto written = parser.GetChunkDataSize();

    if (written < 4)
        __builtin_trap();

    const auto copy = MakeChunk (nullptr, static_cast<std::size_t> (written));

    if (parser.GetChunkData (reinterpret_cast<AAX_SPlugInChunk*> (copy.get()), written) != 0)
        __builtin_trap();

    return 0;
}
