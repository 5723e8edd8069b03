#include "KnobFixture.h"

#include "BrioArt.h"
#include "BrioLockMenu.h"
#include "TanglefixOperationsKnob.h"

namespace knob_tests
{
    using KnobFrames = KnobTest;
    using KnobMouse = KnobTest;
    using KnobMenu = KnobTest;

    /** The grey level of the frame a knob draws, read from a snapshot of it. */
    int drawnFrame (BrioKnob& k)
    {
        const auto snapshot = k.createComponentSnapshot (k.getLocalBounds());
        return snapshot.getPixelAt (k.getWidth() / 2, k.getHeight() / 2).getRed();
    }

    TEST_F (KnobFrames, EveryValueDrawsTheFrameItsProportionTruncatesTo)
    {
        BrioKnob k ({});
        setUpKnob (k, processor->mixParam, 149, 10, 10, 8);

        const double values[] = { 0.0, 0.5, 0.999, 1.0 };
        const int frames[] = { 0, 74, 147, 148 };

        for (int i = 0; i < 4; ++i)
        {
            k.setValue (values[i], juce::dontSendNotification);
            EXPECT_EQ (k.getFrameIndex(), frames[i]) << values[i];
            EXPECT_EQ (drawnFrame (k), frames[i]) << values[i];
        }

        EXPECT_EQ (k.getBounds(), juce::Rectangle<int> (10, 10, 8, 8));   // one frame
    }

    TEST_F (KnobFrames, OperationsKnobShowsThePatternThatPlays)
    {
        auto& operations = *processor->operationsParam;
        setUpKnob (knob, &operations, 4);
        TanglefixOperationsKnob::configure (knob);

        const float values[] = { 0.2f, 0.3f, 0.5f, 0.9f, 0.0f, 0.34f, 0.68f, 1.0f, 0.2499f, 0.75f };
        const int patterns[] = { 0, 1, 2, 3, 0, 1, 2, 3, 0, 3 };

        for (int i = 0; i < 10; ++i)
        {
            operations.setValue (values[i]);
            knob.updateFromParameter();

            EXPECT_EQ (processor->operationsIndex, patterns[i]) << values[i];
            EXPECT_EQ (knob.getFrameIndex(), patterns[i]) << values[i];
            EXPECT_EQ (drawnFrame (knob), patterns[i]) << values[i];
            EXPECT_EQ (knob.getValueText(), operations.getText (values[i], 100)) << values[i];
        }

        // A drag still lands on the four positions, and the values it sends play the
        // pattern of the position it shows.
        const double positions[] = { 0.0, 0.34, 0.68, 1.0 };

        for (int i = 0; i < 4; ++i)
        {
            knob.setValue (positions[i] + 0.1, juce::dontSendNotification);
            EXPECT_DOUBLE_EQ (knob.getValue(), positions[i]);

            operations.setValueNotifyingHost ((float) knob.getValue());
            knob.updateFromParameter();
            EXPECT_DOUBLE_EQ (knob.getValue(), positions[i]);
            EXPECT_EQ (processor->operationsIndex, i);
        }
    }

    TEST_F (KnobFrames, FilmstripsAreDecodedOnceAndShared)
    {
        const auto first = BrioKnob::loadFilmstrip (BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize);
        const auto second = BrioKnob::loadFilmstrip (BrioArt::knob_frequency_png, BrioArt::knob_frequency_pngSize);

        ASSERT_TRUE (first.isValid());
        EXPECT_EQ (first.getWidth(), 310);
        EXPECT_EQ (first.getHeight(), 149 * 290);
        EXPECT_EQ (first.getPixelData(), second.getPixelData());
    }

    //==============================================================================
    TEST_F (KnobMouse, ModifiersComeFromTheEventNotFromTheLiveState)
    {
        setUpKnob (knob, processor->mixParam);
        processor->mixParam->setValue (0.8f);
        knob.updateFromParameter();

        // The live state says shift and alt; the event says a plain press: a plain drag.
        juce::ModifierKeys::currentModifiers = juce::ModifierKeys (shift | alt);
        click (left, 25.0f);
        EXPECT_EQ (sliderLog.events[0], "start");
        EXPECT_EQ (sliderLog.events.size(), 3);
        EXPECT_NEAR (knob.getValue(), 0.9, 0.001);
        EXPECT_EQ (knob.editBubble, nullptr);
        juce::ModifierKeys::currentModifiers = {};

        // Alt (also with shift) resets to the default inside a gesture.
        for (auto mods : { alt | left, alt | shift | left })
        {
            knob.setValue (0.8, juce::dontSendNotification);
            sliderLog.events.clear();
            click (mods);
            EXPECT_NEAR (knob.getValue(), 0.5, 1.0e-6);
            EXPECT_EQ (sliderLog.events.joinIntoString (","), "start,value 0.5,end");
            EXPECT_EQ (knob.editBubble, nullptr);
        }

        // Shift opens the Edit Value bubble; the slider never sees the press.
        sliderLog.events.clear();
        click (shift | left, 40.0f);
        EXPECT_TRUE (sliderLog.events.isEmpty());
        ASSERT_NE (knob.editBubble, nullptr);
        EXPECT_TRUE (knob.editBubble->isVisible());      // a jittery shift-click keeps it open
        EXPECT_NEAR (knob.getValue(), 0.5, 1.0e-6);

        // A right press opens the menu, although the live pointer has no button down.
        click (right, 40.0f);
        EXPECT_TRUE (sliderLog.events.isEmpty());
        EXPECT_NEAR (knob.getValue(), 0.5, 1.0e-6);
        EXPECT_TRUE (closeMenus());
    }

    TEST_F (KnobMouse, AKnobWithoutAParameterOffersNothingToEdit)
    {
        BrioKnob k ({});
        setUpKnob (k, nullptr);

        EXPECT_NEAR (k.getValue(), 0.5, 1.0e-6);
        EXPECT_EQ (k.getValueText(), "na");
        EXPECT_FALSE (k.lockEnabled || k.editValueEnabled || k.randomLockEnabled);

        const juce::Point<float> at (5.0f, 5.0f);
        k.mouseDown (event (at, shift | left, at));
        EXPECT_EQ (k.editBubble, nullptr);

        k.mouseDown (event (at, right, at));
        EXPECT_FALSE (closeMenus());
    }

    //==============================================================================
    TEST_F (KnobMenu, HoldsEditValueAndTheLockSubmenu)
    {
        setUpKnob (knob, processor->mixParam);

        const auto describe = [] (const juce::PopupMenu& menu)
        {
            juce::StringArray items;

            for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            {
                const auto& item = it.getItem();
                items.add (item.isSeparator ? juce::String ("-")
                                            : item.text + " " + juce::String (item.itemID)
                                                + (item.image != nullptr ? " icon" : "")
                                                + (item.isEnabled ? "" : " disabled")
                                                + (item.isTicked ? " ticked" : ""));
            }

            return items.joinIntoString (", ");
        };

        knob.buildMenu();
        EXPECT_EQ (describe (knob.menu), "Edit Value 12, -, Parameter Lock 0, Lock 5 icon, -, Lock All 7, Unlock All 8");

        knob.locked = true;
        knob.buildMenu();
        EXPECT_EQ (describe (knob.menu), "Edit Value 12, -, Parameter Lock 0, Unlock 6 icon, -, Lock All 7, Unlock All 8");
    }

    TEST_F (KnobMenu, ChoicesChangeOwnFlagsBeforeTheWindowHearsOfThem)
    {
        setUpKnob (knob, processor->mixParam);

        struct Window  : public juce::ActionListener
        {
            void actionListenerCallback (const juce::String& message) override
            {
                heard.add (message + (knob->locked ? " locked" : "") + (knob->randomLocked ? " random" : "")
                             + (knob->lockIndicator.isVisible() ? " shown" : ""));
            }

            BrioKnob* knob = nullptr;
            juce::StringArray heard;
        } window;

        window.knob = &knob;
        knob.addActionListener (&window);

        BrioKnob::menuCallback (LarkspanBrio::BrioLockMenu::lockItemId, &knob);
        EXPECT_TRUE (runUntil ([&] { return window.heard.size() == 1; }));
        BrioKnob::menuCallback (LarkspanBrio::BrioLockMenu::lockAllItemId, &knob);
        BrioKnob::menuCallback (0, &knob);                                          // dismissed
        BrioKnob::menuCallback (LarkspanBrio::BrioLockMenu::unlockAllItemId, &knob);
        BrioKnob::menuCallback (LarkspanBrio::BrioLockMenu::unlockItemId, &knob);
        EXPECT_TRUE (runUntil ([&] { return window.heard.size() == 4; }));

        EXPECT_EQ (window.heard.joinIntoString (", "),
                   "LockParameterUpdate locked random shown, LockParameterAll, unLockParameterAll, LockParameterUpdate");

        // "Edit Value" opens the bubble with the parameter's text, and sends nothing.
        BrioKnob::menuCallback (BrioKnob::editValueItemId, &knob);
        ASSERT_NE (knob.editBubble, nullptr);
        EXPECT_EQ (knob.editBubble->editor.getText(), processor->mixParam->getText (0.5f, 12));
        runFor (50);
        EXPECT_EQ (window.heard.size(), 4);

        knob.removeActionListener (&window);
    }

    TEST_F (KnobMenu, AMenuThatOutlivesItsKnobDoesNothing)
    {
        auto doomed = std::make_unique<BrioKnob> (juce::String());
        setUpKnob (*doomed, processor->mixParam);
        const juce::Point<float> at (30.0f, 30.0f);
        doomed->mouseDown (event (at, right, at));
        const juce::Component::SafePointer<juce::Component> menu (juce::Component::getCurrentlyModalComponent());
        ASSERT_NE (menu, nullptr);

        // A choice is delivered on the message loop: here the knob is gone by then. The
        // menu window is deleted once the choice has been delivered.
        menu->exitModalState (LarkspanBrio::BrioLockMenu::lockItemId);
        doomed.reset();
        EXPECT_TRUE (runUntil ([&] { return menu == nullptr; }));
    }

    TEST_F (KnobMenu, LockIconStylesKeepTheCurrentPictureForUnknownStyles)
    {
        setUpKnob (knob, processor->mixParam);
        EXPECT_EQ (knob.lockIndicatorImage.getWidth(), 64);

        knob.setLockIconStyle (3);
        EXPECT_EQ (knob.lockIndicatorImage.getWidth(), 26);

        knob.setLockIconStyle (7);
        EXPECT_EQ (knob.lockIndicatorImage.getWidth(), 26);

        knob.setLockIconStyle (4);
        EXPECT_EQ (knob.lockIndicatorImage.getWidth(), 64);
        EXPECT_EQ (knob.lockIcon.getWidth(), 13);
        EXPECT_EQ (knob.unlockIcon.getHeight(), 13);
    }
}

namespace knob_tests
{
    using KnobLabel = KnobTest;

    TEST_F (KnobLabel, LabelModeTakesTypedTextAndIgnoresDoubleClicksOnTheLabel)
    {
        auto& mix = *processor->mixParam;
        panel.addAndMakeVisible (knob);
        knob.displayMode = BrioKnob::labelMode;
        knob.setup (&mix, makeNumberedFilmstrip (65, 60, 60), 65, 100, 50);

        EXPECT_EQ (knob.getBounds(), juce::Rectangle<int> (100, 50, 60, 86));
        EXPECT_EQ (knob.valueLabel.getBounds(), juce::Rectangle<int> (0, 66, 60, 16));
        EXPECT_TRUE (knob.valueLabel.isVisible());
        EXPECT_EQ (knob.valueLabel.getText(), "Mix");

        // What is typed goes through the parameter's own parsing.
        knob.valueLabel.setText ("25%", juce::sendNotificationSync);
        EXPECT_NEAR (knob.getValue(), 0.25, 1.0e-6);
        EXPECT_EQ (knob.valueLabel.getText(), mix.getText (0.25f, 4));

        // A double-click that lands on the label edits it; it does not reset the knob.
        const juce::Point<float> at (5.0f, 5.0f);
        const juce::MouseEvent onLabel (juce::Desktop::getInstance().getMainMouseSource(), at, left,
                                        juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                        &knob.valueLabel, &knob.valueLabel, eventTime, at, eventTime, 2, false);
        knob.mouseDoubleClick (onLabel);
        EXPECT_NEAR (knob.getValue(), 0.25, 1.0e-6);

        knob.mouseDoubleClick (event (at, left, at, 2));
        EXPECT_NEAR (knob.getValue(), 0.5, 1.0e-6);
    }
}
