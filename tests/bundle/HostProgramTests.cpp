// The host program as a user runs it, in a process of its own: what an interrupt leaves
// behind, and that the commands without an editor never reach for a display.

#include "AudioFile.h"
#include "../TestFolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{
    using Folder = tanglefix_tests::TestFolder;
    using namespace std::chrono_literals;

    pid_t startHost (std::vector<std::string> args)
    {
        args.insert (args.begin(), TANGLEFIX_HOST_PROGRAM);
        std::vector<char*> argv;

        for (auto& arg : args)
            argv.push_back (arg.data());

        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);

        pid_t child = -1;
        EXPECT_EQ (posix_spawn (&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy (&actions);
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

    std::vector<std::string> namesIn (const Folder& folder)
    {
        std::vector<std::string> names;

        for (const auto& entry : std::filesystem::directory_iterator (folder.path))
            names.push_back (entry.path().filename().string());

        std::sort (names.begin(), names.end());
        return names;
    }

    bool waitForTemporaryFile (const Folder& folder)
    {
        for (const auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;)
        {
            for (const auto& name : namesIn (folder))
                if (name != "in.wav" && name != "out.wav")
                    return true;

            std::this_thread::sleep_for (2ms);
        }

        return false;
    }
}

TEST (HostProgram, AnInterruptedRenderLeavesTheEarlierOutputAndNoTemporaryFile)
{
    Folder folder;
    tanglefix::host::AudioData silence;
    silence.channels.assign (2, std::vector<float> (48000 * 30, 0.0f));
    std::string error;
    ASSERT_TRUE (tanglefix::host::AudioFile::writeWav (folder.file ("in.wav"), silence, error)) << error;
    std::ofstream (folder.file ("out.wav")) << "an earlier render";

    for (const auto signalNumber : { SIGINT, SIGTERM, SIGHUP })
    {
        const auto child = startHost ({ "render", TANGLEFIX_BUNDLE, folder.file ("in.wav"), folder.file ("out.wav"),
                                        "--oversample", "16" });
        ASSERT_GT (child, 0);
        EXPECT_TRUE (waitForTemporaryFile (folder)) << "the output's temporary file never appeared";
        kill (child, signalNumber);

        const auto status = waitFor (child);
        EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == signalNumber) << "signal " << signalNumber;
        EXPECT_EQ (namesIn (folder), (std::vector<std::string> { "in.wav", "out.wav" })) << "signal " << signalNumber;

        std::ifstream earlier (folder.file ("out.wav"));
        EXPECT_EQ (std::string (std::istreambuf_iterator<char> (earlier), {}), "an earlier render");
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
