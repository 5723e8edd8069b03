#pragma once

#include "AAX_CString.h"

#include <vector>

/** Writes and reads the controls chunk: every parameter value tagged with its identifier
    and kind, in a big-endian format of its own.

    The data starts with the lead marker 01 01 01 01. Each entry follows at a multiple of 4
    bytes: a two-byte tag (the kind's letter and '_'), the identifier and its NUL, zero
    padding to the next multiple of 4, then the value ('d' 8 bytes, 'f' and 'l' 4, 's' 2
    and 2 zero bytes, 'r' the text, its NUL and padding). fSize ends the data. */
class AAX_CChunkDataParser
{
public:
    AAX_CChunkDataParser() = default;
    virtual ~AAX_CChunkDataParser() = default;

    /** Empties the entries and forgets the last look-up and the chunk version. */
    void Clear();
    void AddDouble (const char* name, double value);
    void AddInt32 (const char* name, int32_t value);
    void AddString (const char* name, const AAX_CString& value);

    /** The number of data bytes the entries take, the lead marker included (4 for none). */
    int32_t GetChunkDataSize() const;

    /** Writes the entries into fData and sets fSize. Answers 0, or AAX_CHUNK_PARSER_OVERFLOW
        (with a trace) when the data would not fit: with a capacity, into that many bytes of
        fData; without, into the size GetChunkDataSize() answers. Nothing is written then. */
    int32_t GetChunkData (AAX_SPlugInChunk* chunk) const;
    int32_t GetChunkData (AAX_SPlugInChunk* chunk, int32_t dataCapacity) const;

    int32_t GetChunkVersion() const noexcept    { return mChunkVersion; }

    /** Replaces the entries with those of the chunk. Answers false when the chunk is missing,
        has no lead marker or breaks off inside an entry: the entries then hold what was read
        before the fault. Nothing beyond fSize bytes of fData is ever read. */
    bool LoadChunk (const AAX_SPlugInChunk* chunk);

    /** Find the next entry of that name (searching on from the last hit and wrapping round);
        they succeed only when it holds a value of the kind asked for. */
    bool FindDouble (const char* name, double* outValue);
    bool FindInt32 (const char* name, int32_t* outValue);
    bool FindString (const char* name, AAX_CString* outValue);

private:
    enum EntryKind : int32_t { kNone = 0, kFloat = 1, kInt32 = 2, kDouble = 3, kInt16 = 4, kString = 5 };

    struct Entry
    {
        EntryKind kind = kNone;
        AAX_CString name;
        int64_t intValue = 0;       // the int32, the int16 or the float's bits
        double doubleValue = 0.0;
        AAX_CString text;
    };

    Entry& AddEntry (const char* name, EntryKind kind);
    static int64_t EntrySize (const Entry& entry);
    static int64_t ValueSize (const Entry& entry);
    int64_t DataSize() const;
    void WriteEntries (unsigned char* data, int64_t size) const;
    static int64_t WriteEntry (const Entry& entry, unsigned char* data, int64_t position);
    static bool ReadEntry (const unsigned char* data, int64_t size, int64_t position, Entry& entry, int64_t& next);
    static bool ReadValue (const unsigned char* data, int64_t size, int64_t position, char tag, Entry& entry, int64_t& next);

    int32_t FindEntry (const char* name);
    const Entry* FindEntryOfKind (const char* name, EntryKind kind);

    int32_t mLastFoundIndex = -1;
    int32_t mChunkVersion = -1;
    std::vector<Entry> mEntries;
};
