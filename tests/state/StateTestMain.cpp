#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// The clipboard and the parameters' listeners need JUCE's message manager (and, for the
// clipboard, the X display that the test runner provides).
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
