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
#include <sys/stat.h>
#include <unistd.h>

namespace tanglefix::host
{

namespace
{
    //==============================================================================
    // The temporary files that a signal must take with it. A handler may only read what
    // was complete before it was published, so each path sits in a fixed buffer and the
    // slot's flag is set after it and cleared before it changes.
    constexpr int numSlots = 4;
    std::array<char[PATH_MAX], numSlots> pendingPaths {};
    std::array<std::atomic<bool>, numSlots> pendingInUse {};
    std::atomic<bool> handlersInstalled { false };

    constexpr int cleanedSignals[] = { SIGINT, SIGTERM, SIGHUP };

    void removePendingFilesAndRaise (int signalNumber)
    {
        for (int i = 0; i < numSlots; ++i)
            if (pendingInUse[(size_t) i].load())
                unlink (pendingPaths[(size_t) i]);

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
    }

    // Only the main thread publishes and withdraws; the handler only reads.
    int publish (const std::string& path)
    {
        if (path.size() >= PATH_MAX)
            return -1;

        for (int i = 0; i < numSlots; ++i)
        {
            if (pendingInUse[(size_t) i].load())
                continue;

            std::memcpy (pendingPaths[(size_t) i], path.c_str(), path.size() + 1);
            pendingInUse[(size_t) i].store (true);
            return i;
        }

        return -1;
    }

    void withdraw (int slot)
    {
        if (slot < 0)
            return;

        pendingInUse[(size_t) slot].store (false);
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
    const auto mode = stat (targetPath.c_str(), &existing) == 0 ? (mode_t) (existing.st_mode & 07777) : modeForNewFile();

    installHandlers();

    // A hidden name of its own, so that no other file in the folder is ever touched. A
    // signal that came between making the file and publishing its name would leave the
    // file behind, so the signals wait until both are done.
    auto pattern = folderOf (targetPath) + "/.tanglefix-XXXXXX";
    sigset_t cleaned, previousMask;
    sigemptyset (&cleaned);

    for (const auto signalNumber : cleanedSignals)
        sigaddset (&cleaned, signalNumber);

    pthread_sigmask (SIG_BLOCK, &cleaned, &previousMask);
    descriptor = mkostemp (pattern.data(), O_CLOEXEC);
    const auto error = errno;

    if (descriptor >= 0)
    {
        temporaryPath = pattern;
        signalSlot = publish (temporaryPath);
    }

    pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);

    if (descriptor < 0)
    {
        errorMessage = "cannot write " + requestedPath + ": " + std::strerror (error) + " in the folder "
                     + folderOf (targetPath);
        return false;
    }

    fchmod (descriptor, mode);
    return true;
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
