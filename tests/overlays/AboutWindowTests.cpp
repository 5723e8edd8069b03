#include "OverlayTestHelpers.h"

#include <AboutWindow.h>

using namespace OverlayTests;

namespace
{
    class AboutWindowTest  : public ScratchTest
    {
    protected:
        void SetUp() override
        {
            ScratchTest::SetUp();
            window.setBounds (0, 0, 650, 420);
            window.setVisible (false);
        }

        void showFully()
        {
            window.show (1);
            ASSERT_TRUE (runUntil ([this] { return ! window.isFading (AboutWindow::fadeInTimerId); }));
        }

        void clickLogo (int times)
        {
            for (int i = 0; i < times; ++i)
                window.mouseDown (clickAt (window, window.getLogoStrip().getCentre()));
        }

        void clickBackdrop()
        {
            window.mouseDown (clickAt (window, { 5, 5 }));
        }

        bool bubbleFullyShown() const
        {
            return window.getBubble().isVisible() && window.getBubble().getAlpha() == 1.0f;
        }

        AboutWindow window;
    };
}

TEST_F (AboutWindowTest, BubbleTextFollowsTheLogoClicks)
{
    showFully();

    const std::pair<int, const char*> expected[] = {
        { 3,  nullptr },
        { 4,  "You are uncommonly curious!" },
        { 5,  "You are uncommonly curious!" },
        { 6,  "Look behind you,\na Three-Headed Monkey!" },
        { 8,  "Banana Hammock." },
        { 10, "What happens if you\nclick it 42 times?" },
        { 39, "What happens if you\nclick it 42 times?" },
        { 40, "The answer is..." },
        { 42, "42" },
        { 50, "42" },
    };

    for (const auto& [clicks, text] : expected)
    {
        clickLogo (clicks - window.getLogoClickCount());

        if (text == nullptr)
        {
            EXPECT_FALSE (window.getBubble().isVisible()) << clicks;
            continue;
        }

        EXPECT_TRUE (runUntil ([this] { return bubbleFullyShown(); })) << clicks;
        EXPECT_EQ (window.getBubble().getText(), text) << clicks;
    }

    // Logo clicks never close the window.
    EXPECT_TRUE (window.isVisible());
    EXPECT_FALSE (window.isFading (AboutWindow::fadeOutTimerId));
}

TEST_F (AboutWindowTest, ClickOnTheBubbleHidesItButKeepsTheWindow)
{
    showFully();
    clickLogo (4);
    ASSERT_TRUE (runUntil ([this] { return bubbleFullyShown(); }));

    auto& bubble = const_cast<BrioBubble&> (window.getBubble());
    const auto event = clickAt (bubble, { 10, 10 });
    bubble.mouseDown (event);
    window.mouseDown (event);

    EXPECT_FALSE (bubble.isShown());
    EXPECT_TRUE (window.isVisible());
    EXPECT_FALSE (window.isFading (AboutWindow::fadeOutTimerId));

    // Later counts change the text but don't bring the bubble back.
    clickLogo (2);
    EXPECT_EQ (bubble.getText(), "Look behind you,\na Three-Headed Monkey!");
    EXPECT_FALSE (bubble.isShown());
}

TEST_F (AboutWindowTest, ShowingAgainRestartsOnlyAFadeOut)
{
    showFully();
    clickLogo (6);
    ASSERT_TRUE (runUntil ([this] { return bubbleFullyShown(); }));

    // Fully shown: only the layout runs again, which resets the bubble's text.
    window.show (1);
    EXPECT_FALSE (window.isFading (AboutWindow::fadeInTimerId));
    EXPECT_EQ (window.getLogoClickCount(), 6);
    EXPECT_EQ (window.getBubble().getText(), "You are uncommonly curious!");

    // One click outside the logo starts the fade-out; showing during it fades in from
    // 0, even before its first step.
    clickBackdrop();
    EXPECT_TRUE (window.isFading (AboutWindow::fadeOutTimerId));
    window.show (1);
    EXPECT_TRUE (window.isFading (AboutWindow::fadeInTimerId));
    ASSERT_TRUE (runUntil ([this] { return ! window.isFading (AboutWindow::fadeInTimerId); }));

    clickBackdrop();
    ASSERT_TRUE (runUntil ([this] { return window.getAlpha() < 1.0f; }));
    window.show (1);
    EXPECT_FALSE (window.isFading (AboutWindow::fadeOutTimerId));
    EXPECT_TRUE (window.isFading (AboutWindow::fadeInTimerId));
    EXPECT_EQ (window.getLogoClickCount(), 0);
    EXPECT_FALSE (window.getBubble().isShown());

    ASSERT_TRUE (runUntil ([this] { return ! window.isFading (AboutWindow::fadeInTimerId); }));
    clickBackdrop();
    EXPECT_TRUE (runUntil ([this] { return ! window.isVisible(); }));
    EXPECT_LE (window.getAlpha(), 0.0f);
}
