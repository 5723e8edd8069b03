#include "AudioThread.h"

#include <pthread.h>
#include <sched.h>

namespace tanglefix::host
{

namespace
{
    void askForRealTimePriority() noexcept
    {
        sched_param parameters {};
        parameters.sched_priority = sched_get_priority_min (SCHED_FIFO) + 10;
        pthread_setschedparam (pthread_self(), SCHED_FIFO, &parameters);   // refused without privileges
    }
}

AudioThread::AudioThread (std::function<void()> job)
    : thread ([this, job = std::move (job)]
              {
                  askForRealTimePriority();
                  job();
                  finished.store (true, std::memory_order_release);
              })
{
}

AudioThread::~AudioThread()
{
    join();
}

void AudioThread::join()
{
    if (thread.joinable())
        thread.join();
}

void AudioThread::serveUntilFinished (const std::function<void()>& idle, std::chrono::milliseconds interval)
{
    while (! isFinished())
    {
        idle();
        std::this_thread::sleep_for (interval);
    }

    join();
    idle();
}

} // namespace tanglefix::host
