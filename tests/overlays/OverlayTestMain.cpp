#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "WindowManagerAtoms.h"

// Components, timers, animators and message boxes need JUCE's message manager and the
// X display that the test runner provides.
int main (int argc, char** argv)
{
    const tanglefix_tests::WindowManagerAtoms atoms;
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
