#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

namespace
{
    /** JUCE 7.0.5 sets window properties named by atoms that it only looks up, never
        creates; on a bare X server, with no window manager to have created them, the
        first window (a message box, say) ends the program with BadAtom. A desktop has
        them all, so the test runner's private display gets them here. The connection
        stays open: when its last client leaves, an X server forgets its atoms. */
    Display* createWindowManagerAtoms()
    {
        auto* display = XOpenDisplay (nullptr);

        if (display != nullptr)
            for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",
                                "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_COMBO",
                                "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_ABOVE", "_MOTIF_WM_HINTS",
                                "_NET_FRAME_EXTENTS", "_NET_WM_ICON", "_NET_WM_NAME" })
                XInternAtom (display, name, False);

        return display;
    }
}

// Components, timers, animators and message boxes need JUCE's message manager and the
// X display that the test runner provides.
int main (int argc, char** argv)
{
    auto* atomsDisplay = createWindowManagerAtoms();
    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juce;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    if (atomsDisplay != nullptr)
        XCloseDisplay (atomsDisplay);

    return result;
}
