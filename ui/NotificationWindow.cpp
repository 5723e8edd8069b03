#include "NotificationWindow.h"
#include "BrioLookAndFeel.h"

namespace
{
    constexpr int oneRowPanelHeight = 66;
    constexpr int tallPanelHeight = 130;
    constexpr int rowsWithoutScrolling = 2;
    constexpr int narrowerWithoutScrollBar = -10;
    constexpr int scrollBarThickness = 12;
}

//==============================================================================
NotificationWindow::NotificationWindow (int panelWidthToUse)
    : panelWidth (panelWidthToUse)
{
    setAlwaysOnTop (true);
}

NotificationWindow::~NotificationWindow()
{
    // The list is a member, so the viewport must let go of it without deleting it.
    viewport.setViewedComponent (nullptr, false);
}

//==============================================================================
void NotificationWindow::setPanelPosition (int x, int y)
{
    anchorX = x;
    anchorY = y;
    resized();
}

juce::Rectangle<int> NotificationWindow::getPanelBounds() const
{
    return { panelX, panelY, panelWidth + panelWidthAdjust, panelHeight };
}

void NotificationWindow::clearNotifications()
{
    list.clearEntries();
}

void NotificationWindow::addNotification (const juce::String& title, const juce::String& message,
                                          const juce::String& link, const juce::String& id)
{
    list.addEntry (title, message, link, id);
}

void NotificationWindow::showWindow (int numClicksToClose)
{
    const auto numRows = list.getNumEntries();
    const auto needsScrollBar = numRows > rowsWithoutScrolling;

    panelWidthAdjust = needsScrollBar ? 0 : narrowerWithoutScrollBar;
    panelHeight = numRows < 2 ? oneRowPanelHeight : tallPanelHeight;
    viewport.setScrollBarsShown (needsScrollBar, false, false, false);

    resized();
    repaint();
    animator.fadeIn (this, fadeMs);

    clickCount = 0;
    clicksToClose = numClicksToClose;
}

//==============================================================================
void NotificationWindow::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha (0.45f));

    const juce::Rectangle<float> panel ((float) panelX + 0.5f, (float) panelY + 0.5f,
                                        (float) (panelWidth + panelWidthAdjust - 1), (float) (panelHeight - 1));

    g.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelBackgroundColourId).withAlpha (0.91f));
    g.fillRoundedRectangle (panel, 4.0f);
    g.setColour (findColour (LarkspanBrio::BrioLookAndFeel::panelOutlineColourId));
    g.drawRoundedRectangle (panel, 4.0f, 1.0f);
}

void NotificationWindow::resized()
{
    panelX = anchorX - panelWidth;
    panelY = anchorY + 24;

    addAndMakeVisible (viewport);
    viewport.setBounds (panelX + 4, panelY + 4, panelWidth - 6, panelHeight - 8);
    viewport.setScrollBarThickness (scrollBarThickness);

    list.setBounds (panelX + 6, panelY + 6, panelWidth - 18, NotificationList::rowHeight * list.getNumEntries());

    if (viewport.getViewedComponent() != &list)
        viewport.setViewedComponent (&list, false);
}

void NotificationWindow::mouseDown (const juce::MouseEvent&)
{
    ++clickCount;

    if (clickCount >= clicksToClose && getAlpha() > 0.0f)
        animator.fadeOut (this, fadeMs);
}
