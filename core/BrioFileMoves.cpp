#include "BrioFileMoves.h"
#include "BrioFolderListing.h"
#include "BrioRegularFile.h"
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

    /** An error that says nothing may name an unnamed file: no /proc to name it through,
        and no right to link the descriptor itself. */
    bool isRefusedNaming (int error) noexcept
    {
        return error == ENOENT || error == EPERM || error == EACCES;
    }

    constexpr int unfinishedHexDigits = 16;

    juce::String newUnfinishedName()
    {
        const auto number = (juce::uint64) juce::Random::getSystemRandom().nextInt64();
        return unfinishedCopyPrefix + juce::String::toHexString ((juce::int64) number).paddedLeft ('0', unfinishedHexDigits);
    }

    /** The dot-names this file gives: the prefix and a number of up to 16 hex digits. */
    bool isUnfinishedName (const juce::String& name)
    {
        if (! name.startsWith (unfinishedCopyPrefix))
            return false;

        const auto number = name.substring (unfinishedCopyPrefix.length());
        return number.isNotEmpty() && number.length() <= unfinishedHexDigits
                && number.containsOnly ("0123456789abcdef");
    }

    /** A new file under a dot-name that nothing has yet. */
    int createNamedTemp (int folderFd, juce::String& name)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            name = newUnfinishedName();
            const auto descriptor = ::openat (folderFd, name.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

            if (descriptor >= 0 || errno != EEXIST)
                return descriptor;
        }

        return -1;
    }

    /** Gives an unnamed file a dot-name that nothing has yet: 0, or the error. */
    int linkUnderNewName (int descriptor, int folderFd, juce::String& name)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            const auto candidate = newUnfinishedName();
            const auto error = linkUnnamed (descriptor, folderFd, candidate.toRawUTF8());

            if (error == 0)
                name = candidate;

            if (error != EEXIST)
                return error;
        }

        return EEXIST;
    }

    /** Writes a new file into the folder.
        @param fill  writes the whole file through the descriptor; false when it could not.
        @param name  gives the whole file its name: the descriptor, and its dot-name, empty
                     while the file is unnamed; a dot-name it leaves there is removed on
                     failure. 0, or the error.
        The file is unnamed (O_TMPFILE) where the file system allows; where nothing may name
        such a file (the naming is refused while it has no dot-name), it is written again
        under a dot-name. It is locked from the start, so that removeUnfinishedCopies leaves
        it alone for as long as it is written. Returns 0 once named, EIO when the file could
        not be made or written, or the naming's error; whatever name it had then is removed. */
    int makeWholeFile (int folderFd, const std::function<bool (int)>& fill,
                       const std::function<int (int, juce::String&)>& name)
    {
        for (const auto unnamed : { true, false })
        {
            juce::String tempName;
            const BrioScopedDescriptor file (unnamed ? ::openat (folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644)
                                                     : createNamedTemp (folderFd, tempName));

            // Unnamed files only refused by the file system (EOPNOTSUPP) or, before Linux
            // 3.11, not known (EISDIR).
            if (file.descriptor < 0 && unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
                continue;

            if (file.descriptor < 0)
                return EIO;

            ::flock (file.descriptor, LOCK_EX);
            const auto error = fill (file.descriptor) ? name (file.descriptor, tempName) : EIO;

            // Whole, but nothing may name it: the named way, written again.
            if (unnamed && tempName.isEmpty() && isRefusedNaming (error))
                continue;

            if (error != 0 && tempName.isNotEmpty())
                ::unlinkat (folderFd, tempName.toRawUTF8(), 0);

            if (error == 0)
                ::fsync (folderFd);     // the file is whole under its name; a failed flush only risks the entry

            return error;
        }

        return EIO;
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
    const auto openError = errno;
    struct stat info {};

    // A host out of descriptors, or a failing disk, says nothing of the file: it is still
    // to be copied.
    if (from.descriptor < 0 || ::fstat (from.descriptor, &info) != 0)
        return BrioRegularFile::isFailureOfTheProcess (from.descriptor < 0 ? openError : errno) ? CopyResult::failed
                                                                                                 : CopyResult::unreadableSource;

    if (! S_ISREG (info.st_mode))
        return CopyResult::unreadableSource;

    const BrioScopedDescriptor folder (::open (target.getParentDirectory().getFullPathName().toRawUTF8(),
                                               O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (folder.descriptor < 0)
        return CopyResult::failed;

    const auto targetName = target.getFileName();

    // Not a byte copied for a name that is taken (the naming below refuses it anyway).
    struct stat existing {};

    if (::fstatat (folder.descriptor, targetName.toRawUTF8(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return CopyResult::nameTaken;

    const auto fill = [&] (int descriptor)
    {
        return ::lseek (from.descriptor, 0, SEEK_SET) == 0 && copyBytes (from.descriptor, descriptor, info.st_size);
    };

    const auto name = [&] (int descriptor, juce::String& tempName)
    {
        if (tempName.isEmpty())
            return linkUnnamed (descriptor, folder.descriptor, targetName.toRawUTF8());

        const auto moved = moveWithoutReplacing (folder.descriptor, tempName, target);

        if (moved == 0)
            tempName = {};

        return moved;
    };

    const auto error = makeWholeFile (folder.descriptor, fill, name);
    return error == 0 ? CopyResult::copied : error == EEXIST ? CopyResult::nameTaken : CopyResult::failed;
}

bool replaceWithNewFile (const juce::File& target, const void* data, size_t size,
                         const BeforeReplacing& beforeReplacing, struct stat* written)
{
    const auto folderPath = target.getParentDirectory().getFullPathName();
    const BrioScopedDescriptor folder (::open (folderPath.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (folder.descriptor < 0)
        return false;

    // What a write killed under its dot-name left here (where the file system has no unnamed
    // files, or between the naming and the rename) goes now.
    removeUnfinishedCopiesIn (folder.descriptor);

    const auto fill = [&] (int descriptor)
    {
        struct stat info {};
        return writeAll (descriptor, static_cast<const char*> (data), size) && ::fstat (descriptor, &info) == 0
                && info.st_size == (off_t) size && ::fsync (descriptor) == 0;
    };

    const auto name = [&] (int descriptor, juce::String& tempName)
    {
        if (tempName.isEmpty())
            if (const auto error = linkUnderNewName (descriptor, folder.descriptor, tempName); error != 0)
                return error;

        if (beforeReplacing && ! beforeReplacing())
            return ECANCELED;

        if (::renameat (folder.descriptor, tempName.toRawUTF8(), folder.descriptor, target.getFileName().toRawUTF8()) != 0)
            return errno;

        tempName = {};

        if (written != nullptr)
            ::fstat (descriptor, written);

        return 0;
    };

    return makeWholeFile (folder.descriptor, fill, name) == 0;
}

void removeUnfinishedCopies (const juce::File& folder)
{
    const BrioScopedDescriptor folderFd (::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    if (folderFd.descriptor >= 0)
        removeUnfinishedCopiesIn (folderFd.descriptor);
}

void removeUnfinishedCopiesIn (int folderFd)
{
    const BrioFolderListing listing (folderFd, 1000000);

    for (const auto& entry : listing.getEntries())
    {
        if (entry.kind != BrioFolderListing::Kind::file || entry.isLink || ! isUnfinishedName (entry.name))
            continue;

        const auto* name = entry.name.toRawUTF8();
        const BrioScopedDescriptor file (::openat (folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {}, named {};

        // The writer holds its lock until the copy has its name: whoever ended without
        // finishing let go of it.
        if (file.descriptor >= 0 && ::flock (file.descriptor, LOCK_EX | LOCK_NB) == 0
             && ::fstat (file.descriptor, &opened) == 0 && S_ISREG (opened.st_mode) && opened.st_nlink == 1
             && ::fstatat (folderFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0
             && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat (folderFd, name, 0);
    }
}

} // namespace BrioFileMoves
