#pragma once

#include "AAX_CString.h"

#include <vector>

/** Writes and reads the controls chunk: every parameter value tagged with its identifier
    and kind, in a big-endian format of its own. */
class AAX_CChunkDataParser
{
public:
    AAX_CChunkDataParser() = default;
    virtual ~AAX_CChunkDataParser() = default;

    void Clear();
    void AddDouble (const char* name, double value);
    void AddInt32 (const char* name, int32_t value);
    void AddString (const char* name, const AAX_CString& value);

    int32_t GetChunkDataSize() const;
    int32_t GetChunkData (AAX_SPlugInChunk* chunk) const;
    int32_t GetChunkVersion() const noexcept    { return mChunkVersion; }
    void LoadChunk (const AAX_SPlugInChunk* chunk);

    bool FindDouble (const char* name, double* outValue);
    bool FindInt32 (const char* name, int32_t* outValue);
    bool FindString (const char* name, AAX_CString* outValue);

private:
    enum EntryKind : int32_t { kNone = 0, kFloat = 1, kInt32 = 2, kDouble = 3, kInt16 = 4, kString = 5 };

    struct Entry
    {
        EntryKind kind = kNone;
        AAX_CString name;
        int64_t intValue = 0;
        double doubleValue = 0.0;
        AAX_CString text;
    };

    int32_t FindEntry (const char* name);

    int32_t mLastFoundIndex = -1;
    int32_t mChunkVersion = -1;
    std::vector<Entry> mEntries;
};
