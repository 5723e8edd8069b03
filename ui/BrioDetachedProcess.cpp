#include "BrioDetachedProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
    // A shell's code for a command it could not run.
    constexpr int cannotExecuteCode = 127;

    // Where closing descriptors one by one stops when the kernel lacks close_range.
    constexpr rlim_t highestDescriptorToClose = 1 << 20;

    /** Everything the forked processes use, made before the fork: after it they may only
        make async-signal-safe calls, so nothing there may allocate or take a lock. */
    struct LaunchPlan
    {
        LaunchPlan (const juce::File& program, const juce::StringArray& arguments)
            : path (program.getFullPathName().toStdString())
        {
            words.push_back (path);

            for (const auto& argument : arguments)
                words.push_back (argument.toStdString());

            for (auto& word : words)
                argv.push_back (word.data());

            argv.push_back (nullptr);

            rlimit limit {};
            descriptorLimit = (getrlimit (RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
                                ? (int) std::min (limit.rlim_cur, highestDescriptorToClose)
                                : (int) highestDescriptorToClose;
        }

        std::string path;
        std::vector<std::string> words;
        std::vector<char*> argv;
        int descriptorLimit = 0;
    };

    void closeRange (unsigned first, unsigned last, int limit) noexcept
    {
        if (first > last || ::close_range (first, last, 0) == 0)
            return;

        for (auto fd = first; fd <= last && fd < (unsigned) limit; ++fd)
            ::close ((int) fd);
    }

    /** Closes every descriptor above standard error but the one to keep (-1: none). */
    void closeAllButStandardStreams (int keep, int limit) noexcept
    {
        const unsigned first = STDERR_FILENO + 1;

        if (keep >= (int) first)
        {
            closeRange (first, (unsigned) keep - 1, limit);
            closeRange ((unsigned) keep + 1, ~0u, limit);
        }
        else
        {
            closeRange (first, ~0u, limit);
        }
    }

    void restoreDefaultSignalHandling() noexcept
    {
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset (&byDefault.sa_mask);

        // Those that can't be changed (SIGKILL, SIGSTOP, the C library's own) just fail.
        for (int sig = 1; sig < NSIG; ++sig)
            ::sigaction (sig, &byDefault, nullptr);

        sigset_t none;
        sigemptyset (&none);
        ::sigprocmask (SIG_SETMASK, &none, nullptr);
    }

    /** Points standard input, output and error at /dev/null; whether it could. */
    bool detachStandardStreams() noexcept
    {
        const auto devNull = ::open ("/dev/null", O_RDWR);

        if (devNull < 0)
            return false;

        for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
            if (fd != devNull)
                ::dup2 (devNull, fd);

        return true;
    }

    /** Runs in the supervisor: starts the program, waits for it and writes its exit code
        into the status pipe. */
    [[noreturn]] void superviseProgram (const LaunchPlan& plan, int statusPipe) noexcept
    {
        ::setsid();

        // The host may ignore SIGCHLD, which would take the program's status away, or
        // block signals the program needs.
        restoreDefaultSignalHandling();

        // A host that had closed a standard stream may have got the status pipe in its
        // place; it moves above them before they are pointed at /dev/null.
        if (statusPipe <= STDERR_FILENO)
            statusPipe = ::fcntl (statusPipe, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);

        // The supervisor lives as long as the program, so it lets go of the host's
        // streams too: a pipe the host writes into would otherwise stay open after it.
        // The status pipe is close-on-exec, so the program gets nothing but /dev/null.
        const auto detached = detachStandardStreams();
        closeAllButStandardStreams (statusPipe, plan.descriptorLimit);

        const auto program = detached ? _Fork() : -1;

        if (program == 0)
        {
            ::execv (plan.path.c_str(), plan.argv.data());
            _exit (cannotExecuteCode);
        }

        int code = cannotExecuteCode;
        int status = 0;

        if (program > 0)
        {
            while (::waitpid (program, &status, 0) < 0 && errno == EINTR) {}

            code = WIFSIGNALED (status) ? 128 + WTERMSIG (status) : WEXITSTATUS (status);
        }

        // When nobody reads any more this ends the supervisor through SIGPIPE, which is
        // as good as the exit below.
        [[maybe_unused]] const auto written = ::write (statusPipe, &code, sizeof (code));
        _exit (0);
    }

    /** Collects the host's own child, which only starts the supervisor; whether it did. */
    bool collectIntermediate (pid_t intermediate) noexcept
    {
        int status = 0;
        pid_t result = 0;

        while ((result = ::waitpid (intermediate, &status, 0)) < 0 && errno == EINTR) {}

        // A host that ignores SIGCHLD has it collected already; the pipe then tells.
        if (result < 0)
            return errno == ECHILD;

        return WIFEXITED (status) && WEXITSTATUS (status) == 0;
    }
}

//==============================================================================
BrioDetachedProcess::~BrioDetachedProcess()
{
    closeStatusPipe();
}

bool BrioDetachedProcess::start (const juce::File& program, const juce::StringArray& arguments)
{
    jassert (statusPipe < 0);
    const LaunchPlan plan (program, arguments);
    int pipeEnds[2] = { -1, -1 };

    if (::pipe2 (pipeEnds, O_CLOEXEC) != 0)
        return false;

    const auto intermediate = ::fork();

    if (intermediate == 0)
    {
        const auto supervisor = _Fork();

        if (supervisor == 0)
            superviseProgram (plan, pipeEnds[1]);

        _exit (supervisor > 0 ? 0 : 1);
    }

    ::close (pipeEnds[1]);

    if (intermediate < 0 || ! collectIntermediate (intermediate))
    {
        ::close (pipeEnds[0]);
        return false;
    }

    ::fcntl (pipeEnds[0], F_SETFL, O_NONBLOCK);
    statusPipe = pipeEnds[0];
    exitCode = 0;
    return true;
}

bool BrioDetachedProcess::isRunning()
{
    if (statusPipe < 0)
        return false;

    int code = 0;
    const auto bytesRead = ::read (statusPipe, &code, sizeof (code));

    if (bytesRead < 0 && (errno == EAGAIN || errno == EINTR))
        return true;

    // An end of the pipe without a status: the supervisor itself was killed.
    exitCode = bytesRead == (ssize_t) sizeof (code) ? code : 0;
    closeStatusPipe();
    return false;
}

void BrioDetachedProcess::closeStatusPipe() noexcept
{
    if (statusPipe >= 0)
        ::close (statusPipe);

    statusPipe = -1;
}
