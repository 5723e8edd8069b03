#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "BrioKnob.h"
#include "MessageLoop.h"
#include "BrioKnobBubbles.h"
#include "TanglefixBrioParameter.h"

namespace knob_tests
{
    using LarkspanBrio::BrioKnob;

    /** A filmstrip whose frame i is filled with grey level i, so a snapshot tells which
        frame a knob drew. */
    inline juce::Image makeNumberedFilmstrip (int numFrames, int width, int frameHeight)
    {
        juce::Image image (juce::Image::RGB, width, numFrames * frameHeight, false);
        juce::Graphics g (image);

        for (int i = 0; i < numFrames; ++i)
        {
            g.setColour (juce::Colour::greyLevel ((float) i / 255.0f));
            g.fillRect (0, i * frameHeight, width, frameHeight);
        }

        return image;
    }

    using tanglefix_tests::runUntil;

    inline void runFor (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Records the gestures and value changes a parameter announces, in order. */
    struct ParameterLog  : public juce::AudioProcessorParameter::Listener
    {
        explicit ParameterLog (juce::AudioProcessorParameter& p) : parameter (p)  { parameter.addListener (this); }
        ~ParameterLog() override  { parameter.removeListener (this); }

        void parameterValueChanged (int, float v) override        { events.add ("value " + juce::String (v)); }
        void parameterGestureChanged (int, bool starting) override { events.add (starting ? "begin" : "end"); }

        juce::AudioProcessorParameter& parameter;
        juce::StringArray events;
    };

    /** Records what a knob tells its slider listeners. */
    struct SliderLog  : public juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider* s) override  { events.add ("value " + juce::String (s->getValue())); }
        void sliderDragStarted (juce::Slider*) override     { events.add ("start"); }
        void sliderDragEnded (juce::Slider*) override       { events.add ("end"); }

        juce::StringArray events;
    };

    /**
        A knob set up the way the main window sets up its knobs: bound to a real
        parameter, value bubbles, on a panel that is on screen.
    */
    class KnobTest  : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            panel.setBounds (0, 0, 650, 420);
            panel.addToDesktop (0);
            panel.setVisible (true);
            processor->mixParam->setValue (0.5f);
            processor->operationsParam->setValue (0.0f);
        }

        void TearDown() override
        {
            closeMenus();
            juce::ModifierKeys::currentModifiers = {};
        }

        /** Closes every open menu; true if there was one. Closed menus go away only once
            the message loop has run, so this waits until their windows have left the
            desktop. */
        static bool closeMenus()
        {
            const auto wereOpen = juce::PopupMenu::dismissAllActiveMenus();
            EXPECT_TRUE (runUntil ([] { return countMenuWindows() == 0; }));
            return wereOpen;
        }

        /** The menu windows on the desktop (JUCE names each of them "menu"). */
        static int countMenuWindows()
        {
            auto& desktop = juce::Desktop::getInstance();
            int count = 0;

            for (int i = 0; i < desktop.getNumComponents(); ++i)
                count += desktop.getComponent (i)->getName() == "menu" ? 1 : 0;

            return count;
        }

        /** Binds a knob to a parameter with a numbered filmstrip and the window's settings. */
        void setUpKnob (BrioKnob& k, juce::AudioProcessorParameter* p, int numFrames = 65,
                        int x = 100, int y = 50, int size = 60)
        {
            panel.addAndMakeVisible (k);
            k.setup (p, makeNumberedFilmstrip (numFrames, size, size), numFrames, x, y);
            k.displayMode = BrioKnob::bubbleMode;
            k.bubbleParent = &panel;
            k.bubbleAlpha = 0.97f;
            k.editBubbleWidth = 80;
            k.addListener (&sliderLog);
        }

        juce::MouseEvent event (juce::Point<float> position, juce::ModifierKeys mods,
                                juce::Point<float> downPosition, int clicks = 1)
        {
            eventTime += juce::RelativeTime::milliseconds (20);   // the slider skips repeated wheel times
            return { juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                     juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                     &knob, &knob, eventTime, downPosition, eventTime, clicks, position != downPosition };
        }

        /** A press, an optional drag by dy pixels (up is positive), and a release. */
        void click (juce::ModifierKeys mods, float dragUp = 0.0f)
        {
            const juce::Point<float> down (30.0f, 30.0f);
            knob.mouseDown (event (down, mods, down));

            if (dragUp != 0.0f)
                knob.mouseDrag (event (down.translated (0.0f, -dragUp), mods, down));

            knob.mouseUp (event (down.translated (0.0f, -dragUp), mods, down));
        }

        void wheelStep (float deltaY)
        {
            const juce::Point<float> at (30.0f, 30.0f);
            knob.mouseWheelMove (event (at, {}, at), { 0.0f, deltaY, false, false, false });
        }

        static inline TanglefixAudioProcessor* processor = nullptr;

        static void SetUpTestSuite()    { processor = new TanglefixAudioProcessor(); }
        static void TearDownTestSuite() { delete processor; processor = nullptr; }

        juce::Component panel;
        SliderLog sliderLog;
        BrioKnob knob { {} };
        juce::Time eventTime { juce::Time::getCurrentTime() };

        static constexpr auto left = juce::ModifierKeys::leftButtonModifier;
        static constexpr auto right = juce::ModifierKeys::rightButtonModifier;
        static constexpr auto shift = juce::ModifierKeys::shiftModifier;
        static constexpr auto alt = juce::ModifierKeys::altModifier;
    };
}
