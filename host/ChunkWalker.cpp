#include "ChunkWalker.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tanglefix::host
{

namespace
{
    constexpr long long unknownSize = 0xffffffffLL;
    constexpr unsigned long long mostBytes = 1ULL << 62;   // no file is larger; keeps the sums from overflowing

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

    void putNumber (unsigned char* bytes, int size, bool bigEndian, unsigned long long value)
    {
        for (int i = 0; i < size; ++i)
            bytes[bigEndian ? size - 1 - i : i] = (unsigned char) (value >> (8 * i));
    }
}

/** How a format lays out its chunks. */
struct ChunkWalker::Layout
{
    int idBytes, sizeBytes;
    bool bigEndian, sizeCountsHeader;
    long long alignment, firstChunk, dataPrefix;   // an AIFF sound chunk starts with its offset and block size
    std::string dataId;
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
    constexpr int mostChunks = 4096;
    const auto headerBytes = layout.idBytes + layout.sizeBytes;
    long long position = layout.firstChunk, ds64RiffSize = -1, ds64DataSize = -1, ds64DataField = -1;

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
            ds64DataField = position + headerBytes + 8;
        }

        if (id == layout.dataId)
        {
            auto sizeField = position + layout.idBytes;
            auto sizeBytes = layout.sizeBytes;

            if (layout.dataId == "data" && sizes.declaredContainer == unknownSize && ds64RiffSize >= 0)
                sizes.declaredContainer = ds64RiffSize;

            if (layout.dataId == "data" && size == unknownSize)
            {
                if (ds64DataSize >= 0)
                {
                    size = ds64DataSize;
                    sizeField = ds64DataField;
                    sizeBytes = 8;
                }
                else
                {
                    sizes.lengthUnknown = true;   // written as a stream, before its length was known
                }
            }

            const auto start = position + headerBytes;
            sizes.declaredData = std::max (0LL, size - layout.dataPrefix);
            sizes.heldData = std::max (0LL, std::min (size, fileSize - start) - layout.dataPrefix);

            if (! sizes.lengthUnknown && size <= layout.dataPrefix)
            {
                // Declares no audio: what follows is either more chunks, or audio whose header
                // was never finished (a recorder that stopped before it could write the size).
                const auto end = endOfUndeclaredData (layout, start, size, fileSize);

                if (end - start > layout.dataPrefix)
                {
                    sizes.dataSizeMissing = true;
                    sizes.heldData = end - start - layout.dataPrefix;
                    sizes.dataSizeField = sizeField;
                    sizes.dataSizeBytes = sizeBytes;
                    const auto held = (unsigned long long) (end - start + (layout.sizeCountsHeader ? headerBytes : 0));
                    putNumber (sizes.mendedDataSize, sizeBytes, sizeBytes == 8 ? false : layout.bigEndian,
                               sizeBytes == 8 ? held : std::min<unsigned long long> (held, unknownSize));
                }
            }

            return sizes;
        }

        const auto next = position + headerBytes + size;
        position = (next + layout.alignment - 1) / layout.alignment * layout.alignment;
    }

    return std::nullopt;
}

bool ChunkWalker::chunksReachEnd (const Layout& layout, long long position, long long fileSize) const
{
    constexpr int mostChunks = 4096;
    const auto headerBytes = layout.idBytes + layout.sizeBytes;

    for (int i = 0; i < mostChunks && position + headerBytes <= fileSize; ++i)
    {
        unsigned char chunk[24];

        if (! readAt (position, chunk, (size_t) headerBytes) || ! looksLikeChunkId (chunk))
            return false;

        const auto rawSize = number (chunk + layout.idBytes, layout.sizeBytes, layout.bigEndian);

        if (rawSize > mostBytes || (layout.sizeCountsHeader && rawSize < (unsigned long long) headerBytes))
            return false;

        const auto end = position + headerBytes + (long long) rawSize - (layout.sizeCountsHeader ? headerBytes : 0);
        position = (end + layout.alignment - 1) / layout.alignment * layout.alignment;

        if (end == fileSize || position == fileSize)   // the last chunk's padding may be missing
            return true;
    }

    return position == fileSize;
}

long long ChunkWalker::endOfUndeclaredData (const Layout& layout, long long start, long long declared, long long fileSize) const
{
    const auto aligned = [&] (long long p) { return (p + layout.alignment - 1) / layout.alignment * layout.alignment; };

    if (chunksReachEnd (layout, aligned (start + declared), fileSize))
        return start + declared;

    // Chunks written after the audio (a LIST, say) sit at the file's end; searched for in its
    // last bytes only, as such chunks are small and the audio may be gigabytes.
    constexpr long long tailBytes = 65536;
    const auto tailStart = std::max (aligned (start + layout.dataPrefix + 1), fileSize - tailBytes);
    std::vector<unsigned char> tail ((size_t) std::max (0LL, fileSize - tailStart));

    if (tail.size() < (size_t) (layout.idBytes + layout.sizeBytes) || ! readAt (tailStart, tail.data(), tail.size()))
        return fileSize;

    for (auto p = aligned (tailStart); p + layout.idBytes + layout.sizeBytes <= fileSize; p += layout.alignment)
        if (looksLikeChunkId (tail.data() + (p - tailStart)) && chunksReachEnd (layout, p, fileSize))
            return p;

    return fileSize;
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
