#pragma once

// Linux only: the stand-in for the platform's run loop.
//
// On macOS the host's run loop dispatches a plug-in's pending messages (timers, async
// updates, window events) on the host's main thread. Linux has no such loop that a plug-in
// could join, so a bundle built for the stand-in host exports this one function besides
// the seven entry points, and the host calls it regularly from its main thread, which is
// the plug-in's message thread.
//
// It dispatches what is pending on the calling thread and returns how many times it found
// something to dispatch (0: nothing was pending). With no message loop alive (before the
// first instance, after the last) it returns 0 at once. A bundle without the function has
// nothing to dispatch.

#include <cstdint>

#define AAX_LINUX_RUN_LOOP_EXPORT_NAME "AAXLinuxRunLoopDispatch"

extern "C" __attribute__ ((visibility ("default"))) int32_t AAXLinuxRunLoopDispatch();

typedef int32_t (*AAXLinuxRunLoopDispatchProc)();
