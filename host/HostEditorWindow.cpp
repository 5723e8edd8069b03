#include "HostEditorWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <png.h>

#include <cstdio>
#include <vector>

namespace tanglefix::host
{

namespace
{
    /** Atoms that a window manager creates and that JUCE 7.0.5 uses without creating them:
        on a bare server (Xvfb) its window would fail with BadAtom. The host plays the
        desktop, so it makes them, and its connection keeps them alive. */
    void createWindowManagerAtoms (Display* display)
    {
        for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                            "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN",
                            "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_STATE_SKIP_TASKBAR",
                            "_NET_WM_STATE_ABOVE", "_MOTIF_WM_HINTS", "_NET_FRAME_EXTENTS", "_NET_WM_ICON",
                            "_NET_WM_NAME" })
            XInternAtom (display, name, False);
    }

    /** The byte of a channel in a pixel, from the image's mask of that channel. */
    unsigned channel (unsigned long pixel, unsigned long mask)
    {
        if (mask == 0)
            return 0;

        int shift = 0;

        while (((mask >> shift) & 1) == 0)
            ++shift;

        const auto value = (pixel & mask) >> shift;
        const auto maximum = mask >> shift;
        return (unsigned) (value * 255 / maximum);
    }

    bool writePng (const std::string& path, int width, int height, const std::vector<unsigned char>& rgb,
                   std::string& errorMessage)
    {
        auto* file = std::fopen (path.c_str(), "wb");

        if (file == nullptr)
        {
            errorMessage = "cannot write " + path;
            return false;
        }

        auto* png = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        auto* info = png != nullptr ? png_create_info_struct (png) : nullptr;
        bool written = false;

        if (info != nullptr && setjmp (png_jmpbuf (png)) == 0)
        {
            png_init_io (png, file);
            png_set_IHDR (png, info, (png_uint_32) width, (png_uint_32) height, 8, PNG_COLOR_TYPE_RGB,
                          PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info (png, info);

            for (int y = 0; y < height; ++y)
                png_write_row (png, rgb.data() + (size_t) y * (size_t) width * 3);

            png_write_end (png, nullptr);
            written = true;
        }

        png_destroy_write_struct (&png, &info);
        written = (std::fclose (file) == 0) && written;

        if (! written)
            errorMessage = "cannot write " + path;

        return written;
    }
}

//==============================================================================
struct HostEditorWindow::Connection
{
    ~Connection()
    {
        if (display != nullptr)
        {
            if (window != 0)
                XDestroyWindow (display, window);

            XCloseDisplay (display);
        }
    }

    Display* display = nullptr;
    Window window = 0;
};

HostEditorWindow::HostEditorWindow() = default;
HostEditorWindow::~HostEditorWindow() = default;

bool HostEditorWindow::open (int initialWidth, int initialHeight, std::string& errorMessage)
{
    auto newConnection = std::make_unique<Connection>();
    newConnection->display = XOpenDisplay (nullptr);

    if (newConnection->display == nullptr)
    {
        errorMessage = "cannot open the X display (is DISPLAY set?)";
        return false;
    }

    auto* display = newConnection->display;
    createWindowManagerAtoms (display);

    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    hasXTest = XTestQueryExtension (display, &eventBase, &errorBase, &major, &minor) != 0;

    const auto screen = DefaultScreen (display);
    newConnection->window = XCreateSimpleWindow (display, RootWindow (display, screen), 0, 0,
                                                 (unsigned) initialWidth, (unsigned) initialHeight, 0,
                                                 BlackPixel (display, screen), BlackPixel (display, screen));
    XStoreName (display, newConnection->window, "tanglefix-host");
    XMapWindow (display, newConnection->window);

    connection = std::move (newConnection);
    width = initialWidth;
    height = initialHeight;
    sync();
    return true;
}

void* HostEditorWindow::getNativeView() const noexcept
{
    return connection != nullptr ? reinterpret_cast<void*> (static_cast<uintptr_t> (connection->window)) : nullptr;
}

void HostEditorWindow::resize (int newWidth, int newHeight)
{
    if (connection == nullptr || newWidth <= 0 || newHeight <= 0)
        return;

    width = newWidth;
    height = newHeight;
    XResizeWindow (connection->display, connection->window, (unsigned) width, (unsigned) height);
    XFlush (connection->display);
}

void HostEditorWindow::sync()
{
    if (connection != nullptr)
        XSync (connection->display, False);
}

//==============================================================================
bool HostEditorWindow::saveScreenshot (const std::string& path, std::string& errorMessage) const
{
    const auto pixels = capture (0, 0, width, height);

    if (pixels.empty())
    {
        errorMessage = "cannot read the window's pixels (" + std::to_string (width) + " x " + std::to_string (height)
                     + "): it must lie wholly on the screen";
        return false;
    }

    std::vector<unsigned char> rgb;
    rgb.reserve (pixels.size() * 3);

    for (const auto pixel : pixels)
        for (const int shift : { 16, 8, 0 })
            rgb.push_back ((unsigned char) (pixel >> shift));

    return writePng (path, width, height, rgb, errorMessage);
}

std::vector<uint32_t> HostEditorWindow::capture (int x, int y, int areaWidth, int areaHeight) const
{
    if (connection == nullptr || areaWidth <= 0 || areaHeight <= 0)
        return {};

    // The server has pixels only for the part of the window on the screen; asking for more
    // is an X error.
    auto* display = connection->display;
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates (display, connection->window, DefaultRootWindow (display), x, y, &rootX, &rootY, &child);
    const auto screen = DefaultScreen (display);

    if (x < 0 || y < 0 || x + areaWidth > width || y + areaHeight > height || rootX < 0 || rootY < 0
        || rootX + areaWidth > DisplayWidth (display, screen) || rootY + areaHeight > DisplayHeight (display, screen))
        return {};

    // Read from the screen, not from the window: where another window (a message box, a
    // menu) lies over it, the server has no pixels of the window itself, and a person
    // sees the other window's.
    auto* image = XGetImage (display, DefaultRootWindow (display), rootX, rootY, (unsigned) areaWidth,
                             (unsigned) areaHeight, AllPlanes, ZPixmap);

    if (image == nullptr)
        return {};

    std::vector<uint32_t> pixels;
    pixels.reserve ((size_t) areaWidth * (size_t) areaHeight);

    for (int row = 0; row < areaHeight; ++row)
    {
        for (int column = 0; column < areaWidth; ++column)
        {
            const auto pixel = XGetPixel (image, column, row);
            pixels.push_back ((channel (pixel, image->red_mask) << 16) | (channel (pixel, image->green_mask) << 8)
                              | channel (pixel, image->blue_mask));
        }
    }

    XDestroyImage (image);
    return pixels;
}

//==============================================================================
void HostEditorWindow::movePointer (int x, int y)
{
    if (connection == nullptr || ! hasXTest)
        return;

    auto* display = connection->display;
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates (display, connection->window, DefaultRootWindow (display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent (display, DefaultScreen (display), rootX, rootY, CurrentTime);
    XFlush (display);
}

void HostEditorWindow::setButton (bool pressed)
{
    if (connection == nullptr || ! hasXTest)
        return;

    XTestFakeButtonEvent (connection->display, 1, pressed ? True : False, CurrentTime);
    XFlush (connection->display);
}

} // namespace tanglefix::host
