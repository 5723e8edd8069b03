#include "ReplacingFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

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
    constexpr int numSlots = 4;
    enum SlotState : int { slotFree, slotFilling, slotPublished, slotRemoving };
    std::array<char[PATH_MAX], numSlots> pendingPaths {};
    std::array<std::atomic<int>, numSlots> slotStates {};
    std::atomic<bool> handlersInstalled { false };

    // Every signal that ends a process by default, except those that come from a fault in
    // the process itself (there the handler could not be trusted to run), and the two a
    // failed write raises, which are ignored instead: the write then fails, and the
    // failure path removes the file and says why.
    constexpr int cleanedSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2 };
    constexpr int ignoredSignals[] = { SIGPIPE, SIGXFSZ };

    void waitWhileFilling (const std::atomic<int>& state)
    {
        // A file is made within microseconds; the limit only guards against a main thread
        // that was stopped meanwhile.
        const timespec pause { 0, 1000000 };

        for (int i = 0; i < 2000 && state.load() == slotFilling; ++i)
            nanosleep (&pause, nullptr);
    }

    void removePendingFilesAndRaise (int signalNumber)
    {
        for (int i = 0; i < numSlots; ++i)
        {
            waitWhileFilling (slotStates[(size_t) i]);
            auto expected = (int) slotPublished;

            if (slotStates[(size_t) i].compare_exchange_strong (expected, slotRemoving))
                unlink (pendingPaths[(size_t) i]);
        }

        // The signal's own ending, so that a shell still sees 130 for an interrupt.
        std::signal (signalNumber, SIG_DFL);
        raise (signalNumber);
    }

    void installHandlers()
    {
        if (handlersInstalled.exchange (true))
            return;

        for (const auto signalNumber : cleanedSignals)
        {
            struct sigaction previous {};
            sigaction (signalNumber, nullptr, &previous);

            // A signal the caller chose to ignore stays ignored.
            if (previous.sa_handler == SIG_IGN)
                continue;

            struct sigaction action {};
            action.sa_handler = removePendingFilesAndRaise;
            sigemptyset (&action.sa_mask);
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

    /** Claims a free slot for a file about to be made; -1 when all are taken. Only the main
        thread claims, fills and frees slots. */
    int claimSlot()
    {
        for (int i = 0; i < numSlots; ++i)
        {
            auto expected = (int) slotFree;

            if (slotStates[(size_t) i].compare_exchange_strong (expected, slotFilling))
                return i;
        }

        return -1;
    }

    /** Makes the temporary file from the pattern, in the slot: the name is there before the
        file exists, and the handler sees it once the file is made. -1 (slot freed) on failure. */
    int makeFileInSlot (int slot, const std::string& pattern)
    {
        auto* path = pendingPaths[(size_t) slot];
        std::memcpy (path, pattern.c_str(), pattern.size() + 1);
        const auto descriptor = mkostemp (path, O_CLOEXEC);
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

    /** Flushes a folder's entries, so that a name just renamed into it survives a crash. */
    bool syncFolder (const std::string& folder)
    {
        const auto descriptor = ::open (folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

        if (descriptor < 0)
            return false;

        const auto synced = fsync (descriptor) == 0;
        close (descriptor);
        return synced;
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

    /** The file that the target names: the end of its links, when it has any. */
    std::string resolveTarget (const std::string& path)
    {
        struct stat info {};

        if (lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
            return path;

        char resolved[PATH_MAX];
        return realpath (path.c_str(), resolved) != nullptr ? std::string (resolved) : path;
    }

    mode_t modeForNewFile()
    {
        const auto mask = umask (0);
        umask (mask);
        return 0666 & ~mask;
    }
}

//==============================================================================
bool ReplacingFile::checkTarget (const std::string& path, std::string& errorMessage)
{
    struct stat info {};

    if (stat (path.c_str(), &info) == 0)
    {
        if (S_ISREG (info.st_mode))
            return true;

        errorMessage = "cannot write " + path + ": it is " + describeKind (info.st_mode)
                     + ", not a regular file; it is left as it is";
        return false;
    }

    if (lstat (path.c_str(), &info) == 0)
    {
        errorMessage = "cannot write " + path + ": it is a link to nothing";
        return false;
    }

    const auto folder = folderOf (path);

    if (stat (folder.c_str(), &info) != 0)
    {
        errorMessage = "cannot write " + path + ": the folder " + folder + " does not exist";
        return false;
    }

    if (! S_ISDIR (info.st_mode))
    {
        errorMessage = "cannot write " + path + ": " + folder + " is no folder";
        return false;
    }

    return true;
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::open (const std::string& requestedPath, std::string& errorMessage)
{
    discard();

    if (! checkTarget (requestedPath, errorMessage))
        return false;

    targetPath = resolveTarget (requestedPath);

    struct stat existing {};
    const auto replacing = stat (targetPath.c_str(), &existing) == 0;

    // A hidden name of its own, so that no other file in the folder is ever touched.
    const auto pattern = folderOf (targetPath) + "/.tanglefix-XXXXXX";

    if (pattern.size() >= PATH_MAX || targetPath.size() >= PATH_MAX)
    {
        errorMessage = "cannot write " + requestedPath + ": its path is longer than " + std::to_string (PATH_MAX - 1) + " bytes";
        return false;
    }

    installHandlers();

    // A signal on this thread between making the file and publishing its name would leave
    // the file behind, so the signals wait here until both are done.
    sigset_t cleaned, previousMask;
    sigemptyset (&cleaned);

    for (const auto signalNumber : cleanedSignals)
        sigaddset (&cleaned, signalNumber);

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
        errorMessage = "cannot write " + requestedPath + ": " + std::to_string (numSlots) + " files are being written already";
        return false;
    }

    if (descriptor < 0)
    {
        errorMessage = "cannot write " + requestedPath + ": " + std::strerror (error) + " in the folder " + folderOf (targetPath);
        return false;
    }

    takeAttributesOf (replacing ? &existing : nullptr);
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
    // and would hand the writer's rights to whoever runs it.
    fchmod (descriptor, replaced->st_mode & 0777);
}

bool ReplacingFile::commit (std::string& errorMessage)
{
    if (descriptor < 0)
    {
        errorMessage = "cannot write " + targetPath + ": nothing was written";
        return false;
    }

    const auto synced = fsync (descriptor) == 0;
    const auto closed = close (descriptor) == 0;
    descriptor = -1;

    if (! synced || ! closed || std::rename (temporaryPath.c_str(), targetPath.c_str()) != 0)
    {
        errorMessage = "cannot write " + targetPath + ": " + std::strerror (errno);
        discard();
        return false;
    }

    withdraw (signalSlot);
    signalSlot = -1;
    temporaryPath.clear();

    // The rename is only lasting once the folder's entries are on the disk too.
    if (! syncFolder (folderOf (targetPath)))
    {
        errorMessage = "cannot write " + targetPath + ": its folder could not be flushed to the disk: " + std::strerror (errno);
        return false;
    }

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
}

} // namespace tanglefix::host
