#include "KnobFixture.h"

namespace knob_tests
{
    using KnobBubbles = KnobTest;

    bool isHidden (juce::Component& bubble)
    {
        return ! bubble.isVisible() && bubble.getAlpha() == 0.0f;
    }

    TEST_F (KnobBubbles, SitUnderTheKnobMovedByTheOffsets)
    {
        setUpKnob (knob, processor->mixParam);
        ASSERT_EQ (knob.getBounds(), juce::Rectangle<int> (100, 50, 60, 60));

        EXPECT_EQ (knob.getValueBubbleBounds (40, 10.0f), juce::Rectangle<int> (100, 115, 61, 19));

        knob.editBubbleWidth = -1;
        EXPECT_EQ (knob.getEditBubbleBounds(), juce::Rectangle<int> (100, 115, 60, 28));
        knob.editBubbleWidth = 80;
        EXPECT_EQ (knob.getEditBubbleBounds(), juce::Rectangle<int> (90, 115, 80, 28));

        knob.bubbleOffsetX = -4.0f;
        knob.bubbleOffsetY = -30.0f;
        knob.editBubbleWidth = -1;
        knob.setBounds (100, 50, 40, 60);
        EXPECT_EQ (knob.getEditBubbleBounds(), juce::Rectangle<int> (91, 85, 50, 28));
        EXPECT_EQ (knob.getValueBubbleBounds (40, 10.0f).getPosition(), juce::Point<int> (86, 85));
    }

    TEST_F (KnobBubbles, ValueBubbleFollowsPressesAndWheelStepsThenFades)
    {
        setUpKnob (knob, processor->mixParam);

        // A wheel step creates the bubble, shows the new value and hides it 600 ms later.
        // The delay is read from the bubble's timer: on a busy machine no waiting on the
        // clock can tell "not before 600 ms" (and JUCE's timers may fire a little early).
        wheelStep (0.5f);
        ASSERT_NE (knob.valueBubble, nullptr);
        auto& bubble = *knob.valueBubble;
        EXPECT_EQ (bubble.getParentComponent(), &panel);
        EXPECT_TRUE (bubble.isVisible());
        EXPECT_EQ (bubble.text, knob.getValueText());
        EXPECT_GT (knob.getValue(), 0.5);
        EXPECT_TRUE (bubble.isTimerRunning());
        EXPECT_EQ (bubble.getTimerInterval(), 600);

        // Then it goes. Its fade-in is watched below, with no close pending: JUCE's timer
        // thread counts time that passed before a timer started, so when that thread was
        // held up the close can come before the fade-in is done.
        EXPECT_TRUE (runUntil ([&] { return isHidden (bubble); }));

        // A press while it fades out cuts the fade short and fades in from nothing with
        // the new text.
        knob.showValueBubble();
        EXPECT_FALSE (bubble.isTimerRunning());
        EXPECT_TRUE (runUntil ([&] { return bubble.getAlpha() > 0.96f; }));
        bubble.closeBubble();
        knob.setValue (0.1, juce::dontSendNotification);
        knob.mouseDown (event ({ 30.0f, 30.0f }, left, { 30.0f, 30.0f }));
        EXPECT_TRUE (bubble.isVisible());
        EXPECT_LT (bubble.getAlpha(), 0.5f);
        EXPECT_EQ (bubble.text, processor->mixParam->getText (0.1f, 4));
        knob.mouseUp (event ({ 30.0f, 30.0f }, left, { 30.0f, 30.0f }));
        EXPECT_TRUE (runUntil ([&] { return isHidden (bubble); }));
    }

    TEST_F (KnobBubbles, ABubbleClosedOffScreenStillShowsNextTime)
    {
        setUpKnob (knob, processor->mixParam);
        knob.showValueBubble();
        EXPECT_TRUE (runUntil ([&] { return knob.valueBubble->getAlpha() > 0.96f; }));

        panel.setVisible (false);                          // the host hides the window
        knob.valueBubble->closeBubble();
        panel.setVisible (true);

        knob.showValueBubble();
        EXPECT_TRUE (knob.valueBubble->isVisible());
        EXPECT_TRUE (runUntil ([&] { return knob.valueBubble->getAlpha() > 0.96f; }));
    }

    TEST_F (KnobBubbles, EditValueSetsTheParameterInOneGestureAndStaysOpen)
    {
        auto& mix = *processor->mixParam;
        setUpKnob (knob, &mix);
        knob.showEditValueBubble();
        ASSERT_NE (knob.editBubble, nullptr);
        auto& bubble = *knob.editBubble;
        EXPECT_EQ (bubble.getBounds(), knob.getEditBubbleBounds());
        EXPECT_EQ (bubble.editor.getText(), mix.getText (0.5f, 12));

        ParameterLog log (mix);
        bubble.editor.setText ("25");
        bubble.editor.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        EXPECT_TRUE (runUntil ([&] { return log.events.size() >= 3; }));

        EXPECT_EQ (log.events.joinIntoString (","), "begin,value 0.25,end");
        EXPECT_FLOAT_EQ (mix.getValue(), 0.25f);
        EXPECT_EQ (bubble.editor.getText(), mix.getText (0.25f, 12));
        EXPECT_EQ (bubble.editor.getHighlightedRegion().getLength(), bubble.editor.getTotalNumChars());
        EXPECT_TRUE (bubble.isVisible());

        // Text that reads as nothing leaves the value where it was.
        bubble.editor.setText ("loud");
        bubble.editor.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        EXPECT_TRUE (runUntil ([&] { return log.events.size() >= 6; }));
        EXPECT_FLOAT_EQ (mix.getValue(), 0.25f);

        // The knob follows on the window's next sync, not before.
        EXPECT_NEAR (knob.getValue(), 0.5, 1.0e-6);
        knob.updateFromParameter();
        EXPECT_FLOAT_EQ ((float) knob.getValue(), 0.25f);
    }

    TEST_F (KnobBubbles, EditValueClosesOnEscapeAndAtOnceOnADrag)
    {
        setUpKnob (knob, processor->mixParam);
        knob.showEditValueBubble();
        auto& bubble = *knob.editBubble;
        EXPECT_TRUE (runUntil ([&] { return bubble.getAlpha() > 0.96f; }));

        // Escape closes it 250 ms later. The text editor hands the key to the bubble
        // through the message loop, and calls onEscapeKey right after the bubble: the
        // bubble is looked at there, as no waiting on the clock can tell "not before
        // 250 ms" on a busy machine.
        bool escapeHandled = false, shownAfterEscape = false;
        int closeDelay = 0;

        bubble.editor.onEscapeKey = [&]
        {
            escapeHandled = true;
            shownAfterEscape = bubble.isVisible();
            closeDelay = bubble.isTimerRunning() ? bubble.getTimerInterval() : 0;
        };

        bubble.editor.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        EXPECT_TRUE (runUntil ([&] { return escapeHandled; }));
        bubble.editor.onEscapeKey = nullptr;
        EXPECT_TRUE (shownAfterEscape);
        EXPECT_EQ (closeDelay, 250);
        EXPECT_TRUE (runUntil ([&] { return isHidden (bubble); }));

        // A drag closes it at once, also one that has only just begun to fade in.
        const juce::Point<float> down (30.0f, 30.0f);

        for (const auto waitForFadeIn : { true, false })
        {
            knob.showEditValueBubble();
            EXPECT_TRUE (bubble.isVisible());

            if (waitForFadeIn)
            {
                EXPECT_TRUE (runUntil ([&] { return bubble.getAlpha() > 0.96f; }));
            }

            knob.mouseDown (event (down, left, down));
            knob.mouseDrag (event (down.translated (0.0f, -5.0f), left, down));
            EXPECT_FALSE (bubble.isVisible());
            knob.mouseUp (event (down.translated (0.0f, -5.0f), left, down));

            EXPECT_TRUE (runUntil ([&] { return isHidden (bubble); })) << waitForFadeIn;
        }
    }

    TEST_F (KnobBubbles, PopupDisplayGoesAwayAfterItsDelay)
    {
        setUpKnob (knob, processor->mixParam);
        knob.displayMode = BrioKnob::popupMode;

        const juce::Point<float> down (30.0f, 30.0f);
        knob.mouseDown (event (down, left, down));
        ASSERT_NE (knob.popupDisplay, nullptr);
        EXPECT_TRUE (knob.popupDisplay->isVisible());
        EXPECT_EQ (knob.popupDisplay->text, knob.getValueText());
        EXPECT_FALSE (knob.popupDisplay->getBounds().intersects (knob.getBounds()));

        knob.mouseUp (event (down, left, down));
        EXPECT_TRUE (runUntil ([&] { return knob.popupDisplay == nullptr; }));

        knob.mouseDown (event (down, left, down));
        EXPECT_NE (knob.popupDisplay, nullptr);
        knob.mouseUp (event (down, left, down));
    }
}
