// The host program as a user runs it, in a process of its own: what an interrupt or a
// failed write leaves behind, what it reads and refuses to write over, and that the
// commands without an editor never reach for a display.

#include "AudioFile.h"
#include "../TestFolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <linux/fs.h>
#include <netinet/in.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{
    using Folder = tanglefix_tests::TestFolder;
    using tanglefix_tests::contentsOf;
    using namespace std::chrono_literals;

    /** Starts the host through the shell, after `limits` (ulimit commands), with every
        signal at its default disposition; standard output and error go to the descriptors
        given (-1: /dev/null), in the working folder given (-1: this process's). */
    pid_t startHost (std::vector<std::string> args, const std::string& limits = {}, int output = -1, int errors = -1,
                     int workingFolder = -1)
    {
        args.insert (args.begin(), { "/bin/sh", "-c", limits + "\nexec \"$0\" \"$@\"", TANGLEFIX_HOST_PROGRAM });
        std::vector<char*> argv;

        for (auto& arg : args)
            argv.push_back (arg.data());

        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);

        for (const auto& [descriptor, target] : { std::pair (output, 1), std::pair (errors, 2) })
        {
            if (descriptor >= 0)
                posix_spawn_file_actions_adddup2 (&actions, descriptor, target);
            else
                posix_spawn_file_actions_addopen (&actions, target, "/dev/null", O_WRONLY, 0);
        }

        if (workingFolder >= 0)
            posix_spawn_file_actions_addfchdir_np (&actions, workingFolder);

        posix_spawnattr_t attributes;
        posix_spawnattr_init (&attributes);
        sigset_t defaults;
        sigfillset (&defaults);
        posix_spawnattr_setsigdefault (&attributes, &defaults);
        posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETSIGDEF);

        pid_t child = -1;
        EXPECT_EQ (posix_spawn (&child, argv[0], &actions, &attributes, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy (&actions);
        posix_spawnattr_destroy (&attributes);
        return child;
    }

    /** The child's wait status; a child still running after the limit is killed, so that a
        host that hangs fails the test instead of holding it. */
    int waitFor (pid_t child, std::chrono::seconds limit = 60s)
    {
        int status = 0;

        for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;)
        {
            if (waitpid (child, &status, WNOHANG) == child)
                return status;

            std::this_thread::sleep_for (10ms);
        }

        kill (child, SIGKILL);
        waitpid (child, &status, 0);
        ADD_FAILURE() << "the host was still running after " << limit.count() << " s";
        return status;
    }

    void writeText (const std::string& path, const std::string& text)
    {
        std::ofstream (path, std::ios::binary) << text;
    }

    void writeSilence (const std::string& path, int channels, double seconds, int rate = 48000)
    {
        tanglefix::host::AudioData silence;
        silence.sampleRate = rate;
        silence.channels.assign ((size_t) channels, std::vector<float> ((size_t) (seconds * rate), 0.0f));
        std::string error;
        ASSERT_TRUE (tanglefix::host::AudioFile::writeWav (path, silence, error)) << error;
    }

    struct Run
    {
        int status = 0;
        std::string out, err;

        bool exited (int code) const  { return WIFEXITED (status) && WEXITSTATUS (status) == code; }
    };

    /** Runs the host to its end; its output is kept in a folder of its own, unless standard
        output goes to the descriptor given. */
    Run runHost (const std::vector<std::string>& args, const std::string& limits = {}, int output = -1,
                 std::chrono::seconds limit = 60s, int workingFolder = -1)
    {
        const Folder captures;
        const auto outputFile = open (captures.file ("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const auto errorFile = open (captures.file ("err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);

        Run run;
        run.status = waitFor (startHost (args, limits, output >= 0 ? output : outputFile, errorFile, workingFolder), limit);
        close (outputFile);
        close (errorFile);
        run.out = contentsOf (captures.file ("out"));
        run.err = contentsOf (captures.file ("err"));
        return run;
    }

    std::string describe (const Run& run)
    {
        return "status " + std::to_string (run.status) + "\nstdout:\n" + run.out + "\nstderr:\n" + run.err;
    }

    /** Waits until the host has written some of its output: a file in the folder, named or
        not, that the host holds open and that is not the input. */
    bool waitForOutputWritten (pid_t host, const Folder& folder)
    {
        const auto descriptors = "/proc/" + std::to_string (host) + "/fd";
        const auto inFolder = std::filesystem::canonical (folder.path).string() + "/";

        for (const auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;)
        {
            std::error_code error;

            for (std::filesystem::directory_iterator i (descriptors, error), last; ! error && i != last; i.increment (error))
            {
                std::error_code unread;
                const auto leadsTo = std::filesystem::read_symlink (i->path(), unread).string();
                struct stat info {};

                if (leadsTo.rfind (inFolder, 0) == 0 && leadsTo != inFolder + "in.wav"
                     && stat (i->path().c_str(), &info) == 0 && S_ISREG (info.st_mode) && info.st_size > 0)
                    return true;
            }

            std::this_thread::sleep_for (2ms);
        }

        return false;
    }

    /** Sets a file's append-only and immutable flags (chattr's a and i) as given; false, with
        errno, where its file system has none. */
    bool setAttributes (const std::string& path, int flags)
    {
        const auto descriptor = open (path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int value = 0;
        auto set = descriptor >= 0 && ioctl (descriptor, FS_IOC_GETFLAGS, &value) == 0;
        value = (value & ~(FS_APPEND_FL | FS_IMMUTABLE_FL)) | flags;
        set = set && ioctl (descriptor, FS_IOC_SETFLAGS, &value) == 0;
        const auto error = errno;

        if (descriptor >= 0)
            close (descriptor);

        errno = error;
        return set;
    }

    /** Shell code that runs the host as root without any capability: permissions bind it as
        they bind any user, while it may still reach the test's folders, which are root's. */
    const std::string withoutCapabilities = "exec setpriv --inh-caps=-all --bounding-set=-all \"$0\" \"$@\"";
}

TEST (HostProgram, AnInterruptedRenderLeavesTheEarlierOutputAndNoTemporaryFile)
{
    Folder folder;
    tanglefix::host::AudioData silence;
    silence.channels.assign (2, std::vector<float> (48000 * 30, 0.0f));
    std::string error;
    ASSERT_TRUE (tanglefix::host::AudioFile::writeWav (folder.file ("in.wav"), silence, error)) << error;
    std::ofstream (folder.file ("out.wav")) << "an earlier render";

    // No core file from SIGQUIT in the test's folder.
    const rlimit noCore { 0, 0 };
    setrlimit (RLIMIT_CORE, &noCore);

    // SIGKILL too, which no handler sees: the output is unnamed until it is complete.
    for (const auto signalNumber : { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF,
                                     SIGIO, SIGPWR, SIGSTKFLT, SIGXCPU, SIGRTMIN, SIGRTMIN + 1, SIGRTMAX, SIGKILL })
    {
        const auto child = startHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav"),
                                        "--oversample", "16" });
        ASSERT_GT (child, 0);
        EXPECT_TRUE (waitForOutputWritten (child, folder)) << "the output was never written";
        kill (child, signalNumber);

        const auto status = waitFor (child);
        EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == signalNumber) << "signal " << signalNumber;
        EXPECT_EQ (folder.names(), (std::vector<std::string> { "in.wav", "out.wav" })) << "signal " << signalNumber;

        std::ifstream earlier (folder.file ("out.wav"));
        EXPECT_EQ (std::string (std::istreambuf_iterator<char> (earlier), {}), "an earlier render");
    }
}

TEST (HostProgram, AFolderMovedDuringARenderGetsTheWholeFileAndTheReportSaysWhere)
{
    // The output's folder moved while the render runs, and another made under its old name:
    // the render lands in the moved folder, and says so, or a signal leaves nothing in either.
    Folder folder;
    tanglefix::host::AudioData silence;
    silence.channels.assign (2, std::vector<float> (48000 * 30, 0.0f));
    std::string error;
    ASSERT_TRUE (tanglefix::host::AudioFile::writeWav (folder.file ("in.wav"), silence, error)) << error;
    const auto out = folder.file ("out"), moved = folder.file ("moved");

    for (const auto signalNumber : { 0, SIGTERM })
    {
        std::filesystem::create_directory (out);
        const Folder captures;
        const auto output = open (captures.file ("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const auto child = startHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), out + "/take.wav",
                                        "--oversample", "16" }, {}, output);
        close (output);
        ASSERT_GT (child, 0);
        EXPECT_TRUE (waitForOutputWritten (child, folder)) << "the output was never written";
        std::filesystem::rename (out, moved);
        std::filesystem::create_directory (out);

        if (signalNumber != 0)
            kill (child, signalNumber);

        const auto status = waitFor (child);
        const auto report = contentsOf (captures.file ("out"));
        const auto expected = signalNumber == 0 ? std::vector<std::string> { "take.wav" } : std::vector<std::string>();
        EXPECT_EQ (Folder::namesIn (moved), expected) << "signal " << signalNumber;
        EXPECT_TRUE (Folder::namesIn (out).empty()) << "signal " << signalNumber;

        if (signalNumber == 0)
        {
            EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == 0) << status;
            EXPECT_NE (report.find ("\nWrote " + std::filesystem::canonical (moved).string() + "/take.wav\n"), std::string::npos) << report;
        }
        else
        {
            EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == signalNumber) << status;
        }

        std::filesystem::remove_all (out);
        std::filesystem::remove_all (moved);
    }
}

TEST (HostProgram, ParamsAndChunkNeverConnectToADisplay)
{
    // A display on the loopback that never answers: a connection to it would wait forever.
    constexpr int displayNumber = 77;
    const auto listener = socket (AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons (6000 + displayNumber);
    address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    ASSERT_EQ (bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
    ASSERT_EQ (listen (listener, 4), 0);
    setenv ("DISPLAY", ("127.0.0.1:" + std::to_string (displayNumber)).c_str(), 1);

    Folder folder;
    const std::vector<std::vector<std::string>> commands {
        { "params", TANGLEFIX_BUNDLE },
        { "chunk", "get", "--set", "Gain=0.3", TANGLEFIX_BUNDLE, folder.file ("saved.chunks") },
        { "chunk", "set", TANGLEFIX_BUNDLE, folder.file ("saved.chunks") },
    };

    for (const auto& command : commands)
    {
        const auto status = waitFor (startHost (command), 120s);
        EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == 0) << command[0] << " " << command[1];
        EXPECT_LT (accept (listener, nullptr, nullptr), 0) << command[0] << " " << command[1] << " connected to the display";
    }

    unsetenv ("DISPLAY");
    close (listener);
}

TEST (HostProgram, AWriteThatFailsIsReportedAndLeavesNoTemporaryFile)
{
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 3.0);
    writeText (folder.file ("out.wav"), "an earlier render");
    const std::vector<std::string> render { "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav") };

    // The file size limit with SIGXFSZ left at its default, which would end the process.
    const auto limited = runHost (render, "ulimit -f 200");
    EXPECT_TRUE (limited.exited (74)) << describe (limited);
    EXPECT_NE (limited.err.find ("cannot write " + folder.file ("out.wav")), std::string::npos) << limited.err;

    // Standard output a closed pipe, as under `| head`: long enough for progress lines.
    writeSilence (folder.file ("long.wav"), 1, 21.0, 44100);
    int ends[2];
    ASSERT_EQ (pipe (ends), 0);
    close (ends[0]);
    const auto piped = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("long.wav"), folder.file ("out.wav") }, {}, ends[1]);
    close (ends[1]);
    EXPECT_TRUE (piped.exited (74)) << describe (piped);
    EXPECT_NE (piped.err.find ("standard output"), std::string::npos) << piped.err;

    EXPECT_EQ (contentsOf (folder.file ("out.wav")), "an earlier render");
    EXPECT_EQ (folder.names(), (std::vector<std::string> { "in.wav", "long.wav", "out.wav" }));
}

TEST (HostProgram, ChunkFilesAreReadOnlyWhenTheyAreRegularFilesOfAFewMegabytes)
{
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);
    std::filesystem::create_directory (folder.file ("folder.chunks"));
    ASSERT_EQ (mkfifo (folder.file ("pipe.chunks").c_str(), 0644), 0);
    std::filesystem::create_symlink (folder.file ("folder.chunks"), folder.file ("link.chunks"));
    writeText (folder.file ("huge.chunks"), "");
    std::filesystem::resize_file (folder.file ("huge.chunks"), 1LL << 32);
    std::vector<std::string> refused { "folder.chunks", "pipe.chunks", "link.chunks", "huge.chunks" };

    // A device of our own with the numbers of /dev/zero, which never ends.
    if (geteuid() == 0 && mknod (folder.file ("zero.chunks").c_str(), S_IFCHR | 0666, makedev (1, 5)) == 0)
        refused.push_back ("zero.chunks");

    // A host that read any of them whole would wait for ever or grow until it died.
    const std::string memoryLimit = "ulimit -v 4000000";

    for (const auto& name : refused)
    {
        const auto path = folder.file (name);
        const auto set = runHost ({ "chunk", "set", TANGLEFIX_BUNDLE, path }, memoryLimit, -1, 20s);
        EXPECT_TRUE (set.exited (65)) << name << ": " << describe (set);
        EXPECT_NE (set.err.find (path), std::string::npos) << set.err;

        const auto render = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav"),
                                       "--state", path }, memoryLimit, -1, 20s);
        EXPECT_TRUE (render.exited (65)) << name << ": " << describe (render);
        EXPECT_NE (render.err.find (path), std::string::npos) << render.err;
    }

    // An empty state file restores nothing, and says so.
    writeText (folder.file ("empty.chunks"), "");
    const auto empty = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav"),
                                  "--state", folder.file ("empty.chunks") });
    EXPECT_TRUE (empty.exited (0)) << describe (empty);
    EXPECT_NE (empty.err.find ("warning: " + folder.file ("empty.chunks") + " holds no chunks"), std::string::npos) << empty.err;
}

TEST (HostProgram, ChunkGetNeverWritesOverTheBundleOrAnythingButARegularFile)
{
    Folder folder;
    const auto bundle = folder.file ("bundle.so");
    std::filesystem::copy_file (TANGLEFIX_BUNDLE, bundle);
    ASSERT_EQ (link (bundle.c_str(), folder.file ("hard.so").c_str()), 0);
    std::filesystem::create_symlink (bundle, folder.file ("soft.so"));
    const auto original = contentsOf (bundle);

    for (const auto& target : { "bundle.so", "hard.so", "soft.so" })
    {
        const auto run = runHost ({ "chunk", "get", bundle, folder.file (target) });
        EXPECT_TRUE (run.exited (64)) << target << ": " << describe (run);
        EXPECT_NE (run.err.find ("bundle"), std::string::npos) << run.err;
    }

    EXPECT_TRUE (contentsOf (bundle) == original) << "the bundle was written over";
    EXPECT_TRUE (std::filesystem::is_symlink (folder.file ("soft.so")));

    // Special targets: refused as render refuses them, and left as they are.
    ASSERT_EQ (mkfifo (folder.file ("pipe.chunks").c_str(), 0644), 0);
    std::filesystem::create_directory (folder.file ("folder.chunks"));

    for (const auto& target : { "pipe.chunks", "folder.chunks" })
    {
        const auto run = runHost ({ "chunk", "get", bundle, folder.file (target) });
        EXPECT_TRUE (run.exited (73)) << target << ": " << describe (run);
    }

    EXPECT_EQ (folder.names(), (std::vector<std::string> { "bundle.so", "folder.chunks", "hard.so", "pipe.chunks", "soft.so" }));
}

TEST (HostProgram, EveryCommandRefusesAParameterTheInstanceDoesNotHave)
{
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);
    const std::vector<std::pair<std::vector<std::string>, std::string>> commands {
        { { "params", "--set", "nosuch=1", TANGLEFIX_BUNDLE }, "nosuch" },
        { { "params", "--set", "99=0.5", TANGLEFIX_BUNDLE }, "99" },
        { { "chunk", "get", "--set", "nosuch=1", TANGLEFIX_BUNDLE, folder.file ("saved.chunks") }, "nosuch" },
        { { "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav"), "--set", "nosuch=1" }, "nosuch" },
    };

    for (const auto& [command, name] : commands)
    {
        const auto run = runHost (command);
        EXPECT_TRUE (run.exited (64)) << command[0] << " " << name << ": " << describe (run);
        EXPECT_NE (run.err.find ("no parameter \"" + name + "\""), std::string::npos) << run.err;
        EXPECT_NE (run.err.find ("Frequency, Emphasis, Operations, Gain, Mix, Bypass"), std::string::npos) << run.err;
    }

    EXPECT_EQ (folder.names(), std::vector<std::string> { "in.wav" }) << "nothing saved over the defaults";
}

TEST (HostProgram, AHostWithoutTheAutomationDelegateRunsEveryCommand)
{
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);
    const auto saved = folder.file ("saved.chunks");

    const auto get = runHost ({ "chunk", "get", "--offer", "automation-delegate=0", "--set", "Gain=0.3", TANGLEFIX_BUNDLE, saved });
    ASSERT_TRUE (get.exited (0)) << describe (get);

    const auto set = runHost ({ "chunk", "set", "--offer", "automation-delegate=0", TANGLEFIX_BUNDLE, saved });
    EXPECT_TRUE (set.exited (0)) << describe (set);
    EXPECT_NE (set.out.find ("is active"), std::string::npos) << set.out;

    // The values arrive: the saved state renders with the gain it was saved with.
    const auto render = runHost ({ "render", "--offer", "automation-delegate=0", "--state", saved, TANGLEFIX_BUNDLE,
                                   folder.file ("in.wav"), folder.file ("out.wav") });
    EXPECT_TRUE (render.exited (0)) << describe (render);
    EXPECT_NE (render.out.find ("  Gain: 0.3 "), std::string::npos) << render.out;
}

TEST (HostProgram, InputsAreJudgedBeforeTheyCostMemoryAndCutOnesAreReported)
{
    Folder folder;

    // A file of 1,024 channels, refused for them within a few megabytes of memory.
    SF_INFO info {};
    info.samplerate = 48000;
    info.channels = 1024;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    auto* many = sf_open (folder.file ("many.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE (many, nullptr) << sf_strerror (nullptr);
    const std::vector<short> frames (1024 * 10, 0);
    sf_writef_short (many, frames.data(), 10);
    sf_close (many);

    const auto wide = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("many.wav"), folder.file ("out.wav") }, "ulimit -d 16384");
    EXPECT_TRUE (wide.exited (65)) << describe (wide);
    EXPECT_NE (wide.err.find ("has 1024 channels"), std::string::npos) << wide.err;

    // A WAV file cut to half its data renders what is there, and says that it is cut.
    writeSilence (folder.file ("cut.wav"), 2, 1.0);
    std::filesystem::resize_file (folder.file ("cut.wav"), std::filesystem::file_size (folder.file ("cut.wav")) - 48000 * 4);
    const auto cut = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("cut.wav"), folder.file ("out.wav") });
    EXPECT_TRUE (cut.exited (0)) << describe (cut);
    EXPECT_NE (cut.err.find ("holds 192000 bytes of audio, though its header declares 384000"), std::string::npos) << cut.err;
}

TEST (HostProgram, ClosedStandardStreamsNeverReachTheOutput)
{
    // Long enough for progress lines, which went into the audio when the output took them.
    Folder folder;
    writeSilence (folder.file ("in.wav"), 1, 21.0, 44100);
    const auto render = [&] (const std::string& output, const std::string& closing)
    {
        return runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file (output) }, closing);
    };

    // Byte for byte, but for the second the PEAK chunk says the file was written.
    const auto contentOf = [&] (const std::string& name)
    {
        auto bytes = contentsOf (folder.file (name));

        if (const auto peak = bytes.find ("PEAK"); peak != std::string::npos && peak + 16 <= bytes.size())
            bytes.replace (peak + 12, 4, 4, '\0');

        return bytes;
    };

    const auto normal = render ("normal.wav", {});
    ASSERT_TRUE (normal.exited (0)) << describe (normal);

    for (int closed = 1; closed < 8; ++closed)
    {
        const auto closing = std::string ("exec") + ((closed & 1) != 0 ? " <&-" : "") + ((closed & 2) != 0 ? " >&-" : "")
                           + ((closed & 4) != 0 ? " 2>&-" : "");
        const auto run = render ("out.wav", closing);
        EXPECT_TRUE (run.exited (0)) << closing << ": " << describe (run);
        EXPECT_TRUE (contentOf ("out.wav") == contentOf ("normal.wav")) << closing;
    }

    EXPECT_EQ (folder.names(), (std::vector<std::string> { "in.wav", "normal.wav", "out.wav" }));
}

TEST (HostProgram, TargetsTheRenameWouldRefuseAreRefusedBeforeAnyAudio)
{
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);

    // A sticky folder of another user and one of the caller's own (root's), and a folder
    // that may not be written.
    const auto sticky = folder.file ("sticky"), ownSticky = folder.file ("own-sticky"), locked = folder.file ("locked");

    for (const auto& made : { sticky, ownSticky, locked })
        std::filesystem::create_directory (made);

    for (const auto& [name, owner] : { std::pair ("theirs.wav", 4322), std::pair ("mine.wav", 0) })
    {
        writeText (sticky + "/" + name, name);
        ASSERT_EQ (chown ((sticky + "/" + name).c_str(), (uid_t) owner, (gid_t) owner), 0);
    }

    writeText (ownSticky + "/theirs.wav", "theirs");
    ASSERT_EQ (chown ((ownSticky + "/theirs.wav").c_str(), 4322, 4322), 0);

    // Links in the other user's sticky folder: one planted by a third user at the caller's
    // file, one of the caller's own and one of the folder's owner.
    writeText (folder.file ("thesis.wav"), "thesis");
    writeText (folder.file ("linked.wav"), "linked");

    for (const auto& [name, owner, to] : { std::tuple ("planted.wav", 4322, "thesis.wav"), std::tuple ("own-link.wav", 0, "linked.wav"),
                                           std::tuple ("owners-link.wav", 4321, "linked.wav") })
    {
        std::filesystem::create_symlink (folder.file (to), sticky + "/" + name);
        ASSERT_EQ (lchown ((sticky + "/" + name).c_str(), (uid_t) owner, (gid_t) owner), 0);
    }

    ASSERT_EQ (chown (sticky.c_str(), 4321, 4321), 0);
    ASSERT_EQ (chmod (sticky.c_str(), 01777), 0);
    ASSERT_EQ (chmod (ownSticky.c_str(), 01777), 0);
    ASSERT_EQ (chmod (locked.c_str(), 0500), 0);

    // Target and the code the host must exit with: 73 before any audio, or 0.
    std::vector<std::tuple<std::string, std::string, int>> targets {
        { folder.file (std::string (256, 'a')), {}, 73 },
        { "", {}, 73 },
        { sticky + "/theirs.wav", withoutCapabilities, 73 },
        { locked + "/out.wav", withoutCapabilities, 73 },
        { sticky + "/planted.wav", {}, 73 },
        { sticky + "/mine.wav", withoutCapabilities, 0 },
        { ownSticky + "/theirs.wav", withoutCapabilities, 0 },
        { sticky + "/own-link.wav", withoutCapabilities, 0 },
        { sticky + "/owners-link.wav", withoutCapabilities, 0 },
    };

    // An append-only folder (also named through a link) and an immutable target (as root),
    // where the file system has them.
    const auto appending = folder.file ("appending"), immutable = folder.file ("immutable.wav");
    std::filesystem::create_directory (appending);
    std::filesystem::create_directory_symlink (appending, folder.file ("appending-link"));
    writeText (immutable, "immutable");

    // Cleared before the folder is removed, which they would stop.
    struct ClearedAttributes
    {
        ~ClearedAttributes()
        {
            for (const auto& path : paths)
                setAttributes (path, 0);
        }

        std::vector<std::string> paths;
    } cleared;

    for (const auto& [path, flag, refused] : { std::tuple (appending, FS_APPEND_FL, std::vector { appending + "/out.wav",
                                                                                               folder.file ("appending-link/out.wav") }),
                                               std::tuple (immutable, FS_IMMUTABLE_FL, std::vector { immutable }) })
    {
        if (setAttributes (path, flag))
        {
            cleared.paths.push_back (path);

            for (const auto& target : refused)
                targets.emplace_back (target, std::string(), 73);
        }
        else
        {
            std::cout << "no attributes for " << path << " here: " << std::strerror (errno) << "\n";
        }
    }

    for (const auto& [target, limits, code] : targets)
    {
        const auto render = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), target }, limits);
        EXPECT_TRUE (render.exited (code)) << target << ": " << describe (render);
        EXPECT_EQ (render.out.empty(), code != 0) << target;

        if (code == 0)
        {
            EXPECT_EQ (contentsOf (target).substr (0, 4), "RIFF") << target;
        }

        const auto chunks = runHost ({ "chunk", "get", TANGLEFIX_BUNDLE, target }, limits);
        EXPECT_TRUE (chunks.exited (code)) << target << ": " << describe (chunks);
        EXPECT_EQ (chunks.out.empty(), code != 0) << target;
    }

    EXPECT_EQ (contentsOf (sticky + "/theirs.wav"), "theirs.wav");
    EXPECT_EQ (contentsOf (folder.file ("thesis.wav")), "thesis");
    EXPECT_EQ (contentsOf (immutable), "immutable");
    EXPECT_EQ (Folder::namesIn (sticky), (std::vector<std::string> { "mine.wav", "own-link.wav", "owners-link.wav", "planted.wav", "theirs.wav" }));
    EXPECT_TRUE (std::filesystem::is_symlink (sticky + "/own-link.wav") && std::filesystem::is_symlink (sticky + "/owners-link.wav"));
    EXPECT_EQ (Folder::namesIn (ownSticky), std::vector<std::string> { "theirs.wav" });
    EXPECT_TRUE (Folder::namesIn (locked).empty());
    EXPECT_TRUE (Folder::namesIn (appending).empty());
}

TEST (HostProgram, AReplacedTargetIsASuccessThoughItsFolderCannotBeFlushed)
{
    // A folder that may be written and searched but not read: the rename works, the folder
    // cannot be opened to flush it.
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);
    const auto dropBox = folder.file ("drop");
    std::filesystem::create_directory (dropBox);
    writeText (dropBox + "/out.wav", "an earlier render");
    ASSERT_EQ (chmod (dropBox.c_str(), 0300), 0);

    const auto run = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), dropBox + "/out.wav" }, withoutCapabilities);
    EXPECT_TRUE (run.exited (0)) << describe (run);
    EXPECT_NE (run.err.find ("warning: " + dropBox + "/out.wav was written, but its folder could not be flushed"), std::string::npos) << run.err;
    EXPECT_EQ (contentsOf (dropBox + "/out.wav").substr (0, 4), "RIFF");
    EXPECT_EQ (Folder::namesIn (dropBox), std::vector<std::string> { "out.wav" });
}

TEST (HostProgram, ALinkIsFollowedFromAWorkingFolderBeyondPathMax)
{
    // Twenty folders of 250-byte names, opened one below the other: no path reaches them.
    // They are taken down from below, as a removal by path would pass PATH_MAX.
    Folder folder;
    writeSilence (folder.file ("in.wav"), 2, 0.1);
    struct Levels
    {
        std::string name;
        std::vector<int> descriptors;

        ~Levels()
        {
            unlinkat (descriptors.back(), "out.wav", 0);
            unlinkat (descriptors.back(), "real.wav", 0);

            for (auto i = descriptors.size() - 1; i > 0; --i)
            {
                close (descriptors[i]);
                unlinkat (descriptors[i - 1], name.c_str(), AT_REMOVEDIR);
            }

            close (descriptors.front());
        }
    } levels { std::string (250, 'd'), { open (folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) } };

    for (int i = 0; i < 20; ++i)
    {
        ASSERT_EQ (mkdirat (levels.descriptors.back(), levels.name.c_str(), 0700), 0);
        levels.descriptors.push_back (openat (levels.descriptors.back(), levels.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }

    const auto deepest = levels.descriptors.back();
    const auto earlier = openat (deepest, "real.wav", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ (write (earlier, "earlier", 7), 7);
    close (earlier);
    ASSERT_EQ (symlinkat ("real.wav", deepest, "out.wav"), 0);

    const auto run = runHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), "out.wav" }, {}, -1, 60s, deepest);
    EXPECT_TRUE (run.exited (0)) << describe (run);

    struct stat info {};
    EXPECT_TRUE (fstatat (deepest, "out.wav", &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK (info.st_mode)) << "the link was replaced";
    EXPECT_TRUE (fstatat (deepest, "real.wav", &info, AT_SYMLINK_NOFOLLOW) == 0 && info.st_size > 7) << "the file it names kept its content";
}
