#pragma once

#include "AAX.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

/** A chunk record with exactly `capacity` data bytes behind it, so that AddressSanitizer
    sees any read or write past them. */
class ChunkBuffer
{
public:
    explicit ChunkBuffer (size_t capacity)
        : mStorage (new unsigned char[headerSize + capacity]()), mCapacity (capacity)
    {
    }

    /** A chunk holding exactly these data bytes, with fSize saying so. */
    static ChunkBuffer Holding (const std::vector<unsigned char>& bytes, AAX_CTypeID id = AAX_FourCharCode ('e', 'l', 'c', 'k'))
    {
        ChunkBuffer buffer (bytes.size());
        buffer->fSize = static_cast<int32_t> (bytes.size());
        buffer->fChunkID = id;

        if (! bytes.empty())
            std::memcpy (buffer->fData, bytes.data(), bytes.size());

        return buffer;
    }

    AAX_SPlugInChunk* get() const noexcept            { return reinterpret_cast<AAX_SPlugInChunk*> (mStorage.get()); }
    AAX_SPlugInChunk* operator->() const noexcept     { return get(); }

    std::vector<unsigned char> Data() const
    {
        const auto* data = reinterpret_cast<const unsigned char*> (get()->fData);
        return { data, data + std::min (mCapacity, static_cast<size_t> (std::max (get()->fSize, 0))) };
    }

    static constexpr size_t headerSize = offsetof (AAX_SPlugInChunk, fData);

private:
    std::unique_ptr<unsigned char[]> mStorage;
    size_t mCapacity;
};
