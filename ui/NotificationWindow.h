#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "NotificationList.h"

//==============================================================================
/**
    The news overlay: dims the whole main window and shows a rounded panel, hanging
    below the news button, with the news rows in a viewport. Up to two rows fit
    without scrolling; from three on a scroll bar appears and the panel widens by its
    width. A click outside the rows closes it.
*/
class NotificationWindow  : public juce::Component
{
public:
    explicit NotificationWindow (int panelWidthToUse);
    ~NotificationWindow() override;

    /** The panel's top-right corner lies 24 pixels below this point. */
    void setPanelPosition (int x, int y);

    void clearNotifications();
    void addNotification (const juce::String& title, const juce::String& message,
                          const juce::String& link, const juce::String& id);

    /** Sizes the panel for its rows and fades the window in; that many clicks outside
        the rows close it again. */
    void showWindow (int numClicksToClose);

    const NotificationList& getList() const noexcept    { return list; }
    juce::Viewport& getViewport() noexcept              { return viewport; }
    juce::Rectangle<int> getPanelBounds() const;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    static constexpr int fadeMs = 35;

    juce::ComponentAnimator animator;
    juce::Viewport viewport;
    NotificationList list;
    const int panelWidth;
    int panelHeight = 72;
    int panelWidthAdjust = 0;
    int panelX = 1, panelY = 1;
    int clickCount = 0;
    int clicksToClose = 1;
    int anchorX = 0, anchorY = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NotificationWindow)
};
