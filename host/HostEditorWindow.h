#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** The host's window for a plug-in's editor, on the X server that DISPLAY names: a
    top-level window whose handle the host's view container hands to the plug-in (the
    HWND container type, the only one JUCE's wrapper attaches to on Linux). It follows the
    sizes the plug-in asks for, takes pictures of itself, and plays the mouse through the
    XTEST extension, which the X server delivers to the plug-in like a user's hand.

    The window has its own connection to the server; the plug-in opens another. Main
    thread only.
*/
class HostEditorWindow
{
public:
    HostEditorWindow();
    ~HostEditorWindow();

    HostEditorWindow (const HostEditorWindow&) = delete;
    HostEditorWindow& operator= (const HostEditorWindow&) = delete;

    /** Connects and shows the window; false with the reason when there is no X server.
        Open it before the plug-in's GUI starts: JUCE looks up the window manager's atoms,
        which the window makes on a bare server, only once. */
    bool open (int width, int height, std::string& errorMessage);

    /** The X window, as the view container's native view. */
    void* getNativeView() const noexcept;

    void resize (int width, int height);
    int getWidth() const noexcept   { return width; }
    int getHeight() const noexcept  { return height; }

    /** Writes what the screen shows in the window's place now, the plug-in's view and
        windows over it included, as a PNG file. */
    bool saveScreenshot (const std::string& path, std::string& errorMessage) const;

    /** The colours (0xRRGGBB, row by row) of an area of the window as the screen shows it,
        windows that lie over it included; empty when the area doesn't lie wholly on the
        screen. */
    std::vector<uint32_t> capture (int x, int y, int areaWidth, int areaHeight) const;

    /** Whether the server takes played input (XTEST). */
    bool canPlayInput() const noexcept    { return hasXTest; }

    /** Moves the pointer to a point of the window, and presses or releases the left
        button there. */
    void movePointer (int x, int y);
    void setButton (bool pressed);

    /** Sends everything queued to the server and waits until it has handled it. */
    void sync();

private:
    struct Connection;
    std::unique_ptr<Connection> connection;
    int width = 0, height = 0;
    bool hasXTest = false;
};

} // namespace tanglefix::host
