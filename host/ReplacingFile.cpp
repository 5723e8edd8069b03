#include "ReplacingFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <pthread.h>
#include <string>
#include <time.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tanglefix::host
{

namespace
{
    //==============================================================================
    // The temporary files that a signal must take with it. The signal may run its handler
    // on any thread, the plug-in's too, while the main thread makes a file, so a slot is
    // claimed before its file has a name and the name is written into the slot before the
    // file takes it. While a slot is being filled the handler waits for it (the main thread
    // blocks the signals meanwhile, so it is never the thread that waits). A name changes
    // only in a slot the main thread claimed, and the handler takes a published slot for
    // itself before it reads the name, so neither ever reads a name the other is writing.
    // Names are removed relative to the folder held open, wherever that folder has moved.
    // An unnamed file (O_TMPFILE) holds its slot without publishing it: the kernel removes
    // it with the process, and it is published only for the moment between its naming and
    // the rename. Handlers may run on several threads at once: one that finds a slot another
    // is removing waits until that file is gone, since its own raise may end the process first.
    constexpr int numSlots = 4;
    enum SlotState : int { slotFree, slotFilling, slotHeld, slotPublished, slotRemoving, slotRemoved };
    std::array<char[NAME_MAX + 1], numSlots> pendingNames {};
    std::array<int, numSlots> pendingFolders {};
    std::array<std::atomic<int>, numSlots> slotStates {};
    std::atomic<bool> handlersInstalled { false };

    // Set by the first handler: no file is claimed after it, or one made behind a handler
    // that had already passed its slot would stay.
    std::atomic<bool> ending { false };

    // Every signal that ends a process by default, except those that come from a fault in
    // the process itself (there the handler could not be trusted to run), and the two a
    // failed write raises, which are ignored instead: the write then fails, and the
    // failure path removes the file and says why. The real-time signals are added to these.
    constexpr int cleanedSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2,
                                       SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT, SIGXCPU };
    constexpr int ignoredSignals[] = { SIGPIPE, SIGXFSZ };

    sigset_t allCleanedSignals()
    {
        sigset_t set;
        sigemptyset (&set);

        for (const auto signalNumber : cleanedSignals)
            sigaddset (&set, signalNumber);

        for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber)
            sigaddset (&set, signalNumber);

        return set;
    }

    void waitWhile (const std::atomic<int>& state, SlotState busy)
    {
        // A file is made or removed within microseconds; the limit only guards against a
        // thread that was stopped meanwhile.
        const timespec pause { 0, 1000000 };

        for (int i = 0; i < 2000 && state.load() == busy; ++i)
            nanosleep (&pause, nullptr);
    }

    void removePendingFilesAndRaise (int signalNumber)
    {
        ending.store (true);

        for (int i = 0; i < numSlots; ++i)
        {
            auto& state = slotStates[(size_t) i];
            waitWhile (state, slotFilling);
            auto expected = (int) slotPublished;

            if (state.compare_exchange_strong (expected, slotRemoving))
            {
                unlinkat (pendingFolders[(size_t) i], pendingNames[(size_t) i], 0);
                state.store (slotRemoved);
            }
            else
            {
                waitWhile (state, slotRemoving);
            }
        }

        // The signal's own ending, so that a shell still sees 130 for an interrupt.
        std::signal (signalNumber, SIG_DFL);
        raise (signalNumber);
    }

    void installHandlers()
    {
        if (handlersInstalled.exchange (true))
            return;

        const auto cleaned = allCleanedSignals();

        for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber)
        {
            if (sigismember (&cleaned, signalNumber) != 1)
                continue;

            struct sigaction previous {};
            sigaction (signalNumber, nullptr, &previous);

            // A signal the caller chose to ignore stays ignored.
            if (previous.sa_handler == SIG_IGN)
                continue;

            // No other cleaning signal interrupts a handler on its own thread.
            struct sigaction action {};
            action.sa_handler = removePendingFilesAndRaise;
            action.sa_mask = cleaned;
            sigaction (signalNumber, &action, nullptr);
        }

        for (const auto signalNumber : ignoredSignals)
        {
            struct sigaction previous {};
            sigaction (signalNumber, nullptr, &previous);

            if (previous.sa_handler == SIG_DFL)
                std::signal (signalNumber, SIG_IGN);
        }
    }

    /** Claims a free slot for a file about to be made; -1 when all are taken or a handler
        is ending the process. Only the main thread claims, fills and frees slots. */
    int claimSlot()
    {
        for (int i = 0; i < numSlots; ++i)
        {
            auto expected = (int) slotFree;

            if (! slotStates[(size_t) i].compare_exchange_strong (expected, slotFilling))
                continue;

            // Checked after the claim: a handler either sees the claim or is seen here.
            if (ending.load())
            {
                slotStates[(size_t) i].store (slotFree);
                return -1;
            }

            return i;
        }

        return -1;
    }

    /** A descriptor of 3 or more for the same file: a standard stream that was closed must
        never become the file that everything printed lands in. */
    int aboveStandardStreams (int descriptor)
    {
        if (descriptor < 0 || descriptor > STDERR_FILENO)
            return descriptor;

        const auto moved = fcntl (descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        const auto error = errno;
        close (descriptor);
        errno = error;
        return moved;
    }

    /** A slot's fresh hidden name: random, so that no other file in the folder is touched. */
    void writeUniqueName (char* name)
    {
        static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        static constexpr auto prefix = ".tanglefix-";
        constexpr int numRandom = 6;
        unsigned char bytes[numRandom] {};

        if (getrandom (bytes, sizeof (bytes), GRND_NONBLOCK) != (ssize_t) sizeof (bytes))
        {
            // No entropy yet, early at boot: the clock will do, as every name is made exclusively.
            timespec now {};
            clock_gettime (CLOCK_REALTIME, &now);
            auto value = (unsigned long long) now.tv_nsec * 2654435761u + (unsigned long long) getpid();

            for (auto& byte : bytes)
                byte = (unsigned char) (value >>= 5);
        }

        std::strcpy (name, prefix);

        for (int i = 0; i < numRandom; ++i)
            name[std::strlen (prefix) + (size_t) i] = letters[bytes[i] % (sizeof (letters) - 1)];

        name[std::strlen (prefix) + numRandom] = '\0';
    }

    /** Gives a file a hidden name in the folder through make (name), which creates or links
        it and returns false with errno when it cannot. The name is in the slot before the
        file has it; a name already taken gives another. */
    template <typename Make>
    bool nameInSlot (int slot, int folder, Make&& make)
    {
        auto* name = pendingNames[(size_t) slot];
        pendingFolders[(size_t) slot] = folder;

        for (int attempt = 0; attempt < 100; ++attempt)
        {
            writeUniqueName (name);

            if (make (name))
                return true;

            if (errno != EEXIST)
                return false;
        }

        return false;
    }

    /** Makes the temporary file in the claimed slot: unnamed where the file system offers
        it, so that nothing of it outlives the process however it ends; otherwise of a name
        that the handler sees once the file exists. -1 (slot freed) on failure. */
    int makeFileInSlot (int slot, int folder, mode_t mode, bool& named)
    {
        auto& state = slotStates[(size_t) slot];

        // Only /proc lets any process name an unnamed file (linking its descriptor itself
        // takes a privilege before Linux 6.10): without it, a named file from the start.
        const auto mayBeNamed = faccessat (AT_FDCWD, "/proc/self/fd", X_OK, 0) == 0;
        auto descriptor = mayBeNamed ? openat (folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode) : -1;
        named = descriptor < 0;

        if (! named)
        {
            descriptor = aboveStandardStreams (descriptor);
            state.store (descriptor >= 0 ? slotHeld : slotFree);
            return descriptor;
        }

        // A file system without unnamed files (or a kernel before them).
        const auto made = nameInSlot (slot, folder, [&] (const char* name)
        {
            descriptor = openat (folder, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            return descriptor >= 0;
        });

        if (made && (descriptor = aboveStandardStreams (descriptor)) < 0)
        {
            const auto error = errno;
            unlinkat (folder, pendingNames[(size_t) slot], 0);
            errno = error;
        }

        state.store (descriptor >= 0 ? slotPublished : slotFree);
        return descriptor;
    }

    /** Names the unnamed file in its held slot, and publishes the name until the rename;
        false with errno when it could not be named, or ECANCELED while a signal ends the
        process. Called with the signals blocked. */
    bool nameUnnamedFile (int slot, int folder, int descriptor)
    {
        auto& state = slotStates[(size_t) slot];
        state.store (slotFilling);

        // Checked after the slot is marked, as in claimSlot: no name is made behind a handler.
        if (ending.load())
        {
            state.store (slotHeld);
            errno = ECANCELED;
            return false;
        }

        char fromProc[32];
        std::snprintf (fromProc, sizeof (fromProc), "/proc/self/fd/%d", descriptor);

        const auto linked = nameInSlot (slot, folder, [&] (const char* name)
        {
            // Through /proc, as any process may; without it the descriptor itself, which
            // only a process with CAP_DAC_READ_SEARCH may link.
            if (linkat (AT_FDCWD, fromProc, folder, name, AT_SYMLINK_FOLLOW) == 0)
                return true;

            const auto error = errno;

            if (linkat (descriptor, "", folder, name, AT_EMPTY_PATH) == 0)
                return true;

            errno = error;
            return false;
        });

        const auto error = errno;
        state.store (linked ? slotPublished : slotHeld);
        errno = error;
        return linked;
    }

    void withdraw (int slot)
    {
        if (slot < 0)
            return;

        for (const auto given : { slotPublished, slotHeld })
        {
            auto expected = (int) given;

            if (slotStates[(size_t) slot].compare_exchange_strong (expected, slotFree))
                return;
        }

        // The handler has the slot on another thread and is ending the process: the name
        // must stay as it is until then.
        const timespec pause { 0, 1000000 };

        for (;;)
            nanosleep (&pause, nullptr);
    }

    /** The cleaned signals held back on this thread for as long as it lives, so that none
        comes between a file's naming and the slot's publishing. */
    struct SignalsHeldBack
    {
        SignalsHeldBack()
        {
            const auto cleaned = allCleanedSignals();
            pthread_sigmask (SIG_BLOCK, &cleaned, &previous);
        }

        ~SignalsHeldBack()   { pthread_sigmask (SIG_SETMASK, &previous, nullptr); }

        sigset_t previous;
    };

    //==============================================================================
    std::string folderOf (const std::string& path)
    {
        const auto slash = path.find_last_of ('/');

        if (slash == std::string::npos)
            return ".";

        return slash == 0 ? "/" : path.substr (0, slash);
    }

    /** The last part of a path, which folderOf() leaves out. */
    std::string nameOf (const std::string& path)
    {
        const auto slash = path.find_last_of ('/');
        return slash == std::string::npos ? path : path.substr (slash + 1);
    }

    const char* describeKind (mode_t mode)
    {
        if (S_ISDIR (mode))   return "a folder";
        if (S_ISCHR (mode))   return "a character device";
        if (S_ISBLK (mode))   return "a block device";
        if (S_ISFIFO (mode))  return "a named pipe";
        if (S_ISSOCK (mode))  return "a socket";
        return "no regular file";
    }

    /** Where a target leads and what is there. */
    struct Target
    {
        std::string path;        // the end of the links: a name that is no link, or absent
        struct stat info {};
        bool exists = false;
    };

    std::string cannotWrite (const std::string& path, const std::string& reason)
    {
        return "cannot write " + path + ": " + reason;
    }

    /** The kernel's rule for protected links, whatever the system's setting: in a sticky
        folder that everyone may write, a link is followed only when it is the process's own
        or the folder owner's, as another user could have planted it to aim a write. */
    bool mayFollowLink (const std::string& linkPath, const struct stat& link, const std::string& requested,
                        std::string& errorMessage)
    {
        const auto folder = folderOf (linkPath);
        struct stat folderInfo {};

        if (stat (folder.c_str(), &folderInfo) != 0)
        {
            errorMessage = cannotWrite (requested, "the folder " + folder + ": " + std::strerror (errno));
            return false;
        }

        const auto openToAll = (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);

        if (! openToAll || link.st_uid == geteuid() || link.st_uid == folderInfo.st_uid)
            return true;

        errorMessage = cannotWrite (requested, linkPath + " is a link of another user in the sticky folder " + folder
                                                 + ", which anyone may write: it is not followed, and nothing is written");
        return false;
    }

    /** Follows the links of a target one by one, each relative to the folder it lies in,
        so that a path too long for realpath is followed still, never replaced as a link. */
    bool followLinks (const std::string& requested, Target& target, std::string& errorMessage)
    {
        // The kernel's own limit on links followed in one lookup.
        constexpr int maxLinks = 40;
        target.path = requested;

        for (int followed = 0; followed <= maxLinks; ++followed)
        {
            if (lstat (target.path.c_str(), &target.info) != 0)
            {
                if (errno != ENOENT)
                {
                    errorMessage = cannotWrite (requested, std::strerror (errno));
                    return false;
                }

                if (followed > 0)
                {
                    errorMessage = cannotWrite (requested, "it is a link to nothing");
                    return false;
                }

                return true;
            }

            if (! S_ISLNK (target.info.st_mode))
            {
                target.exists = true;
                return true;
            }

            if (! mayFollowLink (target.path, target.info, requested, errorMessage))
                return false;

            char link[PATH_MAX];
            const auto length = readlink (target.path.c_str(), link, sizeof (link));

            if (length < 0 || length >= (ssize_t) sizeof (link))
            {
                errorMessage = cannotWrite (requested, length < 0 ? std::strerror (errno) : "its link is too long to follow");
                return false;
            }

            const std::string destination (link, (size_t) length);
            const auto slash = target.path.find_last_of ('/');

            target.path = destination.front() == '/' || slash == std::string::npos
                            ? destination : target.path.substr (0, slash + 1) + destination;

            if (target.path.size() >= PATH_MAX)
            {
                errorMessage = cannotWrite (requested, "its links lead to a path longer than " + std::to_string (PATH_MAX - 1) + " bytes");
                return false;
            }
        }

        errorMessage = cannotWrite (requested, std::strerror (ELOOP));
        return false;
    }

    bool hasEffectiveCapability (int capability)
    {
        __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] {};

        return syscall (SYS_capget, &header, data) == 0
            && (data[capability / 32].effective & (1u << (capability % 32))) != 0;
    }

    /** In a sticky folder only the file's owner, the folder's or a process with CAP_FOWNER
        may take the name: the rename would fail after the whole render. */
    bool mayReplaceInFolder (const struct stat& file, const struct stat& folder)
    {
        const auto user = geteuid();

        return (folder.st_mode & S_ISVTX) == 0 || user == file.st_uid || user == folder.st_uid
            || hasEffectiveCapability (CAP_FOWNER);
    }

    /** Whether a file has an attribute (chattr's flags): read without opening it, so that a
        folder or file the process may not read is judged as well. Through links, as a folder
        named by one is where the file goes. */
    bool hasAttribute (const std::string& path, unsigned long long attribute)
    {
        struct statx info {};

        return statx (AT_FDCWD, path.c_str(), 0, 0, &info) == 0
            && (info.stx_attributes_mask & info.stx_attributes & attribute) != 0;
    }

    /** Everything that can be known before writing: where the target leads, that a
        regular file or nothing is there, and that the rename will be allowed. */
    bool examineTarget (const std::string& requested, Target& target, std::string& errorMessage)
    {
        if (requested.empty())
        {
            errorMessage = "cannot write a file without a name";
            return false;
        }

        if (! followLinks (requested, target, errorMessage))
            return false;

        if (target.exists && ! S_ISREG (target.info.st_mode))
        {
            errorMessage = cannotWrite (requested, std::string ("it is ") + describeKind (target.info.st_mode)
                                                     + ", not a regular file; it is left as it is");
            return false;
        }

        const auto folder = folderOf (target.path);
        struct stat folderInfo {};

        if (stat (folder.c_str(), &folderInfo) != 0)
        {
            errorMessage = cannotWrite (requested, errno == ENOENT ? "the folder " + folder + " does not exist"
                                                                   : "the folder " + folder + ": " + std::strerror (errno));
            return false;
        }

        if (! S_ISDIR (folderInfo.st_mode))
        {
            errorMessage = cannotWrite (requested, folder + " is no folder");
            return false;
        }

        if (folder.size() + sizeof ("/.tanglefix-XXXXXX") > PATH_MAX)
        {
            errorMessage = cannotWrite (requested, "its path is longer than " + std::to_string (PATH_MAX - 1) + " bytes");
            return false;
        }

        if (faccessat (AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        {
            errorMessage = cannotWrite (requested, "the folder " + folder + " cannot be written: " + std::strerror (errno));
            return false;
        }

        if (hasAttribute (folder, STATX_ATTR_APPEND))
        {
            errorMessage = cannotWrite (requested, "the folder " + folder + " is append-only: no file in it can be replaced");
            return false;
        }

        if (target.exists && (hasAttribute (target.path, STATX_ATTR_IMMUTABLE) || hasAttribute (target.path, STATX_ATTR_APPEND)))
        {
            errorMessage = cannotWrite (requested, "it is immutable or append-only; it is left as it is");
            return false;
        }

        if (target.exists && ! mayReplaceInFolder (target.info, folderInfo))
        {
            errorMessage = cannotWrite (requested, "it belongs to another user in the sticky folder " + folder
                                                     + ", which lets only its owner replace it; it is left as it is");
            return false;
        }

        return true;
    }

    /** Gives the new file the replaced one's access ACL, or none when it had none (a default
        ACL of the folder would add entries); false when the replaced file had one that the
        new file could not take. */
    bool keepAccessAcl (const std::string& replacedPath, int descriptor)
    {
        constexpr auto name = "system.posix_acl_access";
        const auto size = getxattr (replacedPath.c_str(), name, nullptr, 0);

        if (size < 0)
        {
            if (errno != ENODATA && errno != ENOTSUP)
                return false;

            (void) fremovexattr (descriptor, name);
            return true;
        }

        std::vector<char> acl ((size_t) size);
        const auto read = getxattr (replacedPath.c_str(), name, acl.data(), acl.size());

        return read >= 0 && fsetxattr (descriptor, name, acl.data(), (size_t) read, 0) == 0;
    }
}

//==============================================================================
bool ReplacingFile::checkTarget (const std::string& path, std::string& errorMessage)
{
    Target target;
    return examineTarget (path, target, errorMessage);
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::open (const std::string& requestedPath, std::string& errorMessage)
{
    discard();
    Target target;

    if (! examineTarget (requestedPath, target, errorMessage))
        return false;

    targetPath = target.path;
    targetName = nameOf (targetPath);
    const auto folder = folderOf (targetPath);

    // Held to the end: the file is made, named, renamed and removed relative to it, wherever
    // the folder is moved meanwhile. Opened for reading where it may be, so that it can be
    // flushed after the rename; a folder that may be written but not read is still written,
    // its flush then missed.
    folderDescriptor = aboveStandardStreams (::open (folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    folderOpenError = folderDescriptor < 0 ? errno : 0;

    if (folderDescriptor < 0)
        folderDescriptor = aboveStandardStreams (::open (folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));

    if (folderDescriptor < 0)
    {
        errorMessage = cannotWrite (requestedPath, "the folder " + folder + ": " + std::strerror (errno));
        closeFolder();
        return false;
    }

    installHandlers();

    // The content of a file that replaces another is its owner's alone until it takes the
    // old one's permissions; a new file is made as any program makes it, with what the
    // umask or the folder's default ACL give it, and nothing is changed after.
    const auto mode = (mode_t) (target.exists ? 0600 : 0666);
    auto named = false;
    auto error = 0;

    {
        // A signal on this thread between making the file and publishing its name would
        // leave the file behind, so the signals wait until both are done.
        const SignalsHeldBack heldBack;
        signalSlot = claimSlot();

        if (signalSlot >= 0)
            descriptor = makeFileInSlot (signalSlot, folderDescriptor, mode, named);

        error = errno;
    }

    // Without a slot a signal could not take the file with it: refused, not left to chance.
    if (signalSlot < 0)
    {
        errorMessage = cannotWrite (requestedPath, ending.load() ? "the process is being ended by a signal"
                                                                 : std::to_string (numSlots) + " files are being written already");
        closeFolder();
        return false;
    }

    if (descriptor < 0)
    {
        signalSlot = -1;
        errorMessage = cannotWrite (requestedPath, std::string (std::strerror (error)) + " in the folder " + folder);
        closeFolder();
        return false;
    }

    if (named)
        temporaryName = pendingNames[(size_t) signalSlot];

    if (target.exists)
        takeAttributesOf (target.info);

    return true;
}

void ReplacingFile::takeAttributesOf (const struct stat& replaced) const
{
    // The owner keeps the file where the process may give it (root may, others only a
    // group of their own); a failure leaves the process's, as for any new file.
    if (fchown (descriptor, replaced.st_uid, replaced.st_gid) != 0)
        (void) fchown (descriptor, (uid_t) -1, replaced.st_gid);

    // Only the permission bits: a setuid, setgid or sticky bit means nothing on a sound file
    // and would hand the writer's rights to whoever runs it. With an ACL the group bits are
    // its mask, the most that its named entries get: without the ACL they would go to the
    // owning group instead, so they are cleared when it could not be kept.
    const auto aclKept = keepAccessAcl (targetPath, descriptor);
    fchmod (descriptor, replaced.st_mode & (aclKept ? 0777 : 0707));
}

bool ReplacingFile::nameTemporaryFile()
{
    const SignalsHeldBack heldBack;

    if (! nameUnnamedFile (signalSlot, folderDescriptor, descriptor))
        return false;

    temporaryName = pendingNames[(size_t) signalSlot];
    return true;
}

std::string ReplacingFile::describeMovedFolder()
{
    struct stat held {}, named {};

    if (fstat (folderDescriptor, &held) != 0
         || (stat (folderOf (targetPath).c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino))
        return {};

    char link[32], where[PATH_MAX];
    std::snprintf (link, sizeof (link), "/proc/self/fd/%d", folderDescriptor);
    const auto length = readlink (link, where, sizeof (where));

    if (length <= 0 || length >= (ssize_t) sizeof (where))
        return "its folder was moved or removed while it was written";

    const std::string folderNow (where, (size_t) length);
    movedPath = (folderNow == "/" ? "" : folderNow) + "/" + targetName;
    return "its folder was moved or removed while it was written (it is now " + folderNow + ")";
}

bool ReplacingFile::commit (std::string& errorMessage)
{
    if (descriptor < 0)
    {
        errorMessage = cannotWrite (targetPath, "nothing was written");
        return false;
    }

    // An unnamed file is named only now that it is complete.
    auto error = 0;

    if (fsync (descriptor) != 0 || (temporaryName.empty() && ! nameTemporaryFile()))
        error = errno;

    if (close (descriptor) != 0 && error == 0)
        error = errno;

    descriptor = -1;

    // A signal that is ending the process meanwhile removes the name: the target stays.
    if (error == 0 && ending.load())
        error = ECANCELED;

    if (error == 0 && renameat (folderDescriptor, temporaryName.c_str(), folderDescriptor, targetName.c_str()) != 0)
        error = errno;

    movedPath.clear();
    const auto moved = describeMovedFolder();

    if (error != 0)
    {
        const auto leftName = temporaryName;
        const auto left = discard() ? std::string ("nothing of it was left")
                                    : "its temporary file " + leftName + " could not be removed ("
                                        + std::strerror (errno) + ") and is left in the folder";
        errorMessage = cannotWrite (targetPath, (error == ECANCELED ? std::string ("the process is being ended by a signal")
                                                                    : std::string (std::strerror (error)))
                                                  + (moved.empty() ? "" : "; " + moved) + "; " + left);
        movedPath.clear();
        return false;
    }

    withdraw (signalSlot);
    signalSlot = -1;
    temporaryName.clear();

    // The rename is only lasting once the folder's entries are on the disk too. The target
    // is replaced either way, so a flush that fails is told, not reported as a failure, and
    // so is a folder that moved: the file is in it, as one a shell opened would be.
    const auto flushError = folderOpenError != 0 ? folderOpenError : (fsync (folderDescriptor) == 0 ? 0 : errno);
    closeFolder();
    errorMessage.clear();

    if (! moved.empty())
        errorMessage = targetPath + " was written, but " + moved;

    if (flushError != 0)
        errorMessage += (errorMessage.empty() ? targetPath + " was written, but its folder" : "; the folder")
                      + std::string (" could not be flushed to the disk (") + std::strerror (flushError)
                      + "): a crash soon after could lose it";

    return true;
}

bool ReplacingFile::discard()
{
    if (descriptor >= 0)
        close (descriptor);

    descriptor = -1;

    const auto removed = temporaryName.empty() || unlinkat (folderDescriptor, temporaryName.c_str(), 0) == 0
                          || errno == ENOENT;
    const auto error = errno;

    withdraw (signalSlot);
    signalSlot = -1;
    temporaryName.clear();
    closeFolder();
    errno = error;
    return removed;
}

void ReplacingFile::closeFolder()
{
    if (folderDescriptor >= 0)
        close (folderDescriptor);

    folderDescriptor = -1;
    folderOpenError = 0;
}

} // namespace tanglefix::host
