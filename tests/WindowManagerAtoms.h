#pragma once

#include <X11/Xlib.h>

namespace tanglefix_tests
{
    /** JUCE's windows name the window manager's protocol atoms only if they exist, and
        use them regardless; on a bare test server no window manager has made them, and
        the server refuses the window. This connection makes them, and stays open,
        because the server forgets its atoms when its last client leaves. */
    struct WindowManagerAtoms
    {
        WindowManagerAtoms()
        {
            if (display == nullptr)
                return;

            for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
                XInternAtom (display, name, False);

            XSync (display, False);
        }

        ~WindowManagerAtoms()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        Display* display = XOpenDisplay (nullptr);
    };
}
