#include "ChunkFile.h"

#include "ReplacingFile.h"

#include <BrioRegularFile.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tanglefix::host
{

ChunkBuffer::ChunkBuffer (std::uint32_t dataSize)
    : storage ((headerSize + dataSize + sizeof (std::uint64_t) - 1) / sizeof (std::uint64_t) + 1, 0),
      capacity (dataSize)
{
}

ChunkBuffer ChunkBuffer::from (const ChunkRecord& chunk)
{
    ChunkBuffer buffer (static_cast<std::uint32_t> (chunk.data.size()));
    auto* record = buffer.get();
    record->fSize = static_cast<std::int32_t> (chunk.data.size());
    record->fVersion = chunk.version;
    record->fManID = chunk.manufacturerID;
    record->fProdID = chunk.productID;
    record->fPlugID = chunk.plugInID;
    record->fChunkID = chunk.id;
    std::strncpy (record->fName, chunk.name.c_str(), sizeof (record->fName) - 1);

    if (! chunk.data.empty())
        std::memcpy (record->fData, chunk.data.data(), chunk.data.size());

    return buffer;
}

bool ChunkBuffer::toRecord (ChunkRecord& chunk)
{
    const auto* record = get();

    if (record->fSize < 0 || static_cast<std::uint32_t> (record->fSize) > capacity)
        return false;

    chunk.id = record->fChunkID;
    chunk.version = record->fVersion;
    chunk.manufacturerID = record->fManID;
    chunk.productID = record->fProdID;
    chunk.plugInID = record->fPlugID;
    chunk.name.assign (record->fName, strnlen (record->fName, sizeof (record->fName)));

    const auto* data = reinterpret_cast<const unsigned char*> (record->fData);
    chunk.data.assign (data, data + record->fSize);
    return true;
}

//==============================================================================
bool ChunkFile::write (const std::string& path, const std::vector<ChunkRecord>& chunks, std::string& errorMessage)
{
    // Whole or not at all: the earlier file stays until the new one is complete.
    ReplacingFile file;

    if (! file.open (path, errorMessage))
        return false;

    for (const auto& chunk : chunks)
    {
        auto buffer = ChunkBuffer::from (chunk);
        const auto* bytes = reinterpret_cast<const char*> (buffer.get());
        auto remaining = ChunkBuffer::headerSize + chunk.data.size();

        while (remaining > 0)
        {
            const auto written = ::write (file.getDescriptor(), bytes, remaining);

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
            {
                errorMessage = "cannot write chunk file " + path + ": " + std::strerror (errno);
                return false;
            }

            bytes += written;
            remaining -= (std::size_t) written;
        }
    }

    return file.commit (errorMessage);
}

ChunkFile::ReadOutcome ChunkFile::read (const std::string& path, std::vector<ChunkRecord>& chunks, std::string& errorMessage)
{
    std::vector<unsigned char> bytes;
    std::string reason;
    chunks.clear();

    switch (BrioRegularFile::read (path.c_str(), maxBytes, bytes, reason))
    {
        case BrioRegularFile::Outcome::read:
            break;

        case BrioRegularFile::Outcome::cannotOpen:
            errorMessage = "cannot open chunk file " + path + " (it " + reason + ")";
            return ReadOutcome::cannotRead;

        case BrioRegularFile::Outcome::cannotRead:
        case BrioRegularFile::Outcome::failed:
            errorMessage = "cannot read chunk file " + path + " (it " + reason + ")";
            return ReadOutcome::cannotRead;

        case BrioRegularFile::Outcome::notRegular:
        case BrioRegularFile::Outcome::tooLarge:
            errorMessage = "refused the chunk file " + path + ": it " + reason;
            return ReadOutcome::refused;
    }

    for (std::size_t position = 0; position < bytes.size();)
    {
        AAX_SPlugInChunk header {};

        if (bytes.size() - position < ChunkBuffer::headerSize)
        {
            errorMessage = "chunk file " + path + " ends inside a chunk header";
            return ReadOutcome::damaged;
        }

        std::memcpy (&header, bytes.data() + position, ChunkBuffer::headerSize);
        const auto dataStart = position + ChunkBuffer::headerSize;

        if (header.fSize < 0 || static_cast<std::size_t> (header.fSize) > bytes.size() - dataStart)
        {
            errorMessage = "chunk file " + path + " has a chunk whose size runs past its end";
            return ReadOutcome::damaged;
        }

        ChunkBuffer buffer (static_cast<std::uint32_t> (header.fSize));
        std::memcpy (buffer.get(), bytes.data() + position, ChunkBuffer::headerSize + static_cast<std::size_t> (header.fSize));

        ChunkRecord chunk;
        buffer.toRecord (chunk);
        chunks.push_back (std::move (chunk));
        position = dataStart + static_cast<std::size_t> (header.fSize);
    }

    return ReadOutcome::read;
}

} // namespace tanglefix::host
