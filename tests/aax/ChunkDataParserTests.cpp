// The controls chunk's byte format, and a reader that never trusts the bytes it is given.

#include "AAX_CChunkDataParser.h"
#include "ChunkTestHelpers.h"
#include "FakeHost.h"
#include "TestDescribe.h"

#include <gtest/gtest.h>

namespace
{
    using Bytes = std::vector<unsigned char>;

    Bytes Write (const AAX_CChunkDataParser& parser)
    {
        ChunkBuffer chunk (static_cast<size_t> (parser.GetChunkDataSize()));
        EXPECT_EQ (parser.GetChunkData (chunk.get()), 0);
        EXPECT_EQ (chunk->fSize, parser.GetChunkDataSize());
        return chunk.Data();
    }

    Bytes Concat (std::initializer_list<Bytes> parts)
    {
        Bytes all;

        for (const auto& part : parts)
            all.insert (all.end(), part.begin(), part.end());

        return all;
    }

    const Bytes lead { 1, 1, 1, 1 };
}

//==============================================================================
TEST (AAXChunkData, EntriesAreTaggedPaddedAndBigEndian)
{
    AAX_CChunkDataParser parser;
    EXPECT_EQ (parser.GetChunkDataSize(), 4);
    EXPECT_EQ (Write (parser), lead);

    parser.AddDouble ("1", 0.5);
    EXPECT_EQ (parser.GetChunkDataSize(), 16);
    EXPECT_EQ (Write (parser), Concat ({ lead, { 'd', '_', '1', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0 } }));

    // Identifiers of 1 to 4 characters put the value at entry offsets 4, 8, 8 and 8.
    for (const char* name : { "a", "ab", "abc", "abcd" })
    {
        parser.Clear();
        parser.AddInt32 (name, -2);
        const auto data = Write (parser);
        const size_t valueAt = 4 + (std::strlen (name) == 1 ? 4 : 8);
        ASSERT_EQ (data.size(), valueAt + 4) << name;
        EXPECT_EQ (Bytes (data.begin() + static_cast<long> (valueAt), data.end()), (Bytes { 0xFF, 0xFF, 0xFF, 0xFE })) << name;
    }

    // Texts take their NUL and padding; the next entry follows right after.
    parser.Clear();
    parser.AddString ("t", "");
    parser.AddString ("t", "x");
    parser.AddString ("t", "abc");
    parser.AddString ("t", "abcd");
    parser.AddInt32 ("b", 1);
    EXPECT_EQ (Write (parser), Concat ({ lead,
                                         { 'r', '_', 't', 0, 0, 0, 0, 0 },
                                         { 'r', '_', 't', 0, 'x', 0, 0, 0 },
                                         { 'r', '_', 't', 0, 'a', 'b', 'c', 0 },
                                         { 'r', '_', 't', 0, 'a', 'b', 'c', 'd', 0, 0, 0, 0 },
                                         { 'l', '_', 'b', 0, 0, 0, 0, 1 } }));
}

TEST (AAXChunkData, ReadingFindsEveryKindAndWrapsAround)
{
    AAX_CChunkDataParser writer;
    writer.AddDouble ("gain", 0.25);
    writer.AddInt32 ("steps", -7);
    writer.AddString ("label", "abc");
    writer.AddDouble ("gain", 0.75);    // repeated names are read in turn

    auto chunk = ChunkBuffer::Holding (Write (writer));
    chunk->fVersion = 3;

    AAX_CChunkDataParser reader;
    ASSERT_TRUE (reader.LoadChunk (chunk.get()));
    EXPECT_EQ (reader.GetChunkVersion(), 3);

    double d = 0;
    int32_t i = 0;
    AAX_CString s;
    EXPECT_TRUE (reader.FindString ("label", &s));
    EXPECT_EQ (s, AAX_CString ("abc"));
    EXPECT_TRUE (reader.FindDouble ("gain", &d));     // after "label": the second one
    EXPECT_EQ (d, 0.75);
    EXPECT_TRUE (reader.FindDouble ("gain", &d));     // wraps round to the first
    EXPECT_EQ (d, 0.25);
    EXPECT_TRUE (reader.FindInt32 ("steps", &i));
    EXPECT_EQ (i, -7);

    // Only the kind asked for answers; unknown names answer nothing.
    EXPECT_FALSE (reader.FindInt32 ("label", &i));
    EXPECT_FALSE (reader.FindDouble ("steps", &d));
    EXPECT_FALSE (reader.FindString ("nothing", &s));
    EXPECT_FALSE (reader.FindDouble (nullptr, &d));

    // 'f' and 's' entries are read and kept, but no look-up matches them.
    auto others = ChunkBuffer::Holding (Concat ({ lead, { 'f', '_', 'x', 0, 0x3F, 0x80, 0, 0 },
                                                        { 's', '_', 'y', 0, 0xFF, 0xFE, 0, 0 },
                                                        { 'l', '_', 'z', 0, 0, 0, 0, 9 } }));
    ASSERT_TRUE (reader.LoadChunk (others.get()));
    EXPECT_FALSE (reader.FindDouble ("x", &d));
    EXPECT_FALSE (reader.FindInt32 ("y", &i));
    EXPECT_TRUE (reader.FindInt32 ("z", &i));
    EXPECT_EQ (i, 9);
}

TEST (AAXChunkData, ShortOrUnmarkedChunksHoldNothing)
{
    AAX_CChunkDataParser reader;
    double d = 0;

    EXPECT_TRUE (reader.LoadChunk (ChunkBuffer::Holding (lead).get()));   // the lead alone: valid and empty
    EXPECT_FALSE (reader.LoadChunk (ChunkBuffer::Holding ({ 1, 1, 1, 0, 'd', '_', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0 }).get()));
    EXPECT_FALSE (reader.FindDouble ("a", &d));
    EXPECT_FALSE (reader.LoadChunk (nullptr));

    for (size_t size = 0; size < 4; ++size)
        EXPECT_FALSE (reader.LoadChunk (ChunkBuffer::Holding (Bytes (lead.begin(), lead.begin() + static_cast<long> (size))).get())) << size;

    auto lying = ChunkBuffer::Holding (lead);
    lying->fSize = -4;
    EXPECT_FALSE (reader.LoadChunk (lying.get()));
}

TEST (AAXChunkData, TruncatedChunksKeepWhatWasReadWholeAndNeverReadBeyond)
{
    AAX_CChunkDataParser writer;
    writer.AddDouble ("first", 0.5);
    writer.AddString ("text", "abcdef");
    writer.AddInt32 ("last", 12);
    const auto full = Write (writer);

    const size_t firstEnd = 4 + 8 + 8;
    const size_t secondEnd = firstEnd + 8 + 8;

    // Every prefix lies about nothing but its own end: it loads only when it ends between
    // entries, and keeps the entries that it holds whole. Each buffer is exactly as long as
    // fSize says, so AddressSanitizer catches any read past it.
    for (size_t size = 4; size < full.size(); ++size)
    {
        AAX_CChunkDataParser reader;
        const auto chunk = ChunkBuffer::Holding (Bytes (full.begin(), full.begin() + static_cast<long> (size)));
        // A last text needs its NUL but not its padding.
        const bool atBoundary = size == 4 || size == firstEnd || size == secondEnd - 1 || size == secondEnd;
        EXPECT_EQ (reader.LoadChunk (chunk.get()), atBoundary) << size;

        double d = 0;
        AAX_CString s;
        EXPECT_EQ (reader.FindDouble ("first", &d), size >= firstEnd) << size;
        EXPECT_EQ (reader.FindString ("text", &s), size >= secondEnd - 1) << size;
    }
}

TEST (AAXChunkData, TextsWithoutTheirEndAreRefused)
{
    AAX_CChunkDataParser reader;

    // An identifier text that runs to the end of the data, or beyond 255 characters.
    EXPECT_FALSE (reader.LoadChunk (ChunkBuffer::Holding ({ 1, 1, 1, 1, 'd', '_', 'a', 'b' }).get()));

    Bytes longName = lead;
    longName.insert (longName.end(), { 'l', '_' });
    longName.insert (longName.end(), 300, 'n');
    longName.insert (longName.end(), { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
    EXPECT_FALSE (reader.LoadChunk (ChunkBuffer::Holding (longName).get()));

    // A text value without its NUL.
    EXPECT_FALSE (reader.LoadChunk (ChunkBuffer::Holding ({ 1, 1, 1, 1, 'r', '_', 'a', 0, 'x', 'y', 'z', 'w' }).get()));

    // Texts of no or one character have no name; an unknown tag has no value.
    ASSERT_TRUE (reader.LoadChunk (ChunkBuffer::Holding ({ 1, 1, 1, 1, 0, 0, 0, 0, 'q', 0, 0, 0, 'l', 0, 0, 0, 0, 0, 0, 5 }).get()));
    int32_t i = 0;
    EXPECT_FALSE (reader.FindInt32 ("", &i));   // the first two have no kind
    EXPECT_FALSE (reader.FindInt32 ("", &i));
    EXPECT_TRUE (reader.FindInt32 ("", &i));
    EXPECT_EQ (i, 5);
}

TEST (AAXChunkData, WritingNeverGoesBeyondTheBufferGiven)
{
    FakeHost::Host host;
    ScopedHostServices services (&host);

    AAX_CChunkDataParser parser;
    parser.AddDouble ("ab", 1.0);
    parser.AddString ("text", "abcde");
    const auto size = parser.GetChunkDataSize();
    ASSERT_EQ (size, 4 + 16 + 16);

    // One byte short: nothing is written, not even the lead.
    ChunkBuffer chunk (static_cast<size_t> (size));
    chunk->fSize = 77;
    EXPECT_EQ (parser.GetChunkData (chunk.get(), size - 1), AAX_CHUNK_PARSER_OVERFLOW);
    EXPECT_EQ (chunk->fSize, 77);
    EXPECT_EQ (chunk->fData[0], 0);
    ASSERT_EQ (host.traceTexts().size(), 1u);
    EXPECT_EQ (host.services.traces[0].first, 0x08000000);
    EXPECT_EQ (host.traceTexts()[0], "AAX_CChunkDataParser::GetChunkData ERROR: aborting: chunk data will overflow buffer");

    EXPECT_EQ (parser.GetChunkData (chunk.get(), size), 0);
    EXPECT_EQ (chunk->fSize, size);
    EXPECT_EQ (parser.GetChunkData (nullptr), AAX_CHUNK_PARSER_OVERFLOW);

    // Entries read from elsewhere, unknown kinds included, take the room they took when read.
    const Bytes foreign = Concat ({ lead, { 'q', '_', 'x', 0 }, { 's', '_', 'y', 0, 0xFF, 0xFE, 0, 0 } });
    ASSERT_TRUE (parser.LoadChunk (ChunkBuffer::Holding (foreign).get()));
    EXPECT_EQ (parser.GetChunkDataSize(), static_cast<int32_t> (foreign.size()));
}
