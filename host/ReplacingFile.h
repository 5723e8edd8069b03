#pragma once

#include <string>

struct stat;

namespace tanglefix::host
{

/** A file that the host writes in place of another, so that nothing is destroyed on the way:
    the content goes to a temporary file of a unique name in the target's folder, made with
    mkstemp, which replaces the target by a rename only when commit() is called.

    The target must be absent or a regular file (links followed, at most 40 of them): a
    device, a named pipe, a folder or a socket under its name is refused, and left as it
    was, and so is a target the rename could not replace: a name the file system refuses,
    a folder the process may not write, or another user's file in a sticky folder. The
    temporary file is removed when the object goes without a commit, and also when the
    process is ended meanwhile by any signal that ends a process by default and comes from
    no fault of its own (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2,
    SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT, SIGXCPU, SIGRTMIN to SIGRTMAX), whichever
    thread the signal runs on; the signal then ends the process as it would have without
    the host's handler. SIGPIPE and SIGXFSZ are ignored once a file is opened, so that a
    write to a closed pipe or past the size limit fails and is reported instead. At most
    four files are written at once, and their paths are shorter than PATH_MAX: beyond that
    no signal could take them along, so they are refused. The temporary file's descriptor
    is never a standard stream's (0, 1 or 2), even when one of those is closed.

    The new file is a new file: it takes the replaced one's permission bits (without
    setuid, setgid and sticky), its access ACL, and, where the process may, its owner and
    group; hard links to the replaced file keep the old content. Where the ACL cannot be
    kept, the group bits (the ACL's mask) are cleared, so nobody gains access. A file that
    replaces nothing gets 0666 less the umask. After the rename the folder is flushed too.

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

    const std::string& getTemporaryPath() const noexcept   { return temporaryPath; }

    /** Flushes the temporary file to the disk and renames it over the target. True once the
        target is replaced: errorMessage is then empty, or a warning that the folder could
        not be flushed after the rename. */
    bool commit (std::string& errorMessage);

    /** Removes the temporary file; the target stays as it was. */
    void discard();

    /** Whether a path could be a target: absent in a folder the process may write, or a
        regular file after following links that the process may replace. */
    static bool checkTarget (const std::string& targetPath, std::string& errorMessage);

private:
    void takeAttributesOf (const struct stat* replaced) const;
    void closeFolder();

    std::string targetPath, temporaryPath;
    int descriptor = -1;
    int folderDescriptor = -1;   // opened before the rename, so that its flush cannot fail for want of it
    int folderOpenError = 0;
    int signalSlot = -1;
};

} // namespace tanglefix::host
