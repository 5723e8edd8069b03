#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace tanglefix::host
{

/** The host's audio thread: runs one job (usually a loop of process calls) beside the main
    thread, which keeps serving the plug-in (its run loop, automation, chunks) meanwhile.

    It runs at normal priority: the stand-in host renders offline, never against a sound
    card's deadline, and a busy real-time thread (allowed to a privileged user) would starve
    the main thread that serves the plug-in on a machine with few cores. The destructor
    waits for the job to end.
*/
class AudioThread
{
public:
    explicit AudioThread (std::function<void()> job);
    ~AudioThread();

    AudioThread (const AudioThread&) = delete;
    AudioThread& operator= (const AudioThread&) = delete;

    bool isFinished() const noexcept   { return finished.load (std::memory_order_acquire); }

    /** On the calling (main) thread: calls idle every interval until the job has ended,
        and once more after it, so that nothing the job left pending is missed.
    */
    void serveUntilFinished (const std::function<void()>& idle, std::chrono::milliseconds interval);

    void join();

private:
    std::atomic<bool> finished { false };
    std::thread thread;
};

} // namespace tanglefix::host
