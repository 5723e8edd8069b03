#include "HostEditor.h"

#include <AAX_Enums.h>

#include <cmath>
#include <thread>

namespace tanglefix::host
{

namespace
{
    using Clock = std::chrono::steady_clock;

    // What a pointer needs between played events so that the plug-in sees each of them.
    constexpr std::chrono::milliseconds inputStep { 15 };
}

HostEditor::HostEditor (HostSession& s, PluginInstance& i, HostEditorWindow& w)
    : session (s), instance (i), window (w),
      view (new HostViewContainer (s.getSharedContext(), AAX_eViewContainer_Type_HWND, w.getNativeView()))
{
    view->AddRef();
    view->setSizeListener ([this] (AAX_Point size)
    {
        window.resize ((int) std::lround (size.horz), (int) std::lround (size.vert));
    });
}

HostEditor::~HostEditor()
{
    detach();
    view->setSizeListener ({});
    view->Release();
}

AAX_Result HostEditor::attach()
{
    auto* gui = instance.getGui();

    if (gui == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    const auto result = gui->SetViewContainer (static_cast<AAX_IACFViewContainer_V2*> (view));
    attached = (result == AAX_SUCCESS);

    // As hosts do, the window takes the size the view reports.
    AAX_Point size {};

    if (attached && gui->GetViewSize (&size) == AAX_SUCCESS)
        window.resize ((int) std::lround (size.horz), (int) std::lround (size.vert));

    window.sync();
    return result;
}

AAX_Result HostEditor::detach()
{
    if (! attached)
        return AAX_SUCCESS;

    attached = false;
    const auto result = instance.getGui()->SetViewContainer (nullptr);
    window.sync();
    return result;
}

//==============================================================================
void HostEditor::pump (std::chrono::milliseconds duration)
{
    const auto end = Clock::now() + duration;

    while (Clock::now() < end)
    {
        window.sync();
        const auto dispatched = session.dispatchRunLoop();
        instance.answerAutomation();

        if (dispatched == 0)
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
    }
}

void HostEditor::pumpUntilIdle()
{
    const auto end = Clock::now() + std::chrono::seconds (1);

    while (Clock::now() < end)
    {
        window.sync();
        const auto dispatched = session.dispatchRunLoop();
        instance.answerAutomation();

        if (dispatched == 0)
            return;
    }
}

//==============================================================================
void HostEditor::drag (int fromX, int fromY, int toX, int toY, int steps)
{
    window.movePointer (fromX, fromY);
    pump (inputStep);
    window.setButton (true);
    pump (inputStep);

    for (int step = 1; step <= steps; ++step)
    {
        window.movePointer (fromX + (toX - fromX) * step / steps, fromY + (toY - fromY) * step / steps);
        pump (inputStep);
    }

    window.setButton (false);
    pump (inputStep);
}

void HostEditor::click (int x, int y, int numClicks)
{
    window.movePointer (x, y);
    pump (inputStep);

    for (int i = 0; i < numClicks; ++i)
    {
        window.setButton (true);
        pump (std::chrono::milliseconds (5));
        window.setButton (false);
        pump (std::chrono::milliseconds (5));
    }

    pump (inputStep);
}

} // namespace tanglefix::host
