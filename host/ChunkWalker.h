#pragma once

#include <optional>
#include <string>

namespace tanglefix::host
{

/** The sizes a RIFF, RIFX, RF64, Wave64 or AIFF file's header declares, read from its own
    bytes and walked only as far as the audio data, beside what the file holds.

    libsndfile mends some of what it reads (its own unfinished WAV header reads as "the rest
    of the file", a cut file as a whole shorter one) and not the rest (another unfinished
    header reads as no audio), so only the raw bytes show what other readers will find: the
    reader warns of a cut file and reads an unfinished header as the file holds it, the
    writer refuses an unfinished header.
*/
class ChunkWalker
{
public:
    struct Sizes
    {
        long long declaredData = 0, heldData = 0;             // audio bytes: as declared, as present after their start
        long long declaredContainer = 0, heldContainer = 0;   // the outer chunk's size (RF64: ds64's), and the file's bytes it should count
        bool lengthUnknown = false;                           // a streaming WAV file's data size 0xffffffff

        // A header never finished: the data chunk declares no audio, yet audio follows it,
        // from audioStart up to the chunks that end the file, or to its end (heldData bytes).
        // The last trailingZeros of them (fewer than a chunk's alignment) are zeros just
        // before those chunks: the data's padding, or audio; only the frame size can tell.
        bool dataSizeMissing = false;
        long long audioStart = 0;
        int trailingZeros = 0;
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
    struct Tail;

    bool readAt (long long position, unsigned char* bytes, size_t size) const;
    bool readAt (const Tail& tail, long long position, unsigned char* bytes, size_t size) const;
    std::optional<Sizes> walkChunks (const Layout& layout, long long fileSize, Sizes sizes) const;
    void findUndeclaredAudio (const Layout& layout, long long start, long long declared, long long fileSize, Sizes& sizes) const;
    bool chunksEndAt (const Layout& layout, const Tail& tail, long long position, long long end,
                      bool (*isId) (const unsigned char*)) const;
    static long long startOfChunksToEnd (const Layout& layout, const Tail& tail, long long from, long long fileSize);

    const int descriptor;
    const bool owned;
};

} // namespace tanglefix::host
