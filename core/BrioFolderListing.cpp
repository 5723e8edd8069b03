#include "BrioFolderListing.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using Kind = BrioFolderListing::Kind;

    Kind kindOfMode (mode_t mode) noexcept
    {
        if (S_ISREG (mode))  return Kind::file;
        if (S_ISDIR (mode))  return Kind::folder;
        return Kind::other;
    }

    /** The entry's kind with links followed, and whether it is a link itself. The
        type readdir reports saves a stat for the common plain file and folder. */
    Kind kindOf (int folderFd, const dirent& entry, bool& isLink) noexcept
    {
        isLink = entry.d_type == DT_LNK;

        if (entry.d_type == DT_REG)  return Kind::file;
        if (entry.d_type == DT_DIR)  return Kind::folder;

        struct stat info;

        if (entry.d_type == DT_UNKNOWN)
        {
            if (::fstatat (folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                return Kind::other;

            isLink = S_ISLNK (info.st_mode);

            if (! isLink)
                return kindOfMode (info.st_mode);
        }
        else if (! isLink)
        {
            return Kind::other;
        }

        return ::fstatat (folderFd, entry.d_name, &info, 0) == 0 ? kindOfMode (info.st_mode) : Kind::other;
    }

    bool isContinuation (unsigned char c) noexcept
    {
        return (c & 0xc0) == 0x80;
    }

    /** The length of the well-formed sequence at bytes[0], or 0 when there is none. */
    size_t sequenceLength (const unsigned char* b, size_t available) noexcept
    {
        const auto lead = b[0];

        if (lead < 0x80)
            return 1;

        // The first continuation byte's range rules out overlong forms (E0, F0),
        // surrogates (ED) and code points beyond U+10FFFF (F4).
        size_t length = 0;
        unsigned char low = 0x80, high = 0xbf;

        if (lead >= 0xc2 && lead <= 0xdf)       length = 2;
        else if (lead >= 0xe0 && lead <= 0xef)  { length = 3; low = lead == 0xe0 ? 0xa0 : 0x80; high = lead == 0xed ? 0x9f : 0xbf; }
        else if (lead >= 0xf0 && lead <= 0xf4)  { length = 4; low = lead == 0xf0 ? 0x90 : 0x80; high = lead == 0xf4 ? 0x8f : 0xbf; }
        else                                    return 0;

        if (available < length || b[1] < low || b[1] > high)
            return 0;

        for (size_t i = 2; i < length; ++i)
            if (! isContinuation (b[i]))
                return 0;

        return length;
    }
}

//==============================================================================
BrioFolderListing::BrioFolderListing (const juce::String& folderPath, size_t maxEntries)
{
    struct Closer { void operator() (DIR* d) const noexcept { ::closedir (d); } };
    const std::unique_ptr<DIR, Closer> folder (::opendir (folderPath.toRawUTF8()));

    if (folder == nullptr)
        return;

    opened = true;
    const int folderFd = ::dirfd (folder.get());

    while (const auto* entry = ::readdir (folder.get()))
    {
        const auto* name = entry->d_name;

        if (std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0)
            continue;

        if (getNumRead() >= maxEntries)
        {
            complete = false;
            return;
        }

        bool isLink = false;
        const auto kind = kindOf (folderFd, *entry, isLink);
        const auto numBytes = std::strlen (name);
        namesHash += std::hash<std::string_view>() ({ name, numBytes }) * 31u + (size_t) kind * 7u + (isLink ? 1u : 0u);

        if (isStrictUtf8 (name, numBytes))
            entries.push_back ({ fromStrictUtf8 (name, numBytes), kind, isLink });
        else
            skipped.push_back ({ std::string (name, numBytes), kind });
    }
}

//==============================================================================
bool BrioFolderListing::isStrictUtf8 (const char* bytes, size_t numBytes) noexcept
{
    const auto* b = reinterpret_cast<const unsigned char*> (bytes);

    for (size_t i = 0; i < numBytes;)
    {
        const auto length = sequenceLength (b + i, numBytes - i);

        if (length == 0)
            return false;

        i += length;
    }

    return true;
}

juce::String BrioFolderListing::fromStrictUtf8 (const char* bytes, size_t numBytes)
{
    if (! isStrictUtf8 (bytes, numBytes))
        return {};

    return juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + numBytes));
}

juce::String BrioFolderListing::fromStrictUtf8 (const char* nullTerminated)
{
    return nullTerminated != nullptr ? fromStrictUtf8 (nullTerminated, std::strlen (nullTerminated)) : juce::String();
}

juce::String BrioFolderListing::realPath (const juce::String& path)
{
    const std::unique_ptr<char, decltype (&std::free)> resolved (::realpath (path.toRawUTF8(), nullptr), &std::free);
    return fromStrictUtf8 (resolved.get());
}

juce::File BrioFolderListing::followLink (const juce::File& file)
{
    char target[4096];
    const auto numBytes = ::readlink (file.getFullPathName().toRawUTF8(), target, sizeof (target));

    if (numBytes <= 0 || (size_t) numBytes >= sizeof (target))
        return file;

    const auto text = fromStrictUtf8 (target, (size_t) numBytes);
    return text.isNotEmpty() ? file.getSiblingFile (text) : file;
}

juce::String BrioFolderListing::environmentVariable (const char* name)
{
    return fromStrictUtf8 (std::getenv (name));
}
