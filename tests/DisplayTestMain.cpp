#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "WindowManagerAtoms.h"

// The main of every test binary that shows components, menus or windows: they need
// JUCE's message manager and the X display that the test runner provides, on which
// windows can open only once the window manager's atoms exist.
int main (int argc, char** argv)
{
    const tanglefix_tests::WindowManagerAtoms atoms;
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
