#include "BrioFolderListing.h"
#include "BrioXmlGuard.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
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
}

//==============================================================================
namespace
{
    struct DirCloser { void operator() (DIR* d) const noexcept { ::closedir (d); } };
    using DirPointer = std::unique_ptr<DIR, DirCloser>;
}

BrioFolderListing::BrioFolderListing (const juce::String& folderPath, size_t maxEntries)
{
    const DirPointer folder (::opendir (folderPath.toRawUTF8()));

    if (folder != nullptr)
        readEntries (folder.get(), maxEntries);
    else
        error = errno;
}

BrioFolderListing::BrioFolderListing (int folderFd, size_t maxEntries)
{
    // readdir needs a descriptor of its own: closedir closes it.
    const int ownFd = folderFd >= 0 ? ::fcntl (folderFd, F_DUPFD_CLOEXEC, 0) : -1;
    const DirPointer folder (ownFd >= 0 ? ::fdopendir (ownFd) : nullptr);

    if (folder == nullptr)
    {
        error = folderFd >= 0 ? errno : EBADF;

        if (ownFd >= 0)
            ::close (ownFd);

        return;
    }

    // The copy shares its position with the caller's descriptor, which may have been
    // read before.
    ::rewinddir (folder.get());
    readEntries (folder.get(), maxEntries);
}

int BrioFolderListing::openSubfolder (int parentFd, const juce::String& name)
{
    return ::openat (parentFd, name.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void BrioFolderListing::readEntries (DIR* folder, size_t maxEntries)
{
    opened = true;
    const int folderFd = ::dirfd (folder);

    for (;;)
    {
        // Only errno tells a failed read (a failing disk) from the end of the folder.
        errno = 0;
        const auto* entry = ::readdir (folder);

        if (entry == nullptr)
        {
            error = errno;
            return;
        }

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

        // A name is never empty, so an empty text is one that is not strict UTF-8.
        if (auto text = fromStrictUtf8 (name, numBytes); text.isNotEmpty())
            entries.push_back ({ std::move (text), kind, isLink });
        else
            skipped.push_back ({ std::string (name, numBytes), kind });
    }
}

//==============================================================================
juce::String BrioFolderListing::fromStrictUtf8 (const char* bytes, size_t numBytes)
{
    if (! BrioXmlGuard::isStrictUtf8 (bytes, numBytes))
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

    // A relative target is a path from the link's folder, whatever its first character.
    const auto text = fromStrictUtf8 (target, (size_t) numBytes);

    if (text.isEmpty())
        return file;

    return juce::File (text.startsWithChar ('/') ? text : file.getParentDirectory().getFullPathName().trimCharactersAtEnd ("/") + "/" + text);
}

juce::File BrioFolderListing::childOf (const juce::File& folder, const juce::String& name)
{
    jassert (name.isNotEmpty() && ! name.containsChar ('/') && name != "." && name != "..");
    return juce::File (folder.getFullPathName().trimCharactersAtEnd ("/") + "/" + name);
}

juce::String BrioFolderListing::environmentVariable (const char* name)
{
    return fromStrictUtf8 (std::getenv (name));
}

juce::StringArray BrioFolderListing::environmentPathList (const char* name)
{
    juce::StringArray entries;

    // Entry by entry: one entry of other bytes must not cost the user the others.
    for (const char* entry = std::getenv (name); entry != nullptr && *entry != 0;)
    {
        const auto* colon = std::strchr (entry, ':');
        const auto numBytes = colon != nullptr ? (size_t) (colon - entry) : std::strlen (entry);

        if (const auto text = fromStrictUtf8 (entry, numBytes); text.isNotEmpty())
            entries.add (text);

        entry = colon != nullptr ? colon + 1 : nullptr;
    }

    return entries;
}

juce::File BrioFolderListing::homeFolder()
{
    const char* home = std::getenv ("HOME");

    if (home == nullptr)
        if (const auto* account = ::getpwuid (::getuid()))
            home = account->pw_dir;

    const auto text = fromStrictUtf8 (home);
    return juce::File::isAbsolutePath (text) ? juce::File (text) : juce::File();
}
