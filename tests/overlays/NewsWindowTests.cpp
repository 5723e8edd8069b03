#include "OverlayTestHelpers.h"

#include <BrioTopNotificationAmount.h>
#include <NotificationWindow.h>

using namespace OverlayTests;

namespace
{
    /** The news window as the main window places it: full size, anchored at the news
        button's (x + 19, y + 3), the button being at (557, 13). */
    class NewsWindowTest  : public ScratchTest
    {
    protected:
        void SetUp() override
        {
            ScratchTest::SetUp();
            window.setBounds (0, 0, 650, 420);
            window.setPanelPosition (576, 16);
        }

        void fill (int numRows)
        {
            window.clearNotifications();

            for (int i = 0; i < numRows; ++i)
                window.addNotification ("Title " + juce::String (i), "Message " + juce::String (i),
                                        "https://example.invalid/" + juce::String (i), "n-" + juce::String (i));

            window.showWindow (1);
        }

        NotificationList::NotificationEntry& row (int index) const
        {
            return *window.getList().getEntry (index);
        }

        juce::StringArray separators() const
        {
            juce::StringArray drawn;

            for (int i = 0; i < window.getList().getNumEntries(); ++i)
                drawn.add (row (i).isLastRow() ? "-" : "line");

            return drawn;
        }

        NotificationWindow window { 300 };
    };

    int countOpaquePixels (const juce::Image& image)
    {
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                count += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;

        return count;
    }
}

TEST_F (NewsWindowTest, PanelFitsOneTwoOrMoreRows)
{
    // One row: a short panel, drawn 10 pixels narrower for want of a scroll bar.
    window.clearNotifications();
    window.addNotification ("No News Today", "Nothing new.", "#", "none");
    window.showWindow (1);
    EXPECT_EQ (window.getPanelBounds(), juce::Rectangle<int> (276, 40, 290, 66));
    EXPECT_FALSE (window.getViewport().getVerticalScrollBar().isVisible());
    EXPECT_EQ (separators(), juce::StringArray ("-"));

    fill (2);
    EXPECT_EQ (window.getPanelBounds(), juce::Rectangle<int> (276, 40, 290, 130));
    EXPECT_FALSE (window.getViewport().getVerticalScrollBar().isVisible());
    EXPECT_EQ (separators(), juce::StringArray ("line", "-"));

    fill (3);
    EXPECT_EQ (window.getPanelBounds(), juce::Rectangle<int> (276, 40, 300, 130));
    EXPECT_TRUE (window.getViewport().getVerticalScrollBar().isVisible());
    EXPECT_EQ (window.getViewport().getScrollBarThickness(), 12);
    EXPECT_EQ (separators(), juce::StringArray ("line", "line", "-"));
    EXPECT_EQ (row (2).getBounds(), juce::Rectangle<int> (0, 128, 282, 64));
}

TEST_F (NewsWindowTest, RefillingShowsOnlyTheNewRowsFromTheTop)
{
    fill (5);
    window.getViewport().setViewPosition (0, 150);
    ASSERT_GT (window.getViewport().getViewPositionY(), 0);

    fill (2);
    EXPECT_EQ (window.getList().getNumEntries(), 2);
    EXPECT_EQ (window.getList().getNumChildComponents(), 2);
    EXPECT_EQ (row (0).getY(), 0);
    EXPECT_EQ (window.getViewport().getViewPositionY(), 0);
}

TEST_F (NewsWindowTest, RowsOpenOnlyWebLinksAndNeverThroughAShell)
{
    const StubOpener opener (tmp);
    const auto trap = tmp.getChildFile ("ran");

    window.clearNotifications();
    window.addNotification ("No News Today", "", "#", "none");
    window.addNotification ("Other app", "", "file:///etc/passwd", "n-1");
    window.addNotification ("Shell", "", "https://example.invalid/$(touch " + trap.getFullPathName() + ")", "n-2");
    window.addNotification ("Backticks", "", "https://example.invalid/`touch ran`", "n-3");
    window.showWindow (1);

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (row (i).getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor)) << i;
        row (i).mouseDown (clickAt (row (i), { 40, 20 }));
    }

    deliverPendingMessages();
    EXPECT_FALSE (opener.wasRun());

    window.addNotification ("News", "Read on", "https://example.invalid/news?id=7&x=1", "n-4");
    EXPECT_EQ (row (4).getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    row (4).mouseDown (clickAt (row (4), { 40, 20 }));

    EXPECT_EQ (opener.waitForArguments(), juce::StringArray ("https://example.invalid/news?id=7&x=1"));
    EXPECT_FALSE (trap.exists());
    EXPECT_FALSE (tmp.getChildFile ("ran").exists());
}

TEST_F (NewsWindowTest, ClosesAfterTheGivenNumberOfClicksOutsideTheRows)
{
    fill (1);
    window.showWindow (2);
    ASSERT_TRUE (runUntil ([this] { return window.isVisible() && window.getAlpha() == 1.0f; }));

    window.mouseDown (clickAt (window, { 10, 10 }));
    EXPECT_TRUE (window.isVisible());
    window.mouseDown (clickAt (window, { 10, 10 }));
    EXPECT_FALSE (window.isVisible());
}

TEST (NewsBadge, DrawsTheCountOnlyWhenThereIsOne)
{
    LarkspanBrio::BrioTopNotificationAmount badge;
    badge.setBounds (0, 0, 10, 12);
    bool clicksOnBadge = true, clicksOnChildren = true;
    badge.getInterceptsMouseClicks (clicksOnBadge, clicksOnChildren);
    EXPECT_FALSE (clicksOnBadge || clicksOnChildren);

    EXPECT_EQ (countOpaquePixels (badge.createComponentSnapshot (badge.getLocalBounds())), 0);

    badge.setUnreadCount (12);
    const auto image = badge.createComponentSnapshot (badge.getLocalBounds());
    EXPECT_GT (countOpaquePixels (image), 40);

    // The digits are drawn in near-white over the red.
    bool hasText = false;

    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 8; ++x)
            hasText = hasText || image.getPixelAt (x, y).getGreen() > 0x80;

    EXPECT_TRUE (hasText);

    badge.setUnreadCount (0);
    EXPECT_EQ (countOpaquePixels (badge.createComponentSnapshot (badge.getLocalBounds())), 0);
}
