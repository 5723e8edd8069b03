#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Fonts, components, timers and menus need JUCE's message manager and the X display that
// the test runner provides.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
