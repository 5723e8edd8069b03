// The render command as a user runs it: tanglefix-host rendering a 1-minute and a 10-minute
// stereo 48 kHz file at 1x and 16x oversampling, timed, with the peak resident memory of the
// host's process. The memory must not grow with the file's length. Run it with private
// folders (tests/private-run.sh): the plug-in reads and writes its settings. TANGLEFIX_HOST
// and TANGLEFIX_BUNDLE in the environment measure another build (an older one, for example).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
    std::string fromEnvironment (const char* name, const char* fallback)
    {
        const char* value = std::getenv (name);
        return value != nullptr ? value : fallback;
    }

    const std::string hostProgram = fromEnvironment ("TANGLEFIX_HOST", TANGLEFIX_HOST_PROGRAM);
    const std::string bundle = fromEnvironment ("TANGLEFIX_BUNDLE", TANGLEFIX_BUNDLE_PATH);

    /** Runs the host with its output silenced; the child's peak resident memory in KB, or
        -1 when it failed. */
    long runHost (const std::vector<std::string>& args)
    {
        std::vector<char*> argv { const_cast<char*> (hostProgram.c_str()) };

        for (const auto& arg : args)
            argv.push_back (const_cast<char*> (arg.c_str()));

        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);

        pid_t child = 0;
        const auto spawned = posix_spawn (&child, hostProgram.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy (&actions);

        if (spawned != 0)
            return -1;

        int status = 0;
        rusage usage {};

        if (wait4 (child, &status, 0, &usage) != child || ! WIFEXITED (status) || WEXITSTATUS (status) != 0)
            return -1;

        return usage.ru_maxrss;
    }

    struct Scratch
    {
        Scratch()
        {
            folder = std::filesystem::temp_directory_path() / ("tanglefix-render-bench-" + std::to_string (getpid()));
            std::filesystem::create_directories (folder);
        }

        ~Scratch()  { std::filesystem::remove_all (folder); }

        /** The test signal of that many minutes, written once. */
        std::string input (int minutes)
        {
            const auto path = (folder / ("in-" + std::to_string (minutes) + ".wav")).string();

            if (! std::filesystem::exists (path))
                runHost ({ "signal", path, "--seconds", std::to_string (60 * minutes), "--rate", "48000", "--channels", "2" });

            return path;
        }

        std::filesystem::path folder;
    };

    void renderFile (benchmark::State& state)
    {
        static Scratch scratch;
        const auto minutes = (int) state.range (0);
        const auto factor = (int) state.range (1);
        const auto in = scratch.input (minutes);
        const auto out = (scratch.folder / "out.wav").string();
        long peakKB = 0;

        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            peakKB = runHost ({ "render", bundle, in, out, "--oversample", std::to_string (factor) });
            const auto seconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
            state.SetIterationTime (seconds);

            if (peakKB < 0)
            {
                state.SkipWithError ("the host failed");
                return;
            }
        }

        state.counters["peakRSS_MB"] = (double) peakKB / 1024.0;
        state.counters["xRealTime"] = benchmark::Counter (60.0 * minutes * (double) state.iterations(),
                                                         benchmark::Counter::kIsRate);
    }
}

BENCHMARK (renderFile)->ArgNames ({ "minutes", "factor" })
    ->Args ({ 1, 1 })->Args ({ 1, 16 })->Args ({ 10, 1 })->Args ({ 10, 16 })
    ->UseManualTime()->Iterations (1)->Unit (benchmark::kSecond);

BENCHMARK_MAIN();
