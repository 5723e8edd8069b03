#pragma once

#include <AAX.h>

#include <string>
#include <vector>

namespace tanglefix::host
{

/** One state chunk as the host keeps it: the record's header fields and its data. */
struct ChunkRecord
{
    AAX_CTypeID id = 0;
    std::int32_t version = 0;
    AAX_CTypeID manufacturerID = 0;
    AAX_CTypeID productID = 0;
    AAX_CTypeID plugInID = 0;
    std::string name;
    std::vector<unsigned char> data;
};

/** A file of saved chunks: each one as the chunk record the host exchanges with the plug-in
    (AAX_SPlugInChunk: the 56-byte header in the machine's byte order, then fSize data bytes),
    one after the other. Reading checks every size against the file, so a cut or damaged file
    is refused rather than handed to the plug-in.

    A chunk file comes from outside, so it is read as the plug-in reads its other outside
    files: a regular file only (links followed), opened without waiting, and no more than
    maxBytes, far above any instance's chunks.
*/
namespace ChunkFile
{
    constexpr std::size_t maxBytes = 64 * 1024 * 1024;

    enum class ReadOutcome
    {
        read,
        cannotRead,   // missing, not permitted, or an error while reading
        refused,      // no regular file, or larger than maxBytes
        damaged       // cut, or a size that runs past the end
    };

    bool write (const std::string& path, const std::vector<ChunkRecord>& chunks, std::string& errorMessage);

    /** Reads every chunk of the file; anything but `read` comes with a message naming the file. */
    ReadOutcome read (const std::string& path, std::vector<ChunkRecord>& chunks, std::string& errorMessage);
}

/** A chunk record with room for `dataSize` data bytes, for passing to the plug-in. */
class ChunkBuffer
{
public:
    explicit ChunkBuffer (std::uint32_t dataSize);

    AAX_SPlugInChunk* get() noexcept    { return reinterpret_cast<AAX_SPlugInChunk*> (storage.data()); }
    std::uint32_t getCapacity() const noexcept  { return capacity; }

    static ChunkBuffer from (const ChunkRecord& chunk);

    /** The record's contents; false when its fSize claims more than the buffer holds. */
    bool toRecord (ChunkRecord& chunk);

    static constexpr std::size_t headerSize = offsetof (AAX_SPlugInChunk, fData);

private:
    std::vector<std::uint64_t> storage;   // 8-byte units keep the header aligned
    std::uint32_t capacity;
};

} // namespace tanglefix::host
