#include "AudioThread.h"

namespace tanglefix::host
{

AudioThread::AudioThread (std::function<void()> job)
    : thread ([this, job = std::move (job)]
              {
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
