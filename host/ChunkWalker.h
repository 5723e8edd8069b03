#pragma once

#include <optional>
#include <string>

namespace tanglefix::host
{

/** The sizes a RIFF, RIFX, RF64, Wave64 or AIFF file's header declares, read from its own
    bytes and walked only as far as the audio data, beside what the file holds.

    libsndfile mends what it reads (a data size of 0 reads as "the rest of the file", a cut
    file as a whole shorter one), so only the raw bytes show what other readers will find:
    the reader warns of a cut file with them, the writer refuses an unfinished header.
*/
class ChunkWalker
{
public:
    struct Sizes
    {
        long long declaredData = 0, heldData = 0;             // audio bytes: as declared, as present after their start
        long long declaredContainer = 0, heldContainer = 0;   // the outer chunk's size (RF64: ds64's), and the file's bytes it should count
        bool lengthUnknown = false;                           // a streaming WAV file's data size 0xffffffff
    };

    /** Opens the file for reading. */
    explicit ChunkWalker (const std::string& path);

    /** Reads through a descriptor that stays the caller's. */
    explicit ChunkWalker (int descriptor) noexcept;

    ~ChunkWalker();

    ChunkWalker (const ChunkWalker&) = delete;
    ChunkWalker& operator= (const ChunkWalker&) = delete;

    /** The sizes; nothing for other formats and for headers that cannot be walked. */
    std::optional<Sizes> walk() const;

    /** True when the header is finished for exactly dataBytes of audio: the container counts
        the whole file, and the declared and the held audio are both dataBytes. Otherwise
        false, with what differs. */
    bool accountsFor (long long dataBytes, std::string& problem) const;

private:
    struct Layout;

    bool readAt (long long position, unsigned char* bytes, size_t size) const;
    std::optional<Sizes> walkChunks (const Layout& layout, long long fileSize, Sizes sizes) const;

    const int descriptor;
    const bool owned;
};

} // namespace tanglefix::host
