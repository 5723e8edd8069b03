#pragma once

#include <string>

struct stat;

namespace tanglefix::host
{

/** A file that the host writes in place of another, so that nothing is destroyed on the way:
    the content goes to a temporary file in the target's folder, which replaces the target by
    a rename only when commit() is called. The folder is held open from the start, and the
    file is made, named, renamed and removed relative to it: should the folder be moved
    meanwhile, the file lands in it there (and commit() says so), or nothing is left.

    Where the file system offers it and /proc can name it, the temporary file is unnamed
    (O_TMPFILE) until the commit, which links it under a hidden unique name and renames that over the target, so
    that nothing of it outlives a process ended in any way, SIGKILL too; elsewhere it has a
    hidden unique name from the start.

    The target must be absent or a regular file (links followed, at most 40 of them; in a
    sticky folder that everyone may write, only links of the process's own user or of the
    folder's owner): a device, a named pipe, a folder or a socket under its name is refused,
    and left as it was, and so is a target the rename could not replace: a name the file
    system refuses, a folder the process may not write or that is append-only, an immutable
    or append-only target, or another user's file in a sticky folder. A named temporary file
    is removed when the object goes without a commit, and also when the process is ended
    meanwhile by any signal that ends a process by default and comes from no fault of its
    own (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF,
    SIGIO, SIGPWR, SIGSTKFLT, SIGXCPU, SIGRTMIN to SIGRTMAX), whichever thread the signal
    runs on; the signal then ends the process as it would have without the host's handler.
    SIGPIPE and SIGXFSZ are ignored once a file is opened, so that a write to a closed pipe
    or past the size limit fails and is reported instead. At most four files are written at
    once, and their paths are shorter than PATH_MAX: beyond that they are refused. The
    temporary file's descriptor is never a standard stream's (0, 1 or 2), even when one of
    those is closed.

    The new file is a new file: it takes the replaced one's permission bits (without
    setuid, setgid and sticky), its access ACL, and, where the process may, its owner and
    group; hard links to the replaced file keep the old content. Where the ACL cannot be
    kept, the group bits (the ACL's mask) are cleared, so nobody gains access. A file that
    replaces nothing is made with 0666, as any program makes one, and keeps what the umask
    or the folder's default ACL give it. After the rename the folder is flushed too.

    Main thread only.
*/
class ReplacingFile
{
public:
    ReplacingFile() = default;
    ~ReplacingFile();

    ReplacingFile (const ReplacingFile&) = delete;
    ReplacingFile& operator= (const ReplacingFile&) = delete;

    /** Checks the target and makes the temporary file; false with a message naming the
        target and the reason. */
    bool open (const std::string& targetPath, std::string& errorMessage);

    /** The temporary file's descriptor, open for writing; -1 before open(). */
    int getDescriptor() const noexcept   { return descriptor; }

    /** The temporary file's name in the target's folder while it has one; empty while it is
        unnamed. */
    const std::string& getTemporaryName() const noexcept   { return temporaryName; }

    /** Flushes the temporary file to the disk and renames it over the target. True once the
        target is replaced: errorMessage is then empty, or a warning that the folder could
        not be flushed after the rename. */
    bool commit (std::string& errorMessage);

    /** After a commit into a folder that was moved meanwhile, the file's path where the
        folder is now; empty otherwise. */
    const std::string& getMovedPath() const noexcept   { return movedPath; }

    /** Removes the temporary file; the target stays as it was. False, with errno, when a
        named temporary file could not be removed and is left in the folder. */
    bool discard();

    /** Whether a path could be a target: absent in a folder the process may write, or a
        regular file after following links that the process may replace. */
    static bool checkTarget (const std::string& targetPath, std::string& errorMessage);

private:
    void takeAttributesOf (const struct stat& replaced) const;
    bool nameTemporaryFile();
    std::string describeMovedFolder();
    void closeFolder();

    std::string targetPath, targetName, temporaryName, movedPath;
    int descriptor = -1;
    int folderDescriptor = -1;   // held from open() on: every name is made and removed relative to it
    int folderOpenError = 0;     // why it could not be opened for reading (and flushed), if so
    int signalSlot = -1;
};

} // namespace tanglefix::host
