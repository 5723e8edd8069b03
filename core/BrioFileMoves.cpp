#include "BrioFileMoves.h"
#include "BrioFolderListing.h"
#include "BrioScopedDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace BrioFileMoves
{

namespace
{
    // Starts with a dot and has no preset extension: the preset walk never lists it.
    const juce::String unfinishedCopyPrefix (".unfinished-copy-");

    bool writeAll (int descriptor, const char* data, size_t size)
    {
        while (size > 0)
        {
            const auto written = ::write (descriptor, data, size);

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
                return false;

            data += written;
            size -= (size_t) written;
        }

        return true;
    }

    /** Every byte of the source, as many as it had when opened, written and flushed. */
    bool copyBytes (int from, int to, off_t expectedSize)
    {
        std::vector<char> buffer (1 << 16);
        off_t copied = 0;

        while (copied <= expectedSize)
        {
            const auto numRead = ::read (from, buffer.data(), buffer.size());

            if (numRead < 0 && errno == EINTR)
                continue;

            if (numRead < 0)
                return false;

            if (numRead == 0)
                return copied == expectedSize && ::fsync (to) == 0;

            if (! writeAll (to, buffer.data(), (size_t) numRead))
                return false;

            copied += numRead;
        }

        return false;   // the source grew while it was copied
    }

    /** Gives an unnamed file a name in the folder, never one that exists. */
    int linkUnnamed (int descriptor, int folderFd, const char* name)
    {
        if (::linkat (descriptor, "", folderFd, name, AT_EMPTY_PATH) == 0)
            return 0;

        if (errno == EEXIST)
            return EEXIST;

        // AT_EMPTY_PATH needs CAP_DAC_READ_SEARCH; the descriptor's entry in /proc does not.
        const auto procPath = "/proc/self/fd/" + std::to_string (descriptor);
        return ::linkat (AT_FDCWD, procPath.c_str(), folderFd, name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    }

    /** The copy through an unnamed file; nothing when the whole copy could be given no name
        at all, neither through /proc (not mounted) nor by its descriptor (not permitted). */
    std::optional<CopyResult> copyThroughUnnamedFile (int source, off_t size, int folderFd, const juce::File& target, int tempFd)
    {
        const BrioScopedDescriptor temp (tempFd);

        if (! copyBytes (source, temp.descriptor, size))
            return CopyResult::failed;

        const auto linked = linkUnnamed (temp.descriptor, folderFd, target.getFileName().toRawUTF8());

        if (linked == EEXIST)
            return CopyResult::nameTaken;

        if (linked == ENOENT || linked == EPERM || linked == EACCES)
            return std::nullopt;

        if (linked != 0)
            return CopyResult::failed;

        ::fsync (folderFd);   // the copy is whole under its name; a failed flush only risks the entry
        return CopyResult::copied;
    }

    /** A new file under a dot-name, locked for as long as it is written, so that
        removeUnfinishedCopies leaves it alone. */
    int createNamedTemp (int folderFd, juce::String& name)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            name = unfinishedCopyPrefix + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64());
            const auto descriptor = ::openat (folderFd, name.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

            if (descriptor >= 0)
            {
                ::flock (descriptor, LOCK_EX);
                return descriptor;
            }

            if (errno != EEXIST)
                return -1;
        }

        return -1;
    }

    CopyResult copyThroughNamedFile (int source, off_t size, int folderFd, const juce::File& target)
    {
        juce::String tempName;
        const BrioScopedDescriptor temp (createNamedTemp (folderFd, tempName));

        if (temp.descriptor < 0)
            return CopyResult::failed;

        const auto tempFile = target.getSiblingFile (tempName);
        const auto moved = copyBytes (source, temp.descriptor, size) ? moveWithoutReplacing (tempFile, target) : EIO;

        if (moved != 0)
            ::unlinkat (folderFd, tempName.toRawUTF8(), 0);

        if (moved == EEXIST)
            return CopyResult::nameTaken;

        if (moved != 0)
            return CopyResult::failed;

        ::fsync (folderFd);
        return CopyResult::copied;
    }
}

int moveWithoutReplacing (const juce::File& file, const juce::File& target)
{
    return moveWithoutReplacing (AT_FDCWD, file.getFullPathName(), target);
}

int moveWithoutReplacing (int folderFd, const juce::String& name, const juce::File& target)
{
    const auto* from = name.toRawUTF8();
    const auto* to = target.getFullPathName().toRawUTF8();

    if (::renameat2 (folderFd, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;

    if (errno != EINVAL)
        return errno;

    // A file system without RENAME_NOREPLACE: a hard link also refuses a taken name.
    if (::linkat (folderFd, from, AT_FDCWD, to, 0) != 0)
        return errno;

    if (::unlinkat (folderFd, from, 0) == 0)
        return 0;

    const auto error = errno;
    ::unlink (to);
    return error;
}

int linkWithoutReplacing (const juce::File& file, const juce::File& target)
{
    return ::linkat (AT_FDCWD, file.getFullPathName().toRawUTF8(), AT_FDCWD, target.getFullPathName().toRawUTF8(), 0) == 0
            ? 0 : errno;
}

CopyResult copyToNewFile (const juce::File& source, const juce::File& target)
{
    // O_NONBLOCK: a pipe swapped in for the file must not hold the open.
    const BrioScopedDescriptor from (::open (source.getFullPathName().toRawUTF8(),
                                             O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};

    if (from.descriptor < 0 || ::fstat (from.descriptor, &info) != 0 || ! S_ISREG (info.st_mode))
        return CopyResult::unreadableSource;

    const BrioScopedDescriptor folder (::open (target.getParentDirectory().getFullPathName().toRawUTF8(),
                                               O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (folder.descriptor < 0)
        return CopyResult::failed;

    // Not a byte copied for a name that is taken (the link below refuses it anyway).
    struct stat existing {};

    if (::fstatat (folder.descriptor, target.getFileName().toRawUTF8(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return CopyResult::nameTaken;

    const auto unnamed = ::openat (folder.descriptor, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);

    if (unnamed >= 0)
    {
        if (const auto result = copyThroughUnnamedFile (from.descriptor, info.st_size, folder.descriptor, target, unnamed))
            return *result;

        // Whole, but nothing may name it: the named way, from the start of the source again.
        if (::lseek (from.descriptor, 0, SEEK_SET) != 0)
            return CopyResult::failed;
    }
    else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
    {
        // Only refused by the file system (EOPNOTSUPP) or, before Linux 3.11, not known (EISDIR).
        return CopyResult::failed;
    }

    return copyThroughNamedFile (from.descriptor, info.st_size, folder.descriptor, target);
}

void removeUnfinishedCopies (const juce::File& folder)
{
    const BrioScopedDescriptor folderFd (::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (folderFd.descriptor < 0)
        return;

    const BrioFolderListing listing (folderFd.descriptor, 1000000);

    for (const auto& entry : listing.getEntries())
    {
        if (entry.kind != BrioFolderListing::Kind::file || entry.isLink || ! entry.name.startsWith (unfinishedCopyPrefix))
            continue;

        const auto* name = entry.name.toRawUTF8();
        const BrioScopedDescriptor file (::openat (folderFd.descriptor, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {}, named {};

        // The writer holds its lock until the copy has its name: whoever ended without
        // finishing let go of it.
        if (file.descriptor >= 0 && ::flock (file.descriptor, LOCK_EX | LOCK_NB) == 0
             && ::fstat (file.descriptor, &opened) == 0 && S_ISREG (opened.st_mode)
             && ::fstatat (folderFd.descriptor, name, &named, AT_SYMLINK_NOFOLLOW) == 0
             && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat (folderFd.descriptor, name, 0);
    }
}

} // namespace BrioFileMoves
