#pragma once

#include "OverlayTestHelpers.h"
#include "ProcessorFixture.h"

#include <TanglefixPluginWindow.h>
#include <TanglefixProcessorEditor.h>

#include <memory>

//==============================================================================
/** A processor in private folders with its editor, made as a host makes them: through
    createPluginFilter and createEditorIfNeeded. */
class EditorTest  : public ProcessorTest
{
protected:
    void SetUp() override
    {
        ProcessorTest::SetUp();
        processor.reset (dynamic_cast<TanglefixAudioProcessor*> (createPluginFilter()));
        ASSERT_NE (processor, nullptr);
    }

    void TearDown() override
    {
        closeEditor();
        OverlayTests::closeMessageBoxes();
        processor.reset();
    }

    TanglefixProcessorEditor& openEditor()
    {
        editor.reset (dynamic_cast<TanglefixProcessorEditor*> (processor->createEditorIfNeeded()));
        EXPECT_NE (editor, nullptr);
        return *editor;
    }

    void closeEditor()
    {
        if (editor != nullptr)
        {
            processor->editorBeingDeleted (editor.get());
            editor.reset();
        }
    }

    TanglefixPluginWindow& window() const    { return *editor->getPluginWindow(); }

    /** As many ticks of the window's follow-up timer. */
    void tick (int times = 1)
    {
        for (int i = 0; i < times; ++i)
            window().timerCallback();
    }

    /** The "WindowSize" stored in the global settings file, or -1 without one. */
    static double storedWindowSize()
    {
        BrioSettings store;
        store.loadGlobalSettings (false);
        return store.getGlobalDouble ("WindowSize", -1.0);
    }

    std::unique_ptr<TanglefixAudioProcessor> processor;
    std::unique_ptr<TanglefixProcessorEditor> editor;
    OverlayTests::EditorLookAndFeel lookAndFeel;
};

//==============================================================================
/** Counts a processor's change gestures and value changes per parameter index. */
struct GestureCounter  : public juce::AudioProcessorListener
{
    explicit GestureCounter (juce::AudioProcessor& p) : processor (p)    { processor.addListener (this); }
    ~GestureCounter() override                                           { processor.removeListener (this); }

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override
    {
        ++changes[index];
        events.add ((insideGesture[index] ? "set " : "loose set ") + juce::String (index));
    }

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        insideGesture[index] = true;
        events.add ("begin " + juce::String (index));
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
    {
        insideGesture[index] = false;
        events.add ("end " + juce::String (index));
    }

    juce::AudioProcessor& processor;
    std::map<int, int> changes;
    std::map<int, bool> insideGesture;
    juce::StringArray events;
};
