#include <gtest/gtest.h>

#include <functional>

#include "BrioButton.h"
#include "BrioLockMenu.h"
#include "MessageLoop.h"

namespace
{
    using LarkspanBrio::BrioButton;

    juce::Image solid (juce::Colour colour, int w = 20, int h = 16)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        image.clear (image.getBounds(), colour);
        return image;
    }

    const juce::Colour normalColour (0xffff0000), downColour (0xff00ff00);

    struct ClickCounter  : public juce::Button::Listener
    {
        void buttonClicked (juce::Button*) override  { ++clicks; }
        int clicks = 0;
    };

    /** Feeds a button the mouse events JUCE would deliver to it. */
    struct Mouse
    {
        explicit Mouse (juce::Component& c) : target (c) {}

        juce::MouseEvent event (juce::ModifierKeys mods) const
        {
            const juce::Point<float> centre (5.0f, 5.0f);
            return { juce::Desktop::getInstance().getMainMouseSource(), centre, mods, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                     &target, &target, juce::Time::getCurrentTime(), centre, juce::Time::getCurrentTime(), 1, false };
        }

        void click (juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
        {
            target.mouseDown (event (mods));
            target.mouseUp (event (mods));
        }

        juce::Component& target;
    };

    using tanglefix_tests::runUntil;

    const juce::ModifierKeys left (juce::ModifierKeys::leftButtonModifier);
    const juce::ModifierKeys right (juce::ModifierKeys::rightButtonModifier);
    const juce::ModifierKeys ctrlLeft (juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::ctrlModifier);

    juce::MouseWheelDetails wheel (float dx, float dy)
    {
        juce::MouseWheelDetails details {};
        details.deltaX = dx;
        details.deltaY = dy;
        return details;
    }

    /** A command button and a parameter toggle, as the editor sets them up. */
    struct Buttons  : public ::testing::Test
    {
        Buttons()
        {
            command.setUpImageButton (solid (normalColour), solid (downColour), 10, 20, &commandClicks);
            command.setVisible (true);

            toggle.setUpParameterToggle (&bypass, solid (normalColour), solid (downColour), 0, 0);
            toggle.addListener (&toggleClicks);
            toggle.setVisible (true);
        }

        juce::Colour shownColour (BrioButton& b)
        {
            return b.createComponentSnapshot (b.getLocalBounds()).getPixelAt (b.getWidth() / 2, b.getHeight() / 2);
        }

        juce::AudioParameterBool bypass { "bypass", "Bypass", false };
        BrioButton command, toggle;
        ClickCounter commandClicks, toggleClicks;
    };

    struct MessageLog  : public juce::ActionListener
    {
        explicit MessageLog (BrioButton& b) : button (b)  { button.addActionListener (this); }
        ~MessageLog() override                            { button.removeActionListener (this); }

        void actionListenerCallback (const juce::String& message) override
        {
            messages.add (message + (button.locked ? " locked" : " unlocked"));
        }

        /** Waits for the button's first message (a menu's answer arrives on the message
            loop, then the message itself), lets any others that are due arrive, and hands
            over all of them. */
        juce::StringArray received()
        {
            EXPECT_TRUE (runUntil ([this] { return ! messages.isEmpty(); }));
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
            return std::exchange (messages, {});
        }

        BrioButton& button;
        juce::StringArray messages;
    };
}

//==============================================================================
TEST_F (Buttons, SetUpSizesAndPlacesThem)
{
    EXPECT_EQ (command.getBounds(), juce::Rectangle<int> (10, 20, 20, 16));
    EXPECT_FALSE (command.getClickingTogglesState());
    EXPECT_FALSE (command.lockEnabled || command.randomLockEnabled);

    EXPECT_EQ (toggle.parameter, &bypass);
    EXPECT_TRUE (toggle.lockEnabled && toggle.randomLockEnabled);

    BrioButton halved, oddDivisor, unbound;
    halved.sizeDivisor = 2;
    halved.setUpParameterToggle (nullptr, solid (normalColour, 40, 30), {}, 5, 6);
    EXPECT_EQ (halved.getBounds(), juce::Rectangle<int> (5, 6, 20, 15));
    EXPECT_FALSE (halved.lockEnabled);

    oddDivisor.sizeDivisor = 7;
    oddDivisor.setButtonImages (solid (normalColour, 40, 30), {}, true, 1.0f);
    EXPECT_EQ (oddDivisor.sizeDivisor, 1);
    EXPECT_EQ (oddDivisor.getBounds().getWidth(), 40);

    bypass.setValueNotifyingHost (1.0f);
    unbound.setUpParameterToggle (&bypass, solid (normalColour), {}, 0, 0);
    EXPECT_TRUE (unbound.getToggleState());
}

TEST_F (Buttons, CommandShowsDownFromPressUntilFlashEnds)
{
    Mouse mouse (command);

    command.mouseDown (mouse.event (left));
    EXPECT_TRUE (command.getToggleState());
    EXPECT_EQ (shownColour (command), downColour);
    EXPECT_EQ (commandClicks.clicks, 0);

    command.mouseUp (mouse.event (left));
    EXPECT_EQ (commandClicks.clicks, 1);
    EXPECT_TRUE (command.getToggleState());
    EXPECT_TRUE (command.isTimerRunning());
    EXPECT_EQ (command.getTimerInterval(), 80);

    // A second press inside the flash keeps the button down until its own release.
    command.mouseDown (mouse.event (left));
    EXPECT_FALSE (command.isTimerRunning());
    EXPECT_TRUE (command.getToggleState());

    command.mouseUp (mouse.event (left));
    command.timerCallback();
    EXPECT_FALSE (command.getToggleState());
    EXPECT_FALSE (command.isTimerRunning());
    EXPECT_EQ (shownColour (command), normalColour);
    EXPECT_EQ (commandClicks.clicks, 2);
}

TEST_F (Buttons, ToggleShowsItsNewStateFromThePress)
{
    Mouse mouse (toggle);

    toggle.mouseDown (mouse.event (left));
    EXPECT_TRUE (toggle.getToggleState());
    EXPECT_EQ (toggleClicks.clicks, 1);
    toggle.mouseUp (mouse.event (left));
    EXPECT_EQ (toggleClicks.clicks, 1);
    EXPECT_FALSE (toggle.isTimerRunning());

    // Held down while turning off: the normal picture, although JUCE calls it pressed.
    toggle.mouseDown (mouse.event (left));
    ASSERT_TRUE (toggle.isDown());
    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_EQ (shownColour (toggle), normalColour);
    toggle.mouseUp (mouse.event (left));
}

TEST_F (Buttons, PopupClicksWithoutLocksDoNothing)
{
    BrioButton unboundToggle;
    unboundToggle.setUpParameterToggle (nullptr, solid (normalColour), solid (downColour), 0, 0);
    unboundToggle.addListener (&toggleClicks);
    unboundToggle.setVisible (true);

    for (auto* b : { &command, &unboundToggle })
    {
        Mouse mouse (*b);

        for (const auto mods : { right, ctrlLeft })
        {
            b->mouseDown (mouse.event (mods));
            b->mouseDrag (mouse.event (mods));
            b->mouseUp (mouse.event (mods));
        }

        EXPECT_FALSE (b->getToggleState());
        EXPECT_FALSE (b->isTimerRunning());
    }

    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);    // no menu
    EXPECT_EQ (commandClicks.clicks, 0);
    EXPECT_EQ (toggleClicks.clicks, 0);
}

TEST_F (Buttons, KeysNeverTrigger)
{
    for (const auto key : { juce::KeyPress::returnKey, juce::KeyPress::spaceKey, (int) 'a' })
    {
        EXPECT_FALSE (command.keyPressed (juce::KeyPress (key)));
        EXPECT_FALSE (toggle.keyPressed (juce::KeyPress (key)));
    }

    EXPECT_EQ (commandClicks.clicks + toggleClicks.clicks, 0);
}

//==============================================================================
TEST_F (Buttons, WheelTurnsTogglesPastTheThreshold)
{
    const auto e = Mouse (toggle).event ({});

    for (const auto& [dx, dy] : { std::pair { 0.0f, 0.01f }, { 0.0f, -0.01f }, { 0.01f, 0.0f }, { -0.01f, 0.0f } })
        toggle.mouseWheelMove (e, wheel (dx, dy));

    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_EQ (toggleClicks.clicks, 0);

    toggle.mouseWheelMove (e, wheel (0.0f, 0.02f));
    EXPECT_TRUE (toggle.getToggleState());
    toggle.mouseWheelMove (e, wheel (0.0f, 0.5f));    // already on: nothing to tell
    EXPECT_EQ (toggleClicks.clicks, 1);

    toggle.mouseWheelMove (e, wheel (0.02f, 0.0f));
    EXPECT_FALSE (toggle.getToggleState());
    toggle.mouseWheelMove (e, wheel (-0.02f, 0.0f));
    EXPECT_TRUE (toggle.getToggleState());
    toggle.mouseWheelMove (e, wheel (0.0f, -0.02f));
    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_EQ (toggleClicks.clicks, 4);
}

TEST_F (Buttons, WheelNeverRunsACommand)
{
    const auto e = Mouse (command).event ({});

    for (const auto& [dx, dy] : { std::pair { 0.0f, 1.0f }, { -1.0f, 0.0f }, { 0.0f, -1.0f } })
        command.mouseWheelMove (e, wheel (dx, dy));

    EXPECT_EQ (commandClicks.clicks, 0);
    EXPECT_FALSE (command.getToggleState());
}

//==============================================================================
TEST_F (Buttons, LockMenuOnlyWhereLocksAreOffered)
{
    const auto itemsOf = [] (const juce::PopupMenu& menu)
    {
        juce::StringArray texts;

        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            texts.add (it.getItem().text);

        return texts;
    };

    command.buildLockMenu();
    EXPECT_TRUE (itemsOf (command.getLockMenu()).isEmpty());

    toggle.buildLockMenu();
    toggle.locked = true;
    toggle.buildLockMenu();    // refilled, not added to
    EXPECT_EQ (itemsOf (toggle.getLockMenu()), juce::StringArray ({ "Parameter Lock", "Unlock", "", "Lock All", "Unlock All" }));
}

TEST_F (Buttons, RightClickMenuAnswersOnlyALiveButton)
{
    MessageLog log (toggle);
    toggle.mouseDown (Mouse (toggle).event (right));

    const juce::Component::SafePointer<juce::Component> menu (juce::Component::getCurrentlyModalComponent());
    ASSERT_NE (menu, nullptr);
    menu->exitModalState (LarkspanBrio::BrioLockMenu::lockItemId);
    EXPECT_EQ (log.received(), juce::StringArray ("LockParameterUpdate locked"));
    EXPECT_EQ (toggleClicks.clicks, 0);
    EXPECT_TRUE (runUntil ([&] { return menu == nullptr; }));

    // The answer arrives later, on the message loop: by then the button may be gone. A
    // lock choice is the one that touches the button's own flags.
    auto doomed = std::make_unique<BrioButton>();
    doomed->setUpParameterToggle (&bypass, solid (normalColour), solid (downColour), 0, 0);
    doomed->mouseDown (Mouse (*doomed).event (right));
    const juce::Component::SafePointer<juce::Component> menuWindow (juce::Component::getCurrentlyModalComponent());
    ASSERT_NE (menuWindow, nullptr);
    menuWindow->exitModalState (LarkspanBrio::BrioLockMenu::lockItemId);
    doomed.reset();

    // The menu window is deleted once its answer has been delivered.
    EXPECT_TRUE (runUntil ([&] { return menuWindow == nullptr; }));
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}
