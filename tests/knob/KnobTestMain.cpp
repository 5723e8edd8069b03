#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include "WindowManagerAtoms.h"

// Knobs, bubbles and menus need JUCE's message manager and, for windows, the X display
// that the test runner provides.
int main (int argc, char** argv)
{
    const tanglefix_tests::WindowManagerAtoms atoms;
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
