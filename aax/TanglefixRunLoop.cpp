// The bundle's run-loop export (AAX_LinuxRunLoop.h): JUCE's host-driven event loop, driven
// by the stand-in host's main thread.

#include <AAX_LinuxRunLoop.h>

// For JUCE's X connection (XWindowSystem, X11Symbols) and its event loop's fd callbacks.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

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

    /** Xlib moves the server's events into a queue of its own whenever it reads from the
        connection, for instance while JUCE waits in XSync after destroying a window. The
        socket is empty then, so JUCE's dispatch, which polls it, finds nothing to do: the
        Expose events for the editor under a message box that just closed would wait
        there until the next input arrives (the pointer moving), and the box's picture
        would stay on the screen until then. This hands such events to JUCE's handler
        for the connection, as if the socket had been readable. */
    bool dispatchQueuedWindowEvents()
    {
        auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
        auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

        if (display == nullptr)
            return false;

        auto* x11 = juce::X11Symbols::getInstance();

        {
            const juce::XWindowSystemUtilities::ScopedXLock lock;

            if (x11->xEventsQueued (display, QueuedAlready) == 0)
                return false;
        }

        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (x11->xConnectionNumber (display));
        return true;
    }
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
        while (dispatched < maxDispatchesPerCall
               && (juce::dispatchNextMessageOnSystemQueue (true) || dispatchQueuedWindowEvents()))
            ++dispatched;
    }
    catch (...)
    {
        // Like the seven entry points, nothing thrown may reach the host.
    }

    return dispatched;
}
