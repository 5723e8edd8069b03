// Run under ThreadSanitizer: the owner-aware mutex, the dispatcher marking and dispatching
// from two threads, and the controller called from an audio thread while the main thread
// reads it.

#include "HostController.h"
#include "HostUnknown.h"

#include "AAX_CMutex.h"
#include "AAX_CPacketDispatcher.h"
#include "AAX_VController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tanglefix::host;

TEST (AAXMutex, OwnerRulesWithinAThread)
{
    AAX_CMutex mutex;

    EXPECT_TRUE (mutex.Lock());
    EXPECT_FALSE (mutex.Lock()) << "the owner is refused, not blocked";
    mutex.Unlock();

    EXPECT_TRUE (mutex.Lock()) << "one unlock released it";
    mutex.Unlock();
    mutex.Unlock();    // not the owner any more: nothing happens
}

TEST (AAXMutex, OnlyTheOwnerUnlocksAndTheOtherThreadWaits)
{
    AAX_CMutex mutex;
    int shared = 0;
    ASSERT_TRUE (mutex.Lock());

    std::atomic<bool> unlockTried { false }, gotIt { false };

    std::thread other ([&]
    {
        mutex.Unlock();    // not the owner: leaves it locked
        unlockTried = true;

        if (mutex.Lock())
        {
            gotIt = true;
            ++shared;
            mutex.Unlock();
        }
    });

    while (! unlockTried)
        std::this_thread::yield();

    ++shared;
    EXPECT_FALSE (gotIt.load()) << "the other thread's unlock did not release the owner's lock";
    mutex.Unlock();
    other.join();

    EXPECT_TRUE (gotIt.load());
    EXPECT_EQ (shared, 2);
}

TEST (AAXMutex, TwoThreadsCountingUnderTheGuard)
{
    AAX_CMutex mutex;
    int counter = 0;

    auto count = [&]
    {
        for (int i = 0; i < 2000; ++i)
        {
            const AAX_StLock_Guard guard (mutex);
            const AAX_StLock_Guard inner (mutex);    // refused and harmless
            ++counter;
        }
    };

    std::thread a (count), b (count);
    a.join();
    b.join();
    EXPECT_EQ (counter, 4000);
}

namespace
{
    struct Filler
    {
        AAX_Result Fill (AAX_CPacket& packet)
        {
            packet.SetValue (++fills);
            return AAX_SUCCESS;
        }

        int32_t fills = 0;
    };
}

TEST (AAXRuntimeThreads, DispatcherAndControllerFromTwoThreads)
{
    auto context = std::make_shared<HostContext> (HostOptions());
    auto* host = new HostUnknown (context);
    host->AddRef();
    auto* hostController = HostController::createForInstance (context, {}, host->asUnknown());

    {
        AAX_VController controller (hostController->asUnknown());
        AAX_CPacketDispatcher dispatcher;
        Filler filler;
        const AAX_CPacketHandler<Filler> handler (&filler, &Filler::Fill);

        dispatcher.Initialize (&controller, nullptr);
        dispatcher.RegisterPacket ("gain", 4, &handler);

        std::atomic<bool> done { false };

        // JUCE's wrapper reports a new latency from the audio thread.
        std::thread audio ([&]
        {
            for (int i = 0; i < 500; ++i)
            {
                controller.SetSignalLatency (i);
                dispatcher.SetDirty ("gain");
            }

            done = true;
        });

        int32_t latency = 0;

        while (! done)
        {
            dispatcher.Dispatch();
            controller.GetSignalLatency (&latency);
        }

        audio.join();
        dispatcher.Dispatch();

        EXPECT_EQ (hostController->getRecordedLatency(), 499);
        EXPECT_EQ (hostController->getLatencyReports(), 500);
        EXPECT_EQ (static_cast<int32_t> (hostController->getPackets (4).size()), filler.fills);
    }

    hostController->Release();
    host->Release();
    EXPECT_EQ (context->getLiveObjectCount(), 0);
}
