// The host's own files without a plug-in: what a replaced file keeps, what the signal
// handler can always find, sound files past 4 GiB, headers left unfinished, and files cut
// shorter than their header.
//
// The plain host library, in a binary of its own: openat, linkat, fsync, unlinkat, fsetxattr,
// write and pread are replaced here, so that a test can refuse unnamed files, act at the
// moment a temporary file has a name, see what was flushed, slow a signal handler down,
// refuse an ACL, fail a write or a read as a failing disk does and count a file's reads.

#include "AudioFile.h"
#include "ChunkWalker.h"
#include "ReplacingFile.h"

#include <gtest/gtest.h>

#include "../TestFolder.h"

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <pthread.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tanglefix::host;

namespace
{
    using Folder = tanglefix_tests::TestFolder;
    using tanglefix_tests::contentsOf;

    // Set in a child process only: a signal to this thread as soon as a temporary file has
    // a name (made by name, or an unnamed one linked).
    pthread_t signalledThread {};
    std::atomic<bool> signalWhenFileMade { false };

    // Unnamed files (O_TMPFILE) refused, as by a file system without them.
    std::atomic<bool> refuseUnnamedFiles { false };

    // Set in a child process only: unlinkat on the signalled thread says it has begun, waits,
    // then reports the name it was given to the pipe, if one is given.
    std::atomic<bool> slowUnlink { false }, slowUnlinkBegun { false };
    std::atomic<int> slowUnlinkReport { -1 };

    // No /proc, and no privilege to link a descriptor itself (as before Linux 6.10).
    std::atomic<bool> withoutProc { false };

    // Renames and removals of names refused, as in a folder made append-only meanwhile.
    std::atomic<bool> refuseRenames { false }, refuseRemovals { false };

    // Every ACL is refused, as by a file system that keeps none.
    std::atomic<bool> refuseAcls { false };

    // The folders fsync was called on.
    std::vector<std::string> syncedFolders;

    // Set by a test: the next write to the start of a regular file that holds something
    // (a header rewritten after the audio) fails with EIO.
    std::atomic<bool> failHeaderRewrite { false };

    // Set by a test: a positioned read that touches these bytes of any file fails with EIO,
    // as a disk with a bad sector there does.
    std::atomic<long long> failReadsFrom { -1 }, failReadsTo { -1 };

    // Positioned reads so far, for a test that bounds how often a file is read.
    std::atomic<long long> positionedReads { 0 };
}

static ssize_t readAt (ssize_t (*real) (int, void*, size_t, off_t), int descriptor, void* data, size_t size, off_t offset)
{
    ++positionedReads;

    if ((long long) offset < failReadsTo.load() && (long long) offset + (long long) size > failReadsFrom.load())
    {
        errno = EIO;
        return -1;
    }

    return real (descriptor, data, size, offset);
}

extern "C" __attribute__ ((visibility ("default"))) ssize_t pread (int descriptor, void* data, size_t size, off_t offset)
{
    static const auto real = reinterpret_cast<ssize_t (*) (int, void*, size_t, off_t)> (dlsym (RTLD_NEXT, "pread"));
    return readAt (real, descriptor, data, size, offset);
}

extern "C" __attribute__ ((visibility ("default"))) ssize_t pread64 (int descriptor, void* data, size_t size, off_t offset)
{
    static const auto real = reinterpret_cast<ssize_t (*) (int, void*, size_t, off_t)> (dlsym (RTLD_NEXT, "pread64"));
    return readAt (real, descriptor, data, size, offset);
}

// Visible outside the binary: libsndfile's own calls must reach it.
extern "C" __attribute__ ((visibility ("default"))) ssize_t write (int descriptor, const void* data, size_t size)
{
    static const auto real = reinterpret_cast<ssize_t (*) (int, const void*, size_t)> (dlsym (RTLD_NEXT, "write"));
    struct stat info {};

    if (failHeaderRewrite.load() && lseek (descriptor, 0, SEEK_CUR) == 0 && fstat (descriptor, &info) == 0
        && S_ISREG (info.st_mode) && info.st_size > 0 && failHeaderRewrite.exchange (false))
    {
        errno = EIO;
        return -1;
    }

    return real (descriptor, data, size);
}

extern "C" int unlinkat (int folder, const char* name, int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int)> (dlsym (RTLD_NEXT, "unlinkat"));

    if (slowUnlink.load() && pthread_equal (pthread_self(), signalledThread))
    {
        slowUnlinkBegun = true;

        // Long enough for the main thread to give the slot back and make another file.
        usleep (300000);

        if (slowUnlinkReport.load() >= 0)
            write (slowUnlinkReport.load(), name, strlen (name));
    }

    if (refuseRemovals.load())
    {
        errno = EPERM;
        return -1;
    }

    return real (folder, name, flags);
}

extern "C" int renameat (int fromFolder, const char* from, int toFolder, const char* to)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, const char*)> (dlsym (RTLD_NEXT, "renameat"));

    if (refuseRenames.load())
    {
        errno = EPERM;
        return -1;
    }

    return real (fromFolder, from, toFolder, to);
}

extern "C" int fsetxattr (int descriptor, const char* name, const void* value, size_t size, int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, const void*, size_t, int)> (dlsym (RTLD_NEXT, "fsetxattr"));

    if (refuseAcls.load())
    {
        errno = ENOTSUP;
        return -1;
    }

    return real (descriptor, name, value, size, flags);
}

static void signalIfAsked()
{
    if (signalWhenFileMade.load())
    {
        // The plug-in's threads do not block the host's signals: the handler runs there at
        // once, while this thread is still on its way back from naming the file.
        const auto error = errno;
        pthread_kill (signalledThread, SIGTERM);
        usleep (300000);
        errno = error;
    }
}

extern "C" int openat (int folder, const char* path, int flags, ...)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, ...)> (dlsym (RTLD_NEXT, "openat"));
    const auto unnamed = (flags & O_TMPFILE) == O_TMPFILE;
    mode_t mode = 0;

    if (unnamed || (flags & O_CREAT) != 0)
    {
        va_list arguments;
        va_start (arguments, flags);
        mode = (mode_t) va_arg (arguments, int);
        va_end (arguments);
    }

    if (unnamed && refuseUnnamedFiles.load())
    {
        errno = EOPNOTSUPP;
        return -1;
    }

    const auto descriptor = real (folder, path, flags, mode);

    if ((flags & O_CREAT) != 0)
        signalIfAsked();

    return descriptor;
}

extern "C" int linkat (int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, const char*, int)> (dlsym (RTLD_NEXT, "linkat"));

    if (withoutProc.load() && ((flags & AT_EMPTY_PATH) != 0 || std::string_view (from).rfind ("/proc/", 0) == 0))
    {
        errno = ENOENT;
        return -1;
    }

    const auto result = real (fromFolder, from, toFolder, to, flags);
    signalIfAsked();
    return result;
}

extern "C" int faccessat (int folder, const char* path, int mode, int flags)
{
    static const auto real = reinterpret_cast<int (*) (int, const char*, int, int)> (dlsym (RTLD_NEXT, "faccessat"));

    if (withoutProc.load() && std::string_view (path).rfind ("/proc/", 0) == 0)
    {
        errno = ENOENT;
        return -1;
    }

    return real (folder, path, mode, flags);
}

extern "C" int fsync (int descriptor)
{
    static const auto real = reinterpret_cast<int (*) (int)> (dlsym (RTLD_NEXT, "fsync"));
    struct stat info {};

    if (fstat (descriptor, &info) == 0 && S_ISDIR (info.st_mode))
    {
        char link[64], path[PATH_MAX] {};
        std::snprintf (link, sizeof (link), "/proc/self/fd/%d", descriptor);

        if (readlink (link, path, sizeof (path) - 1) > 0)
            syncedFolders.emplace_back (path);
    }

    return real (descriptor);
}

namespace
{
    bool replace (const std::string& path, const std::string& text)
    {
        ReplacingFile file;
        std::string error;
        return file.open (path, error) && write (file.getDescriptor(), text.data(), text.size()) == (ssize_t) text.size()
            && file.commit (error);
    }

    AudioData noise (int channels, int frames)
    {
        AudioData audio;
        audio.channels.assign ((size_t) channels, std::vector<float> ((size_t) frames));
        uint32_t state = 12345;

        for (auto& channel : audio.channels)
            for (auto& sample : channel)
                sample = (float) ((state = state * 1664525u + 1013904223u) >> 8) / 16777216.0f - 0.5f;

        return audio;
    }

    /** A file of libsndfile's own making in the given format; a comment goes into a chunk
        after the audio. */
    void writeWithLibsndfile (const std::string& path, int format, const AudioData& audio, const char* comment = nullptr)
    {
        SF_INFO info {};
        info.samplerate = audio.sampleRate;
        info.channels = audio.getNumChannels();
        info.format = format;
        auto* file = sf_open (path.c_str(), SFM_WRITE, &info);
        ASSERT_NE (file, nullptr) << sf_strerror (nullptr);
        std::vector<float> interleaved;

        for (long long i = 0; i < audio.getNumFrames(); ++i)
            for (const auto& channel : audio.channels)
                interleaved.push_back (channel[(size_t) i]);

        sf_writef_float (file, interleaved.data(), audio.getNumFrames());

        if (comment != nullptr)
            sf_set_string (file, SF_STR_COMMENT, comment);

        sf_close (file);
    }

    /** Runs body in a child process beside a thread of the kind the plug-in runs, which the
        signals reach (signalledThread); the child's wait status. The child waits for a
        signal to end it after the body. */
    template <typename Body>
    int signalInAChild (Body&& body)
    {
        const auto child = fork();

        if (child == 0)
        {
            std::thread other ([] { for (;;) pause(); });
            signalledThread = other.native_handle();
            body();

            for (int i = 0; i < 50; ++i)
                usleep (100000);

            _exit (3);
        }

        int status = 0;
        waitpid (child, &status, 0);
        return status;
    }

    /** Keeps a large file that is written into a folder sparse: its written range is zeros. */
    void punchHolesInTemporaryFiles (const std::string& folder)
    {
        for (const auto& name : Folder::namesIn (folder))
        {
            const auto descriptor = open ((folder + "/" + name).c_str(), O_RDWR | O_CLOEXEC);
            struct stat info {};

            if (descriptor >= 0 && fstat (descriptor, &info) == 0 && info.st_size > (1 << 20))
                fallocate (descriptor, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 65536, info.st_size - (1 << 20));

            close (descriptor);
        }
    }
}

//==============================================================================
TEST (ReplacingFile, TheNewFileKeepsTheOwnersPermissionsAndNothingMore)
{
    Folder folder;
    const auto path = folder.file ("take.wav");
    ASSERT_TRUE (replace (path, "first"));

    // A setuid, setgid or sticky bit is not carried over; the permission bits are.
    ASSERT_EQ (chmod (path.c_str(), 07751), 0);
    ASSERT_TRUE (replace (path, "second"));
    struct stat info {};
    ASSERT_EQ (stat (path.c_str(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0751u);
    EXPECT_EQ (contentsOf (path), "second");

    // A file of another user stays theirs where the process may give it away (as root).
    if (geteuid() == 0)
    {
        ASSERT_EQ (chown (path.c_str(), 4321, 4322), 0);
        ASSERT_TRUE (replace (path, "third"));
        ASSERT_EQ (stat (path.c_str(), &info), 0);
        EXPECT_EQ (info.st_uid, 4321u);
        EXPECT_EQ (info.st_gid, 4322u);
        EXPECT_EQ (info.st_mode & 07777, 0751u);
    }

    // A new file: 0666 less the umask.
    const auto mask = umask (027);
    ASSERT_TRUE (replace (folder.file ("new.wav"), "new"));
    umask (mask);
    ASSERT_EQ (stat (folder.file ("new.wav").c_str(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0640u);
}

TEST (ReplacingFile, FilesNoSignalCouldTakeAlongAreRefusedAndTheRenameIsFlushed)
{
    Folder folder;
    std::string error;

    {
        // The handler knows four files at a time; a fifth is refused, not left unguarded.
        ReplacingFile files[5];

        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE (files[i].open (folder.file ("out" + std::to_string (i)), error)) << error;

        EXPECT_FALSE (files[4].open (folder.file ("out4"), error));
        EXPECT_NE (error.find ("out4"), std::string::npos) << error;
        EXPECT_EQ (files[4].getDescriptor(), -1);

        // One given back makes room again.
        files[0].discard();
        EXPECT_TRUE (files[4].open (folder.file ("out4"), error)) << error;
    }

    EXPECT_TRUE (folder.names().empty()) << "every temporary file is gone";

    // A path too long for the handler's buffer.
    const auto longPath = folder.file (std::string (PATH_MAX, 'a'));
    ReplacingFile tooLong;
    EXPECT_FALSE (tooLong.open (longPath, error));
    EXPECT_EQ (tooLong.getDescriptor(), -1);

    // After the rename the folder itself is flushed, or a crash could lose the new name.
    syncedFolders.clear();
    ASSERT_TRUE (replace (folder.file ("kept.wav"), "kept"));
    EXPECT_EQ (syncedFolders, std::vector<std::string> { std::filesystem::canonical (folder.path).string() });
}

TEST (ReplacingFile, ASignalOnAnotherThreadFindsTheWholeNameOfEveryFileMade)
{
    // The file just named, its name not yet handed back: a named file as it is made, an
    // unnamed one as the commit links it.
    Folder folder;

    for (const auto named : { true, false })
    {
        const auto made = signalInAChild ([&]
        {
            refuseUnnamedFiles = named;
            signalWhenFileMade = true;
            ReplacingFile file;
            std::string error;

            if (file.open (folder.file ("out.wav"), error) && ! named)
                file.commit (error);
        });

        EXPECT_TRUE (WIFSIGNALED (made) && WTERMSIG (made) == SIGTERM) << made;
        EXPECT_TRUE (folder.names().empty()) << "named " << named << " left behind: " << folder.names().front();
    }

    // The handler busy with a file on the other thread while this one gives that file back
    // and starts another, of a longer name, that could take the same slot.
    Folder otherFolder;
    int report[2];
    ASSERT_EQ (pipe (report), 0);
    const auto reused = signalInAChild ([&]
    {
        refuseUnnamedFiles = true;
        ReplacingFile first, second;
        std::string error;
        first.open (folder.file ("out.wav"), error);
        write (report[1], first.getTemporaryName().c_str(), first.getTemporaryName().size() + 1);
        slowUnlinkReport = report[1];
        slowUnlink = true;
        pthread_kill (signalledThread, SIGTERM);
        usleep (50000);
        first.discard();
        second.open (otherFolder.file ("a-much-longer-name-than-the-first.wav"), error);
    });

    close (report[1]);
    char buffer[2 * PATH_MAX] {};
    const auto length = read (report[0], buffer, sizeof (buffer) - 1);
    close (report[0]);
    const auto given = std::string (buffer), handled = std::string (buffer + given.size() + 1, buffer + std::max<ssize_t> (0, length));
    EXPECT_TRUE (WIFSIGNALED (reused) && WTERMSIG (reused) == SIGTERM) << reused;
    EXPECT_FALSE (given.empty());
    EXPECT_EQ (handled, given) << "the handler read another name";
    EXPECT_TRUE (folder.names().empty() && otherFolder.names().empty());
}

TEST (ReplacingFile, SignalsOnTwoThreadsAtOnceLeaveNoFile)
{
    // The worker's handler slow to remove the file, the main thread's once that removal has
    // begun (not merely sent for: a busy machine may start the worker late, and the main
    // thread's handler would then remove the file itself): the second must not end the
    // process before the first has removed the file.
    Folder folder;

    for (int run = 0; run < 5; ++run)
    {
        const auto status = signalInAChild ([&]
        {
            refuseUnnamedFiles = true;
            ReplacingFile file;
            std::string error;
            file.open (folder.file ("out.wav"), error);
            slowUnlink = true;
            pthread_kill (signalledThread, SIGTERM);

            for (int i = 0; i < 100000 && ! slowUnlinkBegun; ++i)
                usleep (100);

            pthread_kill (pthread_self(), SIGINT);
        });

        EXPECT_TRUE (WIFSIGNALED (status)) << status;
        EXPECT_TRUE (folder.names().empty()) << "run " << run << " left a file";
    }
}

TEST (ReplacingFile, AFolderMovedWhileTheFileIsWrittenGetsItWholeOrKeepsNothing)
{
    // The folder moved after the file was started, then the file committed, given up, or
    // ended by a signal (in a child); unnamed and named.
    Folder folder;
    const auto out = folder.file ("out"), moved = folder.file ("moved");

    for (const auto named : { false, true })
    {
        for (const std::string ending : { "commit", "discard", "signal" })
        {
            std::filesystem::create_directory (out);
            refuseUnnamedFiles = named;
            const auto startAndMove = [&] (ReplacingFile& file)
            {
                std::string error;
                EXPECT_TRUE (file.open (out + "/take.wav", error)) << error;
                EXPECT_EQ (write (file.getDescriptor(), "take", 4), 4);
                std::filesystem::rename (out, moved);
            };

            if (ending == "signal")
            {
                const auto status = signalInAChild ([&]
                {
                    ReplacingFile file;
                    startAndMove (file);
                    pthread_kill (signalledThread, SIGTERM);
                });

                EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == SIGTERM) << status;
            }
            else
            {
                ReplacingFile file;
                startAndMove (file);
                std::string error;

                if (ending == "discard")
                {
                    file.discard();
                }
                else
                {
                    // It lands in the folder where it now is, and says so.
                    EXPECT_TRUE (file.commit (error)) << error;
                    EXPECT_NE (error.find ("its folder was moved or removed while it was written (it is now " + moved + ")"),
                               std::string::npos) << error;
                }
            }

            const auto expected = ending == "commit" ? std::vector<std::string> { "take.wav" } : std::vector<std::string>();
            EXPECT_EQ (Folder::namesIn (moved), expected) << ending << ", named " << named;
            EXPECT_EQ (contentsOf (moved + "/take.wav"), ending == "commit" ? "take" : "") << ending << ", named " << named;
            refuseUnnamedFiles = false;
            std::filesystem::remove_all (moved);
        }
    }
}

TEST (ReplacingFile, WithoutProcTheFileIsNamedFromTheStart)
{
    // Nothing could name an unnamed file at the commit: a named one replaces the target.
    Folder folder;
    withoutProc = true;
    EXPECT_TRUE (replace (folder.file ("take.wav"), "take"));
    withoutProc = false;
    EXPECT_EQ (folder.names(), std::vector<std::string> { "take.wav" });
    EXPECT_EQ (contentsOf (folder.file ("take.wav")), "take");
}

TEST (ReplacingFile, ACommitRefusedSaysWhatItLeft)
{
    // The rename refused, and the removal after it too or not; unnamed and named.
    Folder folder;

    for (const auto named : { false, true })
    {
        for (const auto removalRefused : { false, true })
        {
            refuseUnnamedFiles = named;
            ReplacingFile file;
            std::string error;
            ASSERT_TRUE (file.open (folder.file ("take.wav"), error)) << error;
            EXPECT_EQ (write (file.getDescriptor(), "take", 4), 4);

            refuseRenames = true;
            refuseRemovals = removalRefused;
            EXPECT_FALSE (file.commit (error));
            refuseRenames = refuseRemovals = false;
            refuseUnnamedFiles = false;

            const auto names = folder.names();
            EXPECT_EQ (names.size(), removalRefused ? 1u : 0u) << "named " << named;
            EXPECT_EQ (error.find ("nothing of it was left") != std::string::npos, ! removalRefused) << error;

            if (removalRefused && names.size() == 1)
            {
                EXPECT_NE (error.find (names.front()), std::string::npos) << error;
                std::filesystem::remove (folder.file (names.front()));
            }
        }
    }
}

TEST (ReplacingFile, FilesAnotherThreadMakesMeanwhileKeepTheUmask)
{
    // On a tmpfs of the test's own (in its private mount namespace): files there are made in
    // microseconds, as often as the umask could be caught changing.
    Folder folder;

    if (mount ("tmpfs", folder.path.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs of our own: " << std::strerror (errno);

    struct Unmount { const std::string& path; ~Unmount() { umount2 (path.c_str(), MNT_DETACH); } } unmount { folder.path };
    const auto previous = umask (022);
    std::atomic<bool> done { false };
    std::atomic<int> made { 0 }, openToAll { 0 };

    std::thread other ([&]
    {
        for (int i = 0; ! done; ++i, ++made)
        {
            const auto path = folder.file ("other" + std::to_string (i % 8));
            const auto descriptor = open (path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            struct stat info {};

            if (descriptor >= 0 && fstat (descriptor, &info) == 0 && (info.st_mode & 0777) == 0666)
                ++openToAll;

            close (descriptor);
            unlink (path.c_str());
        }
    });

    while (made == 0)
        std::this_thread::yield();

    // Until the other thread made thousands of files beside these.
    for (int i = 0; i < 100000 && made < 20000; ++i)
    {
        ReplacingFile file;
        std::string error;
        ASSERT_TRUE (file.open (folder.file ("new.wav"), error)) << error;
    }

    done = true;
    other.join();
    umask (previous);
    EXPECT_EQ (openToAll, 0) << "of " << made;
}

TEST (ReplacingFile, TheNewFileKeepsTheAccessAclOrGivesNobodyMore)
{
    // Mode 600 and rw for the user nobody, as the kernel keeps it: a version, then entries of
    // tag, permissions and id (user, named user, group, mask, other). Its mask is the group bits.
    constexpr auto aclName = "system.posix_acl_access";
    const std::string acl ("\x02\0\0\0" "\x01\0\x06\0\xff\xff\xff\xff" "\x02\0\x06\0\xfe\xff\0\0" "\x04\0\0\0\xff\xff\xff\xff"
                           "\x10\0\x06\0\xff\xff\xff\xff" "\x20\0\0\0\xff\xff\xff\xff", 44);

    Folder folder;
    const auto path = folder.file ("take.wav");

    for (const auto refused : { false, true })
    {
        ASSERT_TRUE (replace (path, "first"));
        ASSERT_EQ (chmod (path.c_str(), 0600), 0);

        if (setxattr (path.c_str(), aclName, acl.data(), acl.size(), 0) != 0)
            GTEST_SKIP() << "no ACLs in " << folder.path << ": " << std::strerror (errno);

        refuseAcls = refused;
        EXPECT_TRUE (replace (path, "second"));
        refuseAcls = false;

        std::string kept (256, '\0');
        kept.resize ((size_t) std::max<ssize_t> (0, getxattr (path.c_str(), aclName, kept.data(), kept.size())));
        struct stat info {};
        ASSERT_EQ (stat (path.c_str(), &info), 0);
        EXPECT_EQ (kept, refused ? std::string() : acl) << "refused " << refused;
        EXPECT_EQ (info.st_mode & 0777, refused ? 0600u : 0660u) << "refused " << refused;
    }

    // A new file in a folder with a default ACL (user::rwx, user 1234 rw-, group::r-x,
    // mask::rwx, other::---) gets what the kernel gives any new file there: mode 660, and
    // the named user keeps write, though the umask would say 644.
    const std::string defaultAcl ("\x02\0\0\0" "\x01\0\x07\0\xff\xff\xff\xff" "\x02\0\x06\0\xd2\x04\0\0" "\x04\0\x05\0\xff\xff\xff\xff"
                                  "\x10\0\x07\0\xff\xff\xff\xff" "\x20\0\0\0\xff\xff\xff\xff", 44);
    const auto shared = folder.file ("shared");
    std::filesystem::create_directory (shared);
    ASSERT_EQ (setxattr (shared.c_str(), "system.posix_acl_default", defaultAcl.data(), defaultAcl.size(), 0), 0) << std::strerror (errno);
    const auto previousMask = umask (022);
    close (open ((shared + "/any.wav").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    const auto given = [] (const std::string& path)
    {
        std::string entries (256, '\0');
        entries.resize ((size_t) std::max<ssize_t> (0, getxattr (path.c_str(), aclName, entries.data(), entries.size())));
        struct stat info {};
        stat (path.c_str(), &info);
        return std::pair (info.st_mode & 07777, entries);
    };

    for (const auto named : { false, true })
    {
        refuseUnnamedFiles = named;
        const auto path = shared + (named ? "/named.wav" : "/unnamed.wav");
        EXPECT_TRUE (replace (path, "new"));
        refuseUnnamedFiles = false;
        EXPECT_EQ (given (path), given (shared + "/any.wav")) << path;
    }

    umask (previousMask);
    EXPECT_EQ (given (shared + "/any.wav").first, 0660u);
}

//==============================================================================
TEST (WavFileWriter, SmallFilesStayPlainWavAndLargeOnesReadBackWhole)
{
    Folder folder;
    auto audio = noise (2, 30000);
    std::string error;

    // Byte for byte the file libsndfile writes as a plain 32-bit float WAV.
    writeWithLibsndfile (folder.file ("plain.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, audio);
    ASSERT_TRUE (AudioFile::writeWav (folder.file ("written.wav"), audio, error)) << error;
    EXPECT_EQ (contentsOf (folder.file ("written.wav")), contentsOf (folder.file ("plain.wav")));

    // Past the 4 GiB a WAV header can count: silence, in a file kept sparse.
    constexpr int channels = 2, piece = 1 << 16;
    const auto frames = (long long) (4.4e9 / (channels * sizeof (float)));
    const std::vector<float> silence (piece, 0.0f);
    const float* pointers[] = { silence.data(), silence.data() };

    {
        WavFileWriter writer;
        ASSERT_TRUE (writer.open (folder.file ("long.wav"), 192000, channels, frames, error)) << error;

        for (long long done = 0; done < frames; done += piece)
        {
            ASSERT_TRUE (writer.write (pointers, (int) std::min<long long> (piece, frames - done), error)) << error;

            if ((done / piece) % 2048 == 0)
                punchHolesInTemporaryFiles (folder.path);
        }

        ASSERT_TRUE (writer.commit (error)) << error;
    }

    SF_INFO info {};
    auto* file = sf_open (folder.file ("long.wav").c_str(), SFM_READ, &info);
    ASSERT_NE (file, nullptr) << sf_strerror (nullptr);
    EXPECT_EQ (info.frames, frames);
    EXPECT_EQ (info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
    EXPECT_EQ (info.channels, channels);
    sf_close (file);
}

TEST (WavFileWriter, AHeaderTheDiskRefusedLeavesTheTargetAsItWas)
{
    // libsndfile's sf_close reports no failed header write, and its own reading takes the
    // unfinished header's sizes of 0 for "the rest of the file".
    Folder folder;
    const auto audio = noise (2, 20000);
    const auto path = folder.file ("take.wav");
    const float* pointers[] = { audio.channels[0].data(), audio.channels[1].data() };

    // A length known (plain WAV) and none (RF64, turned back into WAV).
    for (const auto expectedFrames : { 20000LL, -1LL })
    {
        ASSERT_TRUE (replace (path, "an earlier take"));
        std::string error;

        {
            WavFileWriter writer;
            ASSERT_TRUE (writer.open (path, 48000, 2, expectedFrames, error)) << error;
            ASSERT_TRUE (writer.write (pointers, 20000, error)) << error;
            failHeaderRewrite = true;
            EXPECT_FALSE (writer.commit (error)) << expectedFrames;
            EXPECT_FALSE (failHeaderRewrite.load()) << "the header was rewritten";
            failHeaderRewrite = false;
        }

        EXPECT_NE (error.find ("does not hold the 20000 frames written"), std::string::npos) << error;
        EXPECT_TRUE (contentsOf (path) == "an earlier take") << "the target was replaced";
        EXPECT_EQ (folder.names(), std::vector<std::string> { "take.wav" });

        // Written whole, the same file passes its check, a WAV file either way.
        WavFileWriter writer;
        ASSERT_TRUE (writer.open (path, 48000, 2, expectedFrames, error)) << error;
        ASSERT_TRUE (writer.write (pointers, 20000, error) && writer.commit (error)) << error;
        AudioData back;
        ASSERT_TRUE (AudioFile::read (path, back, error)) << error;
        EXPECT_EQ (back.channels, audio.channels);
        EXPECT_EQ (contentsOf (path).substr (0, 4), "RIFF");
    }
}

TEST (ChunkWalker, AFinishedHeaderCountsTheWholeFileAndExactlyTheAudio)
{
    Folder folder;
    constexpr long long dataBytes = 1000 * 2 * 4;

    struct Field { size_t offset; int width; bool bigEndian; };

    const auto add = [] (std::string& bytes, Field field, long long delta)
    {
        const auto at = [&] (int i) -> char& { return bytes[field.offset + (size_t) (field.bigEndian ? field.width - 1 - i : i)]; };
        unsigned long long value = 0;

        for (int i = 0; i < field.width; ++i)
            value |= (unsigned long long) (unsigned char) at (i) << (8 * i);

        for (int i = 0; i < field.width; ++i)
            at (i) = (char) ((value + (unsigned long long) delta) >> (8 * i));
    };

    // Where each format keeps the container's size and the audio's: RF64 in its ds64 chunk.
    const auto fieldsOf = [] (const std::string& bytes, int format) -> std::pair<Field, Field>
    {
        if (format == SF_FORMAT_RF64)
            return { { bytes.find ("ds64") + 8, 8, false }, { bytes.find ("ds64") + 16, 8, false } };

        if (format == SF_FORMAT_AIFF)
            return { { 4, 4, true }, { bytes.find ("SSND") + 4, 4, true } };

        return { { 4, 4, false }, { bytes.find ("data") + 4, 4, false } };
    };

    // Intact; the container's size wrong; the data's; the data short (the container agreeing).
    const struct { long long containerChange, dataChange, cut; const char* problem; } edits[] = {
        { 0, 0, 0, "" }, { 8, 0, 0, "gives the container" }, { 0, 8, 0, "declares 8008 bytes" }, { -8, 0, 8, "holds 7992 bytes" },
    };

    for (const auto format : { SF_FORMAT_WAV, SF_FORMAT_RF64, SF_FORMAT_AIFF })
    {
        writeWithLibsndfile (folder.file ("written"), format | SF_FORMAT_FLOAT, noise (2, 1000));

        for (const auto& edit : edits)
        {
            auto bytes = contentsOf (folder.file ("written"));
            const auto [container, data] = fieldsOf (bytes, format);
            add (bytes, container, edit.containerChange);
            add (bytes, data, edit.dataChange);
            bytes.resize (bytes.size() - (size_t) edit.cut);
            std::ofstream (folder.file ("edited"), std::ios::binary | std::ios::trunc) << bytes;

            std::string problem;
            EXPECT_EQ (ChunkWalker (folder.file ("edited")).accountsFor (dataBytes, problem), *edit.problem == 0)
                << std::hex << format << ": " << problem;
            EXPECT_NE (problem.find (edit.problem), std::string::npos) << problem;
        }
    }
}

//==============================================================================
TEST (AudioFileReader, AFileCutShorterThanItsHeaderSaysSo)
{
    Folder folder;
    const auto audio = noise (2, 20000);

    for (const auto& [name, format] : { std::pair ("take.wav", SF_FORMAT_WAV), std::pair ("take.aiff", SF_FORMAT_AIFF),
                                        std::pair ("take.rf64", SF_FORMAT_RF64) })
    {
        const auto path = folder.file (name);
        writeWithLibsndfile (path, format | SF_FORMAT_FLOAT, audio);
        std::string error;

        {
            AudioFileReader whole;
            ASSERT_TRUE (whole.open (path, error)) << error;
            EXPECT_EQ (whole.getDeclaredDataBytes(), 20000 * 2 * 4) << name;
            EXPECT_EQ (whole.getHeldDataBytes(), whole.getDeclaredDataBytes()) << name;
        }

        // Half the data gone: libsndfile counts only what is there.
        std::filesystem::resize_file (path, std::filesystem::file_size (path) - 20000 * 4);
        AudioFileReader cut;
        ASSERT_TRUE (cut.open (path, error)) << error;
        EXPECT_EQ (cut.getDeclaredDataBytes(), 20000 * 2 * 4) << name;
        EXPECT_EQ (cut.getHeldDataBytes(), 20000 * 4) << name;
    }
}

TEST (AudioFileReader, AnUnfinishedHeaderReadsAsTheAudioTheFileHolds)
{
    // The data size a recorder writes before the audio, left so: the audio must read exactly
    // as from the finished file, up to the chunks written after it, if any, and never their
    // padding nor their bytes.
    struct Field { const char* id; size_t offset, width; unsigned char value; };
    const Field riffSize { "RIFF", 4, 4, 0 }, dataSize { "data", 4, 4, 0 };

    const struct
    {
        const char* name;
        int format;
        std::vector<Field> fields;
        const char* comment;
        int channels = 2, frames = 20000;
        bool padByteLeftOut = false;   // the pad byte after odd audio missing, as some writers leave it
    } cases[] = {
        { "float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, { riffSize, dataSize }, nullptr },
        { "pcm.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, { dataSize }, nullptr },
        { "listed.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, { riffSize, dataSize }, "written after the audio" },
        { "big-endian.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG, { { "RIFX", 4, 4, 0 }, dataSize }, nullptr },
        { "take.rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, { { "ds64", 8, 16, 0 } }, nullptr },
        { "take.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, { { "SSND", 4, 4, 0 } }, "written after the audio" },
        { "take.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT, { { "data", 16, 8, 0 }, { "data", 16, 1, 24 } }, nullptr },
        // libsndfile takes an RF64 file's data size from ds64, whatever the data chunk says.
        { "no-sizes.rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, { { "ds64", 8, 16, 0 }, dataSize }, nullptr },
        // One byte a frame: an odd length of audio, then its pad byte, which is no sample.
        { "padded.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, { riffSize, dataSize }, "written after the audio", 1, 999 },
        { "unpadded.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, { riffSize, dataSize }, "written after the audio", 1, 999, true },
        { "a-law.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, { riffSize, dataSize }, "written after the audio", 1, 999 },
        { "mu-law.wav", SF_FORMAT_WAVEX | SF_FORMAT_ULAW, { riffSize, dataSize }, "written after the audio", 1, 999 },
    };

    Folder folder;

    for (const auto& c : cases)
    {
        const auto path = folder.file (c.name);
        writeWithLibsndfile (path, c.format, noise (c.channels, c.frames), c.comment);
        AudioData finished, unfinished;
        std::string error;
        ASSERT_TRUE (AudioFile::read (path, finished, error)) << error;
        ASSERT_EQ (finished.getNumFrames(), c.frames) << c.name;
        long long dataBytes = 0;

        {
            AudioFileReader reader;
            ASSERT_TRUE (reader.open (path, error)) << error;
            EXPECT_FALSE (reader.isDataSizeMissing()) << c.name;
            dataBytes = reader.getDeclaredDataBytes();
        }

        auto bytes = contentsOf (path);

        for (const auto& field : c.fields)
            bytes.replace (bytes.find (field.id) + field.offset, field.width, field.width, (char) field.value);

        if (c.padByteLeftOut)
            bytes.erase (bytes.find ("data") + 8 + (size_t) dataBytes, 1);

        std::ofstream (path, std::ios::binary | std::ios::trunc) << bytes;
        AudioFileReader reader;
        ASSERT_TRUE (reader.open (path, error)) << error;
        EXPECT_TRUE (reader.isDataSizeMissing()) << c.name;
        EXPECT_EQ (reader.getDeclaredDataBytes(), 0) << c.name;
        EXPECT_EQ (reader.getHeldDataBytes(), dataBytes) << c.name;
        ASSERT_TRUE (AudioFile::read (path, unfinished, error)) << error;
        EXPECT_EQ (unfinished.channels, finished.channels) << c.name;
    }

    // No audio indeed, and a chunk after it: nothing is missing.
    writeWithLibsndfile (folder.file ("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, noise (2, 0), "written after no audio");
    AudioFileReader empty;
    std::string error;
    ASSERT_TRUE (empty.open (folder.file ("empty.wav"), error)) << error;
    EXPECT_FALSE (empty.isDataSizeMissing());
    EXPECT_EQ (empty.getHeldDataBytes(), 0);
}

namespace
{
    /** The header libsndfile writes for 32-bit float audio, as a recorder leaves it unfinished:
        RIFF and data sizes 0, the audio to follow. */
    std::string unfinishedFloatHeader (const Folder& folder, int channels)
    {
        writeWithLibsndfile (folder.file ("header.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, noise (channels, 0));
        auto header = contentsOf (folder.file ("header.wav"));
        header.replace (4, 4, 4, '\0');
        return header.replace (header.find ("data") + 4, 4, 4, '\0');
    }
}

TEST (AudioFileReader, AnUnfinishedHeaderReadsPastFourGiB)
{
    // What a recorder that died during a long take leaves: 4.25 GiB of float stereo, silence
    // in a sparse file, with frames of its own before and after the 4 GiB a WAV size counts.
    Folder folder;
    const auto path = folder.file ("long-take.wav");
    const auto header = unfinishedFloatHeader (folder, 2);
    constexpr long long frames = 570425344, lastOfFirst4GiB = 0xffffffffLL / 8;
    const std::pair<long long, float> marks[] = { { 0, 0.25f }, { lastOfFirst4GiB, -0.5f }, { lastOfFirst4GiB + 1, 0.75f },
                                                  { frames - 1, -0.125f } };

    {
        std::ofstream file (path, std::ios::binary);
        file << header;

        for (const auto& [frame, value] : marks)
        {
            const float both[] = { value, -value };
            file.seekp ((std::streamoff) header.size() + frame * 8);
            file.write (reinterpret_cast<const char*> (both), sizeof (both));
        }
    }

    ASSERT_EQ (std::filesystem::file_size (path), header.size() + (size_t) frames * 8);
    AudioFileReader reader;
    std::string error;
    ASSERT_TRUE (reader.open (path, error)) << error;
    EXPECT_TRUE (reader.isDataSizeMissing());
    EXPECT_EQ (reader.getHeldDataBytes(), frames * 8);

    std::vector<float> left (8192), right (8192);
    float* const pointers[] = { left.data(), right.data() };
    auto mark = std::begin (marks);

    for (int got; (got = reader.read (pointers, 8192, error)) > 0;)
    {
        const auto start = reader.getFramesRead() - got;

        for (; mark != std::end (marks) && mark->first < start + got; ++mark)
        {
            EXPECT_EQ (left[(size_t) (mark->first - start)], mark->second) << "frame " << mark->first;
            EXPECT_EQ (right[(size_t) (mark->first - start)], -mark->second) << "frame " << mark->first;
        }
    }

    EXPECT_EQ (error, "");
    EXPECT_EQ (reader.getFramesRead(), frames);
    EXPECT_EQ (mark, std::end (marks)) << "frames never read";
}

TEST (AudioFileReader, AnUnfinishedHeaderIsReadOnceAndAsFaithfullyAsAnyFile)
{
    Folder folder;
    const auto header = unfinishedFloatHeader (folder, 1);

    // A disk that fails in the middle of the audio fails the read, as it does any file's,
    // instead of ending the audio there.
    {
        const auto path = folder.file ("bad-sector.wav");
        std::ofstream (path, std::ios::binary) << header << std::string (160000, '\x22');

        AudioData read;
        std::string error;
        failReadsFrom = 80000;
        failReadsTo = 80001;
        EXPECT_FALSE (AudioFile::read (path, read, error));
        failReadsFrom = failReadsTo = -1;
        EXPECT_NE (error.find ("cannot read " + path), std::string::npos) << error;
        EXPECT_NE (error.find ("Input/output error"), std::string::npos) << error;
    }

    // After the audio, 64 KiB of empty chunks whose walk never reaches the file's end: the
    // file's last bytes are read once, not once for every place a chunk might start.
    {
        const auto path = folder.file ("empty-chunks.wav");
        std::string tail;

        while (tail.size() < 65536)
            tail += std::string ("JUNK\0\0\0\0", 8);

        std::ofstream (path, std::ios::binary) << header << std::string (4000, '\x11') << tail << "end";
        positionedReads = 0;
        AudioFileReader reader;
        std::string error;
        ASSERT_TRUE (reader.open (path, error)) << error;
        EXPECT_LT (positionedReads.load(), 64);
        EXPECT_TRUE (reader.isDataSizeMissing());
        EXPECT_EQ (reader.getHeldDataBytes(), 4000 + 65536 + 3);
    }
}
