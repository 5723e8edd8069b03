#include "ChunkWalker.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tanglefix::host
{

namespace
{
    constexpr long long unknownSize = 0xffffffffLL;
    constexpr unsigned long long mostBytes = 1ULL << 62;   // no file is larger; keeps the sums from overflowing
    constexpr int mostChunks = 4096;

    // Chunks written after the audio (a LIST, say) are small, and the audio may be gigabytes:
    // they are looked for in the file's last bytes only.
    constexpr long long tailBytes = 65536;

    // Wave64 names its chunks by GUIDs; sizes are 64-bit and count the 24-byte chunk header.
    constexpr unsigned char w64Riff[16] = { 'r', 'i', 'f', 'f', 0x2e, 0x91, 0xcf, 0x11, 0xa5, 0xd6, 0x28, 0xdb, 0x04, 0xc1, 0x00, 0x00 };
    constexpr unsigned char w64Wave[16] = { 'w', 'a', 'v', 'e', 0xf3, 0xac, 0xd3, 0x11, 0x8c, 0xd1, 0x00, 0xc0, 0x4f, 0x8e, 0xdb, 0x8a };
    constexpr unsigned char w64Data[16] = { 'd', 'a', 't', 'a', 0xf3, 0xac, 0xd3, 0x11, 0x8c, 0xd1, 0x00, 0xc0, 0x4f, 0x8e, 0xdb, 0x8a };

    unsigned long long number (const unsigned char* bytes, int size, bool bigEndian)
    {
        unsigned long long value = 0;

        for (int i = 0; i < size; ++i)
            value |= (unsigned long long) bytes[bigEndian ? size - 1 - i : i] << (8 * i);

        return value;
    }

    std::string text (const unsigned char* bytes, size_t size)
    {
        return std::string (reinterpret_cast<const char*> (bytes), size);
    }

    /** Chunk ids are printable (Wave64's GUIDs start with four letters); audio rarely is. */
    bool looksLikeChunkId (const unsigned char* bytes)
    {
        return std::all_of (bytes, bytes + 4, [] (unsigned char c) { return c >= 0x20 && c <= 0x7e; });
    }

    /** An id that only a finished container's own chunks need to have: any but four zero
        bytes, which are silence more likely than a chunk. */
    bool isAnyChunkId (const unsigned char* bytes)
    {
        return std::any_of (bytes, bytes + 4, [] (unsigned char c) { return c != 0; });
    }
}

/** How a format lays out its chunks. */
struct ChunkWalker::Layout
{
    int idBytes, sizeBytes;
    bool bigEndian, sizeCountsHeader;
    long long alignment, firstChunk, dataPrefix;   // an AIFF sound chunk starts with its offset and block size
    std::string dataId;

    int headerBytes() const noexcept           { return idBytes + sizeBytes; }
    long long aligned (long long p) const noexcept  { return (p + alignment - 1) / alignment * alignment; }

    /** Where the chunk whose header is at p ends (its padding left out); -1 for a size no chunk has. */
    long long endOfChunk (long long p, const unsigned char* header) const
    {
        const auto rawSize = number (header + idBytes, sizeBytes, bigEndian);

        if (rawSize > mostBytes || (sizeCountsHeader && rawSize < (unsigned long long) headerBytes()))
            return -1;

        return p + (long long) rawSize + (sizeCountsHeader ? 0 : headerBytes());
    }
};

/** The file's last bytes, read once: the chunks after undeclared audio are walked there. */
struct ChunkWalker::Tail
{
    long long start = 0;
    std::vector<unsigned char> bytes;

    bool holds (long long position, size_t size) const noexcept
    {
        return position >= start && position + (long long) size <= start + (long long) bytes.size();
    }
};

ChunkWalker::ChunkWalker (const std::string& path)
    : descriptor (::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)), owned (true)
{
}

ChunkWalker::ChunkWalker (int d) noexcept
    : descriptor (d), owned (false)
{
}

ChunkWalker::~ChunkWalker()
{
    if (owned && descriptor >= 0)
        ::close (descriptor);
}

bool ChunkWalker::readAt (long long position, unsigned char* bytes, size_t size) const
{
    return pread (descriptor, bytes, size, (off_t) position) == (ssize_t) size;
}

bool ChunkWalker::readAt (const Tail& tail, long long position, unsigned char* bytes, size_t size) const
{
    if (! tail.holds (position, size))
        return readAt (position, bytes, size);

    std::memcpy (bytes, tail.bytes.data() + (position - tail.start), size);
    return true;
}

std::optional<ChunkWalker::Sizes> ChunkWalker::walk() const
{
    struct stat info {};
    unsigned char header[40];

    if (descriptor < 0 || fstat (descriptor, &info) != 0 || ! readAt (0, header, 12))
        return std::nullopt;

    const auto fileSize = (long long) info.st_size;
    const auto form = text (header, 4), type = text (header + 8, 4);
    Sizes sizes;
    sizes.heldContainer = fileSize - 8;

    if ((form == "RIFF" || form == "RF64" || form == "RIFX") && type == "WAVE")
    {
        const auto bigEndian = form == "RIFX";
        sizes.declaredContainer = (long long) number (header + 4, 4, bigEndian);
        return walkChunks ({ 4, 4, bigEndian, false, 2, 12, 0, "data" }, fileSize, sizes);
    }

    if (form == "FORM" && (type == "AIFF" || type == "AIFC"))
    {
        sizes.declaredContainer = (long long) number (header + 4, 4, true);
        return walkChunks ({ 4, 4, true, false, 2, 12, 8, "SSND" }, fileSize, sizes);
    }

    if (readAt (0, header, sizeof (header)) && std::memcmp (header, w64Riff, 16) == 0 && std::memcmp (header + 24, w64Wave, 16) == 0)
    {
        sizes.declaredContainer = (long long) std::min (number (header + 16, 8, false), mostBytes);
        sizes.heldContainer = fileSize;
        return walkChunks ({ 16, 8, false, true, 8, 40, 0, text (w64Data, 16) }, fileSize, sizes);
    }

    return std::nullopt;
}

std::optional<ChunkWalker::Sizes> ChunkWalker::walkChunks (const Layout& layout, long long fileSize, Sizes sizes) const
{
    const auto headerBytes = layout.headerBytes();
    long long position = layout.firstChunk, ds64RiffSize = -1, ds64DataSize = -1;

    for (int i = 0; i < mostChunks && position + headerBytes <= fileSize; ++i)
    {
        unsigned char chunk[24];

        if (! readAt (position, chunk, (size_t) headerBytes))
            return std::nullopt;

        const auto id = text (chunk, (size_t) layout.idBytes);
        const auto rawSize = number (chunk + layout.idBytes, layout.sizeBytes, layout.bigEndian);

        if (rawSize > mostBytes || (layout.sizeCountsHeader && rawSize < (unsigned long long) headerBytes))
            return std::nullopt;

        auto size = (long long) rawSize - (layout.sizeCountsHeader ? headerBytes : 0);

        // RF64 keeps its 64-bit RIFF and data sizes in its ds64 chunk.
        if (id == "ds64" && readAt (position + headerBytes, chunk, 16))
        {
            ds64RiffSize = (long long) std::min (number (chunk, 8, false), mostBytes);
            ds64DataSize = (long long) std::min (number (chunk + 8, 8, false), mostBytes);
        }

        if (id == layout.dataId)
        {
            if (layout.dataId == "data" && sizes.declaredContainer == unknownSize && ds64RiffSize >= 0)
                sizes.declaredContainer = ds64RiffSize;

            if (layout.dataId == "data" && size == unknownSize)
            {
                if (ds64DataSize >= 0)
                    size = ds64DataSize;
                else
                    sizes.lengthUnknown = true;   // written as a stream, before its length was known
            }

            const auto start = position + headerBytes;
            sizes.declaredData = std::max (0LL, size - layout.dataPrefix);
            sizes.heldData = std::max (0LL, std::min (size, fileSize - start) - layout.dataPrefix);

            if (! sizes.lengthUnknown && size <= layout.dataPrefix)
                findUndeclaredAudio (layout, start, size, fileSize, sizes);

            return sizes;
        }

        position = layout.aligned (position + headerBytes + size);
    }

    return std::nullopt;
}

void ChunkWalker::findUndeclaredAudio (const Layout& layout, long long start, long long declared, long long fileSize,
                                       Sizes& sizes) const
{
    // Declares no audio: what follows is either more chunks, or audio whose header was never
    // finished (a recorder that stopped before it could write the sizes).
    const auto audioStart = start + layout.dataPrefix;
    Tail tail { std::max (audioStart, fileSize - tailBytes - layout.alignment), {} };
    tail.bytes.resize ((size_t) std::max (0LL, fileSize - tail.start));

    // Unreadable, the tail holds no chunks: the audio is read to the end, where the same
    // fault stops the reading and is reported.
    if (! readAt (tail.start, tail.bytes.data(), tail.bytes.size()))
        tail.bytes.clear();

    // A container whose size counts exactly the data chunk and the chunks after it was
    // finished, with no audio, whatever was appended after it (a tagger's ID3 tag, say).
    const auto containerEnd = sizes.declaredContainer + (fileSize - sizes.heldContainer);

    if ((containerEnd <= fileSize && chunksEndAt (layout, tail, start + declared, containerEnd, isAnyChunkId))
        || chunksEndAt (layout, tail, start + declared, fileSize, looksLikeChunkId))
        return;

    const auto end = startOfChunksToEnd (layout, tail, std::max (audioStart + 1, fileSize - tailBytes), fileSize);

    if (end <= audioStart)
        return;

    sizes.dataSizeMissing = true;
    sizes.audioStart = audioStart;
    sizes.heldData = end - audioStart;

    // Chunks start aligned: the zeros just before them may be the data's padding.
    const auto isZero = [&] (long long p) { return p >= audioStart && tail.holds (p, 1) && tail.bytes[(size_t) (p - tail.start)] == 0; };

    if (end < fileSize && end % layout.alignment == 0)
        while (sizes.trailingZeros < layout.alignment - 1 && isZero (end - sizes.trailingZeros - 1))
            ++sizes.trailingZeros;
}

bool ChunkWalker::chunksEndAt (const Layout& layout, const Tail& tail, long long position, long long end,
                               bool (*isId) (const unsigned char*)) const
{
    // A pad byte may be missing after an odd chunk: both places the next one may start are
    // tried, nearest first, each once.
    std::set<long long> starts { position };

    for (int i = 0; i < mostChunks && ! starts.empty(); ++i)
    {
        const auto at = *starts.begin();
        starts.erase (starts.begin());
        unsigned char chunk[24];

        if (at == end)
            return true;

        if (at + layout.headerBytes() > end || ! readAt (tail, at, chunk, (size_t) layout.headerBytes()) || ! isId (chunk))
            continue;

        if (const auto next = layout.endOfChunk (at, chunk); next >= 0 && next <= end)
            starts.insert ({ next, layout.aligned (next) });
    }

    return false;
}

long long ChunkWalker::startOfChunksToEnd (const Layout& layout, const Tail& tail, long long from, long long fileSize)
{
    if (! tail.holds (fileSize - 1, 1))
        return fileSize;

    // Walked backwards, once: a chunk reaches the end when it ends there (padded or not) or
    // where a chunk that reaches the end starts.
    std::vector<bool> reaches (tail.bytes.size() + 1, false);
    reaches.back() = true;
    const auto reached = [&] (long long p) { return p <= fileSize && reaches[(size_t) (p - tail.start)]; };
    auto first = fileSize;

    for (auto p = fileSize - layout.headerBytes(); p >= std::max (from, tail.start); --p)
    {
        const auto* chunk = tail.bytes.data() + (p - tail.start);

        if (const auto next = looksLikeChunkId (chunk) ? layout.endOfChunk (p, chunk) : -1;
            next >= 0 && (reached (next) || reached (layout.aligned (next))))
        {
            reaches[(size_t) (p - tail.start)] = true;
            first = p;
        }
    }

    return first;
}

bool ChunkWalker::accountsFor (long long dataBytes, std::string& problem) const
{
    const auto sizes = walk();

    if (! sizes.has_value())
        problem = "its header cannot be read";
    else if (sizes->lengthUnknown || sizes->declaredContainer != sizes->heldContainer)
        problem = "its header gives the container " + std::to_string (sizes->declaredContainer) + " bytes, the file holds "
                + std::to_string (sizes->heldContainer) + " for it";
    else if (sizes->declaredData != dataBytes)
        problem = "its header declares " + std::to_string (sizes->declaredData) + " bytes of audio, not the "
                + std::to_string (dataBytes) + " written";
    else if (sizes->heldData != dataBytes)
        problem = "it holds " + std::to_string (sizes->heldData) + " bytes of audio, not the " + std::to_string (dataBytes) + " written";
    else
        return true;

    return false;
}

} // namespace tanglefix::host
