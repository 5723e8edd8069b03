// The bundle's run-loop export (AAX_LinuxRunLoop.h): JUCE's host-driven event loop, driven
// by the stand-in host's main thread.

#include <AAX_LinuxRunLoop.h>

#include <juce_events/juce_events.h>

namespace juce
{
    // JUCE's Linux message dispatch (juce_linux_Messaging.cpp); its plug-in wrappers declare
    // it the same way.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    // A message source that posts again from its own callback would otherwise keep the
    // host's main thread here for ever; what is left waits for the host's next call.
    constexpr int32_t maxDispatchesPerCall = 256;
}

extern "C" __attribute__ ((visibility ("default"))) int32_t AAXLinuxRunLoopDispatch()
{
    // JUCE's dispatch spins without end while its run loop does not exist, and the run loop
    // lives exactly as long as the message manager: from the first JUCE object that needs
    // it (registration, the first instance) to the last one's release.
    if (juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return 0;

    int32_t dispatched = 0;

    try
    {
        while (dispatched < maxDispatchesPerCall && juce::dispatchNextMessageOnSystemQueue (true))
            ++dispatched;
    }
    catch (...)
    {
        // Like the seven entry points, nothing thrown may reach the host.
    }

    return dispatched;
}
