#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Starts a program that belongs to the user rather than to the host: a browser or file
    manager that may run long after the editor, or the host, is gone.

    juce::ChildProcess suits none of that. Its child keeps every descriptor of the host
    that isn't close-on-exec (the host's files, its X connection, audio devices), stays in
    the host's session, so a signal for the host's terminal reaches it, and becomes a
    zombie of the host once it ends after its ChildProcess was deleted.

    Here the program runs with standard input, output and error on /dev/null and nothing
    else open, in a session of its own, with the default signal handling. It is started
    by a small supervisor that is no child of the host (a double fork): the supervisor
    waits for the program, hands its exit status back through a pipe and ends, and the
    system's init process collects it. The host's only child ends at once and is
    collected in start(), so the host keeps no zombie whether or not this object is still
    there when the program ends.

    Message thread only (not thread-safe); deleting the object lets the program run on.
*/
class BrioDetachedProcess
{
public:
    BrioDetachedProcess() = default;

    /** Closes the status pipe; the program is not stopped. */
    ~BrioDetachedProcess();

    /** Starts the program, given by its absolute path, with the arguments. False when
        no process could be started; a program that can't be executed ends at once with
        exit code 127, as a shell's would. */
    bool start (const juce::File& program, const juce::StringArray& arguments);

    /** Whether the program is still running; never blocks. */
    bool isRunning();

    /** The program's exit code once it has ended (128 plus the signal's number when a
        signal ended it), or 0 while it runs or when its status was lost. */
    int getExitCode() const noexcept    { return exitCode; }

private:
    void closeStatusPipe() noexcept;

    int statusPipe = -1;
    int exitCode = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioDetachedProcess)
};
