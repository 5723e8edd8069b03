#pragma once

#include "HostEditorWindow.h"
#include "HostSession.h"
#include "HostViewContainer.h"
#include "PluginInstance.h"

#include <chrono>

namespace tanglefix::host
{

/** An instance's editor in the host's window, as a host shows it: a view container of the
    HWND type over the window goes to the GUI object, whose plug-in then puts its editor
    into it and asks for its size, which the window follows. While the editor is open the
    host's main thread keeps the bundle's run loop going and answers the plug-in's
    automation requests (pump), and can play the mouse over the editor.

    Main thread only.
*/
class HostEditor
{
public:
    HostEditor (HostSession&, PluginInstance&, HostEditorWindow&);

    /** Takes the view away again, when it is still attached. */
    ~HostEditor();

    HostEditor (const HostEditor&) = delete;
    HostEditor& operator= (const HostEditor&) = delete;

    /** Hands the view to the GUI object, and gives the window the size it then reports. */
    AAX_Result attach();

    /** Takes the view away: the plug-in deletes its editor. */
    AAX_Result detach();

    /** Runs the bundle's run loop and answers automation for that long. */
    void pump (std::chrono::milliseconds duration);

    /** Runs the bundle's run loop until it has nothing left to do (or a second passed). */
    void pumpUntilIdle();

    /** A left-button drag from one point of the window to another, in steps. */
    void drag (int fromX, int fromY, int toX, int toY, int steps = 10);

    /** Left clicks at a point, quickly enough to count as one multiple click. */
    void click (int x, int y, int numClicks = 1);

    HostViewContainer& getView() const noexcept    { return *view; }

private:
    HostSession& session;
    PluginInstance& instance;
    HostEditorWindow& window;
    HostViewContainer* view;   // one reference, held for this object's life
    bool attached = false;
};

} // namespace tanglefix::host
