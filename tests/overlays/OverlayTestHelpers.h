#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <BrioLookAndFeel.h>
#include <MessageLoop.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace OverlayTests
{

using tanglefix_tests::runUntil;

/** Lets the pending messages (change messages, async updates) be delivered. */
inline void deliverPendingMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
}

/** A left click at a position of the component, as its mouseDown sees it. */
inline juce::MouseEvent clickAt (juce::Component& target, juce::Point<int> position,
                                 juce::Component* originator = nullptr)
{
    const auto now = juce::Time::getCurrentTime();
    const auto pos = position.toFloat();

    return { juce::Desktop::getInstance().getMainMouseSource(), pos,
             juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY, &target, originator != nullptr ? originator : &target,
             now, pos, now, 1, false };
}

/** The message boxes open now with the given title. */
inline int countMessageBoxes (const juce::String& title)
{
    int count = 0;
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* box = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)))
            if (box->getName() == title)
                ++count;

    return count;
}

inline void closeMessageBoxes()
{
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    deliverPendingMessages();
}

/** The editor's look and feel, the default while it lives, with the colours that
    every editor window gives it. */
struct EditorLookAndFeel
{
    EditorLookAndFeel()
    {
        lookAndFeel->setColourScheme (juce::Colour (LarkspanBrio::BrioLookAndFeel::darkColour),
                                      juce::Colour (LarkspanBrio::BrioLookAndFeel::lightColour));
    }

    juce::SharedResourcePointer<LarkspanBrio::BrioLookAndFeel> lookAndFeel;
};

//==============================================================================
/**
    A stand-in for xdg-open, first on PATH while it lives. It writes each argument it
    is given on a line of its own to a record file and exits with the given code; when
    told to hold, it waits for release() first. Before the record it writes what it
    holds open ("descriptors": a line "number target" for each) and its process and
    session ids ("ids"). The working folder is the test's scratch folder, so that a
    command smuggled into an argument would leave its traces there.
*/
class StubOpener
{
public:
    enum class Exit { atOnce, whenReleased };

    StubOpener (const juce::File& scratch, int exitCode = 0, Exit exit = Exit::atOnce)
        : folder (scratch.getChildFile ("bin")), record (scratch.getChildFile ("opened.txt")),
          descriptors (scratch.getChildFile ("descriptors.txt")), ids (scratch.getChildFile ("ids.txt")),
          releaseFlag (scratch.getChildFile ("release")),
          oldPath (juce::SystemStats::getEnvironmentVariable ("PATH", {})),
          oldWorkingFolder (juce::File::getCurrentWorkingDirectory())
    {
        folder.createDirectory();
        record.deleteFile();
        releaseFlag.deleteFile();
        const auto script = folder.getChildFile ("xdg-open");
        // The descriptors are listed by a child, so the shell opens nothing for it.
        script.replaceWithText ("#!/bin/sh\n"
                                "find /proc/$$/fd -mindepth 1 -maxdepth 1 -printf '%f %l\\n' > " + quoted (descriptors) + "\n"
                                "read -r pid name state parent group session rest < /proc/$$/stat\n"
                                "echo \"$pid $session\" > " + quoted (ids) + "\n"
                                "printf '%s\\n' \"$@\" >> " + quoted (record) + "\n"
                                + (exit == Exit::whenReleased ? "until [ -e " + quoted (releaseFlag) + " ]; do sleep 0.02; done\n"
                                                              : juce::String())
                                + "exit " + juce::String (exitCode) + "\n",
                                false, false, "\n");
        script.setExecutePermission (true);
        setenv ("PATH", (folder.getFullPathName() + ":" + oldPath).toRawUTF8(), 1);
        scratch.setAsCurrentWorkingDirectory();
    }

    ~StubOpener()
    {
        release();
        setenv ("PATH", oldPath.toRawUTF8(), 1);
        oldWorkingFolder.setAsCurrentWorkingDirectory();
    }

    /** Waits for the stand-in to have run and returns what it was given. */
    juce::StringArray waitForArguments() const
    {
        runUntil ([this] { return record.existsAsFile() && record.getSize() > 0; });
        return juce::StringArray::fromLines (record.loadFileAsString().trimEnd());
    }

    bool wasRun() const    { return record.existsAsFile(); }

    /** Lets a holding stand-in exit. */
    void release() const    { releaseFlag.create(); }

    /** The numbers of the descriptors the last run held open, with what each is. */
    std::map<int, juce::String> getDescriptors() const
    {
        std::map<int, juce::String> open;

        for (const auto& line : juce::StringArray::fromLines (descriptors.loadFileAsString().trimEnd()))
            open[line.upToFirstOccurrenceOf (" ", false, false).getIntValue()] = line.fromFirstOccurrenceOf (" ", false, false);

        return open;
    }

    /** The process id of the last run, and the id of its session. */
    std::pair<int, int> getIds() const
    {
        const auto words = juce::StringArray::fromTokens (ids.loadFileAsString(), false);
        return { words[0].getIntValue(), words[1].getIntValue() };
    }

    const juce::File folder, record, descriptors, ids;

private:
    static juce::String quoted (const juce::File& file)    { return "'" + file.getFullPathName() + "'"; }

    const juce::File releaseFlag;
    const juce::String oldPath;
    const juce::File oldWorkingFolder;
};

//==============================================================================
/** Runs each test in a scratch folder of its own below the runner's private one. */
class ScratchTest  : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* scratch = std::getenv ("TANGLEFIX_TEST_TMP");
        ASSERT_TRUE (scratch != nullptr) << "run these tests through tests/private-run.sh (ctest does)";

        tmp = juce::File (juce::String (scratch)).getChildFile (::testing::UnitTest::GetInstance()
                                                                    ->current_test_info()->name());
        tmp.deleteRecursively();
        ASSERT_TRUE (tmp.createDirectory());
    }

    void TearDown() override
    {
        closeMessageBoxes();
    }

    EditorLookAndFeel lookAndFeel;
    juce::File tmp;
};

} // namespace OverlayTests
