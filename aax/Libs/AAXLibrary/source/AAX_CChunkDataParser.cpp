#include "AAX_CChunkDataParser.h"
#include "AAX_CHostServices.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

// Hosts and saved sessions rely on the record's layout: six 32-bit fields, the 32-byte name,
// then the data.
static_assert (offsetof (AAX_SPlugInChunk, fName) == 24 && offsetof (AAX_SPlugInChunk, fData) == 56,
               "the chunk record's layout is fixed");

namespace
{
    const unsigned char leadMarker[4] = { 1, 1, 1, 1 };

    // Longest tag-and-identifier text the reader accepts, its NUL not counted.
    constexpr int64_t eMaxIdentifierTextLength = 255;

    constexpr int64_t RoundUpTo4 (int64_t value) noexcept
    {
        return (value + 3) & ~static_cast<int64_t> (3);
    }

    void WriteBigEndian (unsigned char* destination, uint64_t value, int numBytes) noexcept
    {
        for (int i = numBytes - 1; i >= 0; --i)
        {
            destination[i] = static_cast<unsigned char> (value & 0xff);
            value >>= 8;
        }
    }

    uint64_t ReadBigEndian (const unsigned char* source, int numBytes) noexcept
    {
        uint64_t value = 0;

        for (int i = 0; i < numBytes; ++i)
            value = (value << 8) | source[i];

        return value;
    }

    /** The length of the NUL-terminated text at position, when its NUL lies within maxLength
        bytes and before the end of the data; -1 otherwise. */
    int64_t TextLength (const unsigned char* data, int64_t size, int64_t position, int64_t maxLength) noexcept
    {
        const int64_t available = std::min (size - position, maxLength + 1);

        if (available <= 0)
            return -1;

        const auto* end = static_cast<const unsigned char*> (std::memchr (data + position, 0, static_cast<size_t> (available)));
        return end != nullptr ? end - (data + position) : -1;
    }

    char TagOf (int32_t kind) noexcept
    {
        switch (kind)
        {
            case 1:  return 'f';
            case 2:  return 'l';
            case 3:  return 'd';
            case 4:  return 's';
            case 5:  return 'r';
            default: return 0;
        }
    }
}

//==============================================================================
void AAX_CChunkDataParser::Clear()
{
    mEntries.clear();
    mLastFoundIndex = -1;
    mChunkVersion = -1;
}

AAX_CChunkDataParser::Entry& AAX_CChunkDataParser::AddEntry (const char* name, EntryKind kind)
{
    Entry entry;
    entry.kind = kind;
    entry.name = name;
    mEntries.push_back (std::move (entry));
    return mEntries.back();
}

void AAX_CChunkDataParser::AddDouble (const char* name, double value)
{
    AddEntry (name, kDouble).doubleValue = value;
}

void AAX_CChunkDataParser::AddInt32 (const char* name, int32_t value)
{
    AddEntry (name, kInt32).intValue = value;
}

void AAX_CChunkDataParser::AddString (const char* name, const AAX_CString& value)
{
    AddEntry (name, kString).text = value;
}

//==============================================================================
int64_t AAX_CChunkDataParser::ValueSize (const Entry& entry)
{
    switch (entry.kind)
    {
        case kDouble:   return 8;
        case kString:   return RoundUpTo4 (static_cast<int64_t> (entry.text.Length()) + 1);
        case kNone:     return 0;      // the reader takes no value for an unknown tag either
        case kFloat:
        case kInt32:
        case kInt16:    return 4;      // an int16 is written with two bytes of padding
    }

    return 0;
}

int64_t AAX_CChunkDataParser::EntrySize (const Entry& entry)
{
    // Entries start at multiples of 4, so the padding after the identifier depends on the
    // identifier alone: tag (2), identifier, NUL, rounded up.
    return RoundUpTo4 (2 + static_cast<int64_t> (entry.name.Length()) + 1) + ValueSize (entry);
}

int64_t AAX_CChunkDataParser::DataSize() const
{
    int64_t size = sizeof (leadMarker);

    for (const auto& entry : mEntries)
        size += EntrySize (entry);

    return size;
}

int32_t AAX_CChunkDataParser::GetChunkDataSize() const
{
    const auto size = DataSize();
    return size <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t> (size) : -1;
}

int32_t AAX_CChunkDataParser::GetChunkData (AAX_SPlugInChunk* chunk) const
{
    return GetChunkData (chunk, std::numeric_limits<int32_t>::max());
}

int32_t AAX_CChunkDataParser::GetChunkData (AAX_SPlugInChunk* chunk, int32_t dataCapacity) const
{
    try
    {
        if (chunk == nullptr)
            throw std::invalid_argument ("no chunk to write into");

        const int64_t size = DataSize();

        // Checked before a byte is written: a host's buffer is only as large as the size it
        // was told, and the fSize field cannot state more than int32 bytes.
        if (size > dataCapacity || size > std::numeric_limits<int32_t>::max())
            throw std::out_of_range ("aborting: chunk data will overflow buffer");

        auto* data = reinterpret_cast<unsigned char*> (chunk->fData);
        WriteEntries (data, size);
        chunk->fSize = static_cast<int32_t> (size);
        return 0;
    }
    catch (const std::exception& error)
    {
        AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, "AAX_CChunkDataParser::GetChunkData ERROR: %s", error.what());
    }
    catch (...)
    {
    }

    return AAX_CHUNK_PARSER_OVERFLOW;
}

void AAX_CChunkDataParser::WriteEntries (unsigned char* data, int64_t size) const
{
    std::memset (data, 0, static_cast<size_t> (size));
    std::memcpy (data, leadMarker, sizeof (leadMarker));

    int64_t position = sizeof (leadMarker);

    for (const auto& entry : mEntries)
    {
        // The whole entry, padding included, must fit before anything of it is written.
        if (position + EntrySize (entry) > size)
            throw std::out_of_range ("aborting: chunk data will overflow buffer");

        position = WriteEntry (entry, data, position);
    }
}

int64_t AAX_CChunkDataParser::WriteEntry (const Entry& entry, unsigned char* data, int64_t position)
{
    // The bytes are zero already: a kind without a tag letter leaves them so.
    data[position] = static_cast<unsigned char> (TagOf (entry.kind));
    data[position + 1] = entry.kind != kNone ? '_' : 0;

    const auto nameLength = static_cast<int64_t> (entry.name.Length());
    std::memcpy (data + position + 2, entry.name.Get(), static_cast<size_t> (nameLength));

    auto* value = data + position + RoundUpTo4 (2 + nameLength + 1);

    switch (entry.kind)
    {
        case kDouble:
        {
            uint64_t bits = 0;
            std::memcpy (&bits, &entry.doubleValue, sizeof (bits));
            WriteBigEndian (value, bits, 8);
            break;
        }

        case kFloat:
        case kInt32:    WriteBigEndian (value, static_cast<uint32_t> (entry.intValue), 4); break;
        case kInt16:    WriteBigEndian (value, static_cast<uint16_t> (entry.intValue), 2); break;
        case kString:   std::memcpy (value, entry.text.Get(), entry.text.Length()); break;
        case kNone:     break;
    }

    return value - data + ValueSize (entry);
}

//==============================================================================
bool AAX_CChunkDataParser::LoadChunk (const AAX_SPlugInChunk* chunk)
{
    Clear();

    if (chunk == nullptr)
        return false;

    mChunkVersion = chunk->fVersion;

    const int64_t size = chunk->fSize;
    const auto* data = reinterpret_cast<const unsigned char*> (chunk->fData);

    if (size < static_cast<int64_t> (sizeof (leadMarker)) || std::memcmp (data, leadMarker, sizeof (leadMarker)) != 0)
        return false;

    for (int64_t position = sizeof (leadMarker); position < size;)
    {
        Entry entry;

        if (! ReadEntry (data, size, position, entry, position))
            return false;

        mEntries.push_back (std::move (entry));
    }

    return true;
}

bool AAX_CChunkDataParser::ReadEntry (const unsigned char* data, int64_t size, int64_t position, Entry& entry, int64_t& next)
{
    const auto textLength = TextLength (data, size, position, eMaxIdentifierTextLength);

    if (textLength < 0)
        return false;

    // The tag's two characters come first; a text too short to hold them names nothing.
    const auto* text = reinterpret_cast<const char*> (data + position);
    const char tag = textLength > 0 ? text[0] : 0;
    entry.name = textLength > 2 ? text + 2 : "";

    return ReadValue (data, size, RoundUpTo4 (position + textLength + 1), tag, entry, next);
}

bool AAX_CChunkDataParser::ReadValue (const unsigned char* data, int64_t size, int64_t position, char tag,
                                      Entry& entry, int64_t& next)
{
    const auto readNumber = [&] (EntryKind kind, int numBytes, int64_t advance) -> bool
    {
        if (position + numBytes > size)
            return false;

        entry.kind = kind;
        next = position + advance;
        return true;
    };

    switch (tag)
    {
        case 'd':
        {
            if (! readNumber (kDouble, 8, 8))
                return false;

            const uint64_t bits = ReadBigEndian (data + position, 8);
            std::memcpy (&entry.doubleValue, &bits, sizeof (bits));
            return true;
        }

        case 'f':
        case 'l':
            if (! readNumber (tag == 'f' ? kFloat : kInt32, 4, 4))
                return false;

            entry.intValue = static_cast<int32_t> (ReadBigEndian (data + position, 4));
            return true;

        case 's':
            if (! readNumber (kInt16, 2, 4))
                return false;

            entry.intValue = static_cast<int16_t> (ReadBigEndian (data + position, 2));
            return true;

        case 'r':
        {
            const auto length = TextLength (data, size, position, size);

            if (length < 0)
                return false;

            entry.kind = kString;
            entry.text = reinterpret_cast<const char*> (data + position);
            next = RoundUpTo4 (position + length + 1);
            return true;
        }

        default:
            entry.kind = kNone;
            next = position;
            return true;
    }
}

//==============================================================================
int32_t AAX_CChunkDataParser::FindEntry (const char* name)
{
    if (name == nullptr)
        return -1;

    const auto count = static_cast<int32_t> (mEntries.size());
    const AAX_CString wanted (name);

    if (mLastFoundIndex >= count - 1)
        mLastFoundIndex = -1;

    const auto search = [&] (int32_t from, int32_t to)
    {
        for (int32_t i = from; i <= to; ++i)
            if (mEntries[static_cast<size_t> (i)].name == wanted)
                return mLastFoundIndex = i;

        return -1;
    };

    if (const auto found = search (mLastFoundIndex + 1, count - 1); found >= 0)
        return found;

    if (mLastFoundIndex == -1)
        return -1;

    return search (0, mLastFoundIndex);
}

const AAX_CChunkDataParser::Entry* AAX_CChunkDataParser::FindEntryOfKind (const char* name, EntryKind kind)
{
    const auto index = FindEntry (name);

    if (index < 0 || mEntries[static_cast<size_t> (index)].kind != kind)
        return nullptr;

    return &mEntries[static_cast<size_t> (index)];
}

bool AAX_CChunkDataParser::FindDouble (const char* name, double* outValue)
{
    const auto* entry = FindEntryOfKind (name, kDouble);

    if (entry == nullptr || outValue == nullptr)
        return false;

    *outValue = entry->doubleValue;
    return true;
}

bool AAX_CChunkDataParser::FindInt32 (const char* name, int32_t* outValue)
{
    const auto* entry = FindEntryOfKind (name, kInt32);

    if (entry == nullptr || outValue == nullptr)
        return false;

    *outValue = static_cast<int32_t> (entry->intValue);
    return true;
}

bool AAX_CChunkDataParser::FindString (const char* name, AAX_CString* outValue)
{
    const auto* entry = FindEntryOfKind (name, kString);

    if (entry == nullptr || outValue == nullptr)
        return false;

    *outValue = entry->text;
    return true;
}
