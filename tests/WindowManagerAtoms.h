#pragma once

#include <X11/Xlib.h>

namespace tanglefix_tests
{
    /**
        JUCE 7.0.5 sets window properties named by atoms that it only looks up, never
        creates; on a bare X server, with no window manager to have created them, the
        first window (a component on the desktop, a menu, a message box) ends the program
        with BadAtom. A desktop has them all, so a test binary that opens windows on the
        runner's private display makes them here, before JUCE starts, and holds this for
        the whole run: when its last client leaves, an X server forgets its atoms.
    */
    struct WindowManagerAtoms
    {
        WindowManagerAtoms()
        {
            if (display == nullptr)
                return;

            for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",
                                "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_COMBO",
                                "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_ABOVE", "_MOTIF_WM_HINTS",
                                "_NET_FRAME_EXTENTS", "_NET_WM_ICON", "_NET_WM_NAME" })
                XInternAtom (display, name, False);

            XSync (display, False);
        }

        ~WindowManagerAtoms()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        Display* const display = XOpenDisplay (nullptr);
    };
}
