#include "ReplacingFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/capability.h>
#include <pthread.h>
#include <string>
#include <time.h>
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
    // claimed before its file exists and mkostemp writes the name into the slot itself.
    // While a slot is being filled the handler waits for it (the main thread blocks the
    // signals meanwhile, so it is never the thread that waits). A path changes only in a
    // slot the main thread claimed, and the handler takes a published slot for itself
    // before it reads the path, so neither ever reads a path the other is writing.
    // Handlers may run on several threads at once: one that finds a slot another is
    // removing waits until that file is gone, since its own raise may end the process first.
    constexpr int numSlots = 4;
    enum SlotState : int { slotFree, slotFilling, slotPublished, slotRemoving, slotRemoved };
    std::array<char[PATH_MAX], numSlots> pendingPaths {};
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
                unlink (pendingPaths[(size_t) i]);
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

    /** Makes the temporary file from the pattern, in the slot: the name is there before the
        file exists, and the handler sees it once the file is made. -1 (slot freed) on failure. */
    int makeFileInSlot (int slot, const std::string& pattern)
    {
        auto* path = pendingPaths[(size_t) slot];
        std::memcpy (path, pattern.c_str(), pattern.size() + 1);
        auto descriptor = mkostemp (path, O_CLOEXEC);

        if (descriptor >= 0 && (descriptor = aboveStandardStreams (descriptor)) < 0)
        {
            const auto error = errno;
            unlink (path);
            errno = error;
        }

        slotStates[(size_t) slot].store (descriptor >= 0 ? slotPublished : slotFree);
        return descriptor;
    }

    void withdraw (int slot)
    {
        if (slot < 0)
            return;

        auto expected = (int) slotPublished;

        if (slotStates[(size_t) slot].compare_exchange_strong (expected, slotFree))
            return;

        // The handler has the slot on another thread and is ending the process: the path
        // must stay as it is until then.
        const timespec pause { 0, 1000000 };

        for (;;)
            nanosleep (&pause, nullptr);
    }

    //==============================================================================
    std::string folderOf (const std::string& path)
    {
        const auto slash = path.find_last_of ('/');

        if (slash == std::string::npos)
            return ".";

        return slash == 0 ? "/" : path.substr (0, slash);
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

        if (target.exists && ! mayReplaceInFolder (target.info, folderInfo))
        {
            errorMessage = cannotWrite (requested, "it belongs to another user in the sticky folder " + folder
                                                     + ", which lets only its owner replace it; it is left as it is");
            return false;
        }

        return true;
    }

    // Read before main(), while the process is still one thread: for a system without /proc.
    const mode_t umaskAtStart = [] { const auto mask = umask (0); umask (mask); return mask; }();

    /** The umask, read without setting it: umask() reads it only by changing it for the
        whole process, and a file another thread made meanwhile would be open to everyone. */
    mode_t currentUmask()
    {
        std::ifstream status ("/proc/self/status");

        for (std::string line; std::getline (status, line);)
            if (line.rfind ("Umask:", 0) == 0)
                return (mode_t) std::strtoul (line.c_str() + 6, nullptr, 8);

        return umaskAtStart;
    }

    mode_t modeForNewFile()
    {
        return 0666 & ~currentUmask();
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

    // A hidden name of its own, so that no other file in the folder is ever touched.
    const auto pattern = folderOf (targetPath) + "/.tanglefix-XXXXXX";

    // Opened now, so that nothing stands between the rename and the folder's flush. A
    // folder that may be written but not read is still written: its flush is then missed.
    folderDescriptor = aboveStandardStreams (::open (folderOf (targetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    folderOpenError = folderDescriptor < 0 ? errno : 0;

    installHandlers();

    // A signal on this thread between making the file and publishing its name would leave
    // the file behind, so the signals wait here until both are done.
    const auto cleaned = allCleanedSignals();
    sigset_t previousMask;
    pthread_sigmask (SIG_BLOCK, &cleaned, &previousMask);
    signalSlot = claimSlot();
    const auto claimed = signalSlot >= 0;

    if (claimed)
        descriptor = makeFileInSlot (signalSlot, pattern);

    const auto error = errno;

    if (descriptor >= 0)
        temporaryPath = pendingPaths[(size_t) signalSlot];
    else
        signalSlot = -1;

    pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);

    // Without a slot a signal could not take the file with it: refused, not left to chance.
    if (! claimed)
    {
        errorMessage = cannotWrite (requestedPath, ending.load() ? "the process is being ended by a signal"
                                                                 : std::to_string (numSlots) + " files are being written already");
        closeFolder();
        return false;
    }

    if (descriptor < 0)
    {
        errorMessage = cannotWrite (requestedPath, std::string (std::strerror (error)) + " in the folder " + folderOf (targetPath));
        closeFolder();
        return false;
    }

    takeAttributesOf (target.exists ? &target.info : nullptr);
    return true;
}

void ReplacingFile::takeAttributesOf (const struct stat* replaced) const
{
    if (replaced == nullptr)
    {
        fchmod (descriptor, modeForNewFile());
        return;
    }

    // The owner keeps the file where the process may give it (root may, others only a
    // group of their own); a failure leaves the process's, as for any new file.
    if (fchown (descriptor, replaced->st_uid, replaced->st_gid) != 0)
        (void) fchown (descriptor, (uid_t) -1, replaced->st_gid);

    // Only the permission bits: a setuid, setgid or sticky bit means nothing on a sound file
    // and would hand the writer's rights to whoever runs it. With an ACL the group bits are
    // its mask, the most that its named entries get: without the ACL they would go to the
    // owning group instead, so they are cleared when it could not be kept.
    const auto aclKept = keepAccessAcl (targetPath, descriptor);
    fchmod (descriptor, replaced->st_mode & (aclKept ? 0777 : 0707));
}

bool ReplacingFile::commit (std::string& errorMessage)
{
    if (descriptor < 0)
    {
        errorMessage = cannotWrite (targetPath, "nothing was written");
        return false;
    }

    const auto synced = fsync (descriptor) == 0;
    const auto closed = close (descriptor) == 0;
    descriptor = -1;

    if (! synced || ! closed || std::rename (temporaryPath.c_str(), targetPath.c_str()) != 0)
    {
        errorMessage = cannotWrite (targetPath, std::strerror (errno));
        discard();
        return false;
    }

    withdraw (signalSlot);
    signalSlot = -1;
    temporaryPath.clear();

    // The rename is only lasting once the folder's entries are on the disk too. The target
    // is replaced either way, so a flush that fails is told, not reported as a failure.
    const auto flushed = folderDescriptor >= 0 && fsync (folderDescriptor) == 0;
    const auto flushError = folderDescriptor >= 0 ? errno : folderOpenError;
    closeFolder();
    errorMessage.clear();

    if (! flushed)
        errorMessage = targetPath + " was written, but its folder could not be flushed to the disk ("
                     + std::strerror (flushError) + "): a crash soon after could lose it";

    return true;
}

void ReplacingFile::discard()
{
    if (descriptor >= 0)
        close (descriptor);

    descriptor = -1;

    if (! temporaryPath.empty())
        unlink (temporaryPath.c_str());

    withdraw (signalSlot);
    signalSlot = -1;
    temporaryPath.clear();
    closeFolder();
}

void ReplacingFile::closeFolder()
{
    if (folderDescriptor >= 0)
        close (folderDescriptor);

    folderDescriptor = -1;
    folderOpenError = 0;
}

} // namespace tanglefix::host
