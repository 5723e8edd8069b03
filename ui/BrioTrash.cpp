#include "BrioTrash.h"

#include <BrioFileMoves.h>
#include <BrioFolderListing.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace
{
    /** Creates the entry only when no entry of that name exists yet: the name in the
        trash is claimed by whoever creates the entry first. Returns false when taken. */
    bool createEntryExclusively (const juce::File& entry, const juce::String& text, bool& failed)
    {
        const int fd = ::open (entry.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL, 0600);

        if (fd < 0)
        {
            failed = (errno != EEXIST);
            return false;
        }

        const auto* bytes = text.toRawUTF8();
        const auto size = (ssize_t) text.getNumBytesAsUTF8();
        const bool written = ::write (fd, bytes, (size_t) size) == size;
        const bool closed = ::close (fd) == 0;

        if (written && closed)
            return true;

        entry.deleteFile();
        failed = true;
        return false;
    }

    juce::String nameForAttempt (const juce::File& file, int attempt)
    {
        if (attempt == 1)
            return file.getFileName();

        return file.getFileNameWithoutExtension() + "." + juce::String (attempt) + file.getFileExtension();
    }

    /** Which mount a path lies on; a rename works only within one. */
    struct Mount
    {
        dev_t device = 0;
        juce::uint64 id = 0;

        bool operator== (const Mount& other) const noexcept    { return device == other.device && id == other.id; }
        bool operator!= (const Mount& other) const noexcept    { return ! operator== (other); }
    };

    std::optional<Mount> mountOf (const juce::File& file)
    {
        struct statx info;

        if (::statx (AT_FDCWD, file.getFullPathName().toRawUTF8(), AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &info) != 0)
            return {};

        // Without a mount id (older kernels) a bind mount of the same file system reads
        // as the same mount; the rename then fails rather than copies.
        const auto id = (info.stx_mask & STATX_MNT_ID) != 0 ? (juce::uint64) info.stx_mnt_id : 0;
        return Mount { makedev (info.stx_dev_major, info.stx_dev_minor), id };
    }

    /** The mount of the file, or of the nearest folder above it that exists. */
    std::optional<Mount> mountOfNearest (juce::File file)
    {
        while (! file.exists() && file != file.getParentDirectory())
            file = file.getParentDirectory();

        return mountOf (file);
    }

    /** The highest folder above the file on the same mount. */
    juce::File topOfMount (const juce::File& folder, const Mount& mount)
    {
        auto top = folder;

        for (auto up = top.getParentDirectory(); up != top; up = top.getParentDirectory())
        {
            if (mountOf (up) != mount)
                break;

            top = up;
        }

        return top;
    }

    /** A folder the user alone can use: no link, owned by the user, made (mode 0700)
        when missing. */
    bool isOwnFolder (const juce::File& folder)
    {
        const auto* path = folder.getFullPathName().toRawUTF8();
        ::mkdir (path, 0700);

        struct stat info;
        return ::lstat (path, &info) == 0 && S_ISDIR (info.st_mode) && info.st_uid == ::getuid();
    }

    /** $topdir/.Trash, made by an administrator for every user: a folder, no link, with
        the sticky bit. */
    bool isSharedTrash (const juce::File& folder)
    {
        struct stat info;
        return ::lstat (folder.getFullPathName().toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
                && (info.st_mode & S_ISVTX) != 0;
    }

    /** The folder with its links resolved, where the mount's top is looked for: a link
        on the way may lead onto another mount. */
    juce::File realFolder (const juce::File& folder)
    {
        const auto real = BrioFolderListing::realPath (folder.getFullPathName());
        return real.isNotEmpty() ? juce::File (real) : folder;
    }

    /** The "Path" of an entry: absolute in the home trash, relative to the top of the
        mount in a trash there. */
    juce::String entryPath (const juce::File& file, const juce::File& top)
    {
        if (top == juce::File())
            return file.getFullPathName();

        return BrioFolderListing::childOf (realFolder (file.getParentDirectory()), file.getFileName()).getRelativePathFrom (top);
    }

    juce::Result makeFolder (const juce::File& folder)
    {
        if (folder.isDirectory())
            return juce::Result::ok();

        const auto result = folder.createDirectory();

        if (result.wasOk())
            ::chmod (folder.getFullPathName().toRawUTF8(), 0700);   // the trash is private

        return result;
    }
}

//==============================================================================
juce::File BrioTrash::getHomeTrash()
{
    // JUCE's getEnvironmentVariable copies the bytes unchecked (BrioFolderListing).
    const auto dataHome = BrioFolderListing::environmentVariable ("XDG_DATA_HOME");

    if (juce::File::isAbsolutePath (dataHome))
        return juce::File (dataHome).getChildFile ("Trash");

    // Not "~": JUCE expands it from HOME unchecked, and a home of other bytes would
    // name another folder.
    const auto home = BrioFolderListing::homeFolder();
    return home != juce::File() ? home.getChildFile (".local/share/Trash") : juce::File();
}

std::optional<BrioTrash::Place> BrioTrash::findTrashFor (const juce::File& file, const juce::File& homeTrash)
{
    const auto folder = realFolder (file.getParentDirectory());
    const auto mount = mountOf (folder);

    if (! mount.has_value() || mount == mountOfNearest (homeTrash))
        return Place { homeTrash, {} };

    const auto top = topOfMount (folder, *mount);
    const auto uid = juce::String ((juce::int64) ::getuid());
    const auto shared = top.getChildFile (".Trash");

    if (isSharedTrash (shared) && isOwnFolder (shared.getChildFile (uid)))
        return Place { shared.getChildFile (uid), top };

    if (isOwnFolder (top.getChildFile (".Trash-" + uid)))
        return Place { top.getChildFile (".Trash-" + uid), top };

    return {};
}

juce::Result BrioTrash::moveToTrash (const juce::File& file)
{
    const auto trash = getHomeTrash();

    if (trash == juce::File())
        return juce::Result::fail ("There is no trash to move \"" + file.getFileName()
                                   + "\" to: the name of the home folder is not UTF-8.");

    return moveToTrash (file, trash);
}

juce::Result BrioTrash::moveToTrash (const juce::File& file, const juce::File& homeTrash,
                                     const std::function<void (const juce::File&)>& beforeMove)
{
    return moveToTrash (AT_FDCWD, file.getFullPathName(), file, homeTrash, beforeMove);
}

juce::Result BrioTrash::moveToTrash (int folderFd, const juce::String& nameInFolder, const juce::File& file,
                                     const juce::File& homeTrash,
                                     const std::function<void (const juce::File&)>& beforeMove)
{
    struct stat info;

    if (::fstatat (folderFd, nameInFolder.toRawUTF8(), &info, 0) != 0 || S_ISDIR (info.st_mode))
        return juce::Result::fail ("The file \"" + file.getFullPathName() + "\" does not exist.");

    const auto place = findTrashFor (file, homeTrash);

    if (! place.has_value())
        return juce::Result::fail ("There is no trash on the file system of \"" + file.getFullPathName() + "\".");

    const auto trash = place->folder;
    const auto filesFolder = trash.getChildFile ("files");
    const auto infoFolder = trash.getChildFile ("info");

    for (const auto& folder : { trash, filesFolder, infoFolder })
        if (const auto made = makeFolder (folder); made.failed())
            return juce::Result::fail ("Could not create the trash folder \"" + folder.getFullPathName()
                                       + "\": " + made.getErrorMessage());

    const auto entryText = "[Trash Info]\nPath=" + encodePath (entryPath (file, place->topFolder))
                         + "\nDeletionDate=" + juce::Time::getCurrentTime().formatted ("%Y-%m-%dT%H:%M:%S") + "\n";

    for (int attempt = 1; attempt < 10000; ++attempt)
    {
        const auto name = nameForAttempt (file, attempt);
        // A preset's name may begin with '~', which JUCE's getChildFile reads as a home.
        const auto entry = BrioFolderListing::childOf (infoFolder, name + ".trashinfo");
        const auto target = BrioFolderListing::childOf (filesFolder, name);
        bool failed = false;

        if (! createEntryExclusively (entry, entryText, failed))
        {
            if (failed)
                return juce::Result::fail ("Could not write to the trash folder \"" + infoFolder.getFullPathName() + "\".");

            continue;
        }

        if (beforeMove)
            beforeMove (target);

        const auto moved = BrioFileMoves::moveWithoutReplacing (folderFd, nameInFolder, target);

        if (moved == 0)
            return juce::Result::ok();

        entry.deleteFile();

        // A file put in "files" without its entry (by another program, at any moment) keeps
        // its name: the next name is tried.
        if (moved != EEXIST)
            return juce::Result::fail ("Could not move \"" + file.getFullPathName() + "\" to the trash.");
    }

    return juce::Result::fail ("The trash has no free name for \"" + file.getFileName() + "\".");
}

juce::String BrioTrash::encodePath (const juce::String& path)
{
    juce::String encoded;
    const auto* bytes = path.toRawUTF8();

    for (size_t i = 0; bytes[i] != 0; ++i)
    {
        const auto c = (unsigned char) bytes[i];

        if (juce::CharacterFunctions::isLetterOrDigit ((char) c) && c < 0x80)
            encoded << (char) c;
        else if (c == '/' || c == '-' || c == '_' || c == '.' || c == '~')
            encoded << (char) c;
        else
            encoded << '%' << juce::String::toHexString ((int) c).paddedLeft ('0', 2).toUpperCase();
    }

    return encoded;
}
