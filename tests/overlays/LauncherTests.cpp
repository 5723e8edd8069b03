#include "OverlayTestHelpers.h"

#include <BrioLauncher.h>

using namespace OverlayTests;

namespace
{
    const juce::String failureTitle ("Cannot open");

    class LauncherTest  : public ScratchTest {};
}

// Targets with shell syntax in them reach xdg-open as one argument, letter for letter,
// and nothing in them runs.
TEST_F (LauncherTest, TargetsReachTheOpenerAsOneArgumentAndNothingInThemRuns)
{
    const StubOpener opener (tmp);
    const auto trap = tmp.getChildFile ("ran");

    const auto link = "https://example.invalid/a?b=$(touch " + trap.getFullPathName() + ")&c=`touch ran`;touch ran";
    const auto folder = tmp.getChildFile ("Presets $(touch ran) `touch ran` \"quoted\"");
    ASSERT_TRUE (folder.createDirectory());

    BrioLauncher launcher;
    EXPECT_TRUE (launcher.open (link).wasOk());
    EXPECT_EQ (opener.waitForArguments(), juce::StringArray (link));

    opener.record.deleteFile();
    EXPECT_TRUE (launcher.open (folder.getFullPathName()).wasOk());
    EXPECT_EQ (opener.waitForArguments(), juce::StringArray (folder.getFullPathName()));

    EXPECT_FALSE (trap.exists());
    EXPECT_EQ (countMessageBoxes (failureTitle), 0);
}

TEST_F (LauncherTest, SaysSoWhenTheOpenerIsMissingOrFails)
{
    {
        // Only an empty folder on PATH: there is no xdg-open to start.
        const StubOpener opener (tmp);
        opener.folder.getChildFile ("xdg-open").deleteFile();
        const auto oldPath = juce::SystemStats::getEnvironmentVariable ("PATH", {});
        setenv ("PATH", opener.folder.getFullPathName().toRawUTF8(), 1);

        BrioLauncher launcher;
        const auto result = launcher.open ("https://example.invalid/");
        setenv ("PATH", oldPath.toRawUTF8(), 1);

        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains ("xdg-open was not found"));
        EXPECT_EQ (countMessageBoxes (failureTitle), 1);
        closeMessageBoxes();
    }

    {
        // Exit code 3: xdg-open found no application for the target.
        const StubOpener opener (tmp, 3);
        BrioLauncher launcher;

        EXPECT_TRUE (launcher.open ("https://example.invalid/").wasOk());
        EXPECT_TRUE (runUntil ([] { return countMessageBoxes (failureTitle) == 1; }));
        closeMessageBoxes();
    }

    {
        // Something that xdg-open would take for one of its options is not passed on.
        const StubOpener opener (tmp);
        BrioLauncher launcher;

        EXPECT_TRUE (launcher.open ("--manual").failed());
        EXPECT_TRUE (launcher.open ({}).failed());
        deliverPendingMessages();
        EXPECT_FALSE (opener.wasRun());
    }
}

TEST_F (LauncherTest, FindsOnlyExecutableFilesInAbsoluteFolders)
{
    const StubOpener opener (tmp);
    const auto plain = opener.folder.getChildFile ("not-a-program");
    plain.replaceWithText ("text");

    EXPECT_EQ (BrioLauncher::findOnSearchPath ("xdg-open"), opener.folder.getChildFile ("xdg-open"));
    EXPECT_EQ (BrioLauncher::findOnSearchPath ("not-a-program"), juce::File());

    // An empty PATH entry is the current folder, which holds a program of that name.
    const auto hereOnly = tmp.getChildFile ("here-only");
    hereOnly.replaceWithText ("#!/bin/sh\n", false, false, "\n");
    hereOnly.setExecutePermission (true);
    const auto oldPath = juce::SystemStats::getEnvironmentVariable ("PATH", {});
    setenv ("PATH", (":" + oldPath).toRawUTF8(), 1);
    EXPECT_EQ (BrioLauncher::findOnSearchPath ("here-only"), juce::File());
    setenv ("PATH", oldPath.toRawUTF8(), 1);
}
