#include "OverlayTestHelpers.h"

#include <BrioLauncher.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <unistd.h>

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

// A PATH entry of other bytes is left out. JUCE would read it as the folder its decoded
// text names (the overlong form below is "A"), which may hold another program.
TEST_F (LauncherTest, PathEntriesThatAreNotUtf8AreLeftOut)
{
    const StubOpener opener (tmp);
    const auto decoy = tmp.getChildFile ("binA/xdg-open");
    ASSERT_TRUE (decoy.create());
    decoy.replaceWithText ("#!/bin/sh\n", false, false, "\n");
    decoy.setExecutePermission (true);

    const auto raw = tmp.getFullPathName().toStdString();
    const std::string searchPath = std::getenv ("PATH");
    std::string overlong;

    for (int i = 0; i < 40; ++i)
        overlong += "\xc1\x81";

    for (const auto& hostile : { raw + "/bin\xc1\x81", raw + "/" + overlong, raw + "/cut\xe2\x82" })
    {
        setenv ("PATH", (hostile + ":" + searchPath).c_str(), 1);
        EXPECT_EQ (BrioLauncher::findOnSearchPath ("xdg-open"), opener.folder.getChildFile ("xdg-open"));
    }

    setenv ("PATH", searchPath.c_str(), 1);
}

namespace
{
    /** The state letter of a process of this machine, or 0 when there is no such process. */
    char processState (int pid)
    {
        const auto stat = juce::File ("/proc/" + juce::String (pid) + "/stat").loadFileAsString();
        return stat.isEmpty() ? 0 : (char) stat.fromLastOccurrenceOf (")", false, false).trimStart()[0];
    }

    int parentOf (int pid)
    {
        // After the name: the state, then the parent's id.
        const auto stat = juce::File ("/proc/" + juce::String (pid) + "/stat").loadFileAsString();
        return juce::StringArray::fromTokens (stat.fromLastOccurrenceOf (")", false, false).trim(), false)[1].getIntValue();
    }

    /** What each descriptor of a process leads to. */
    std::map<int, std::string> descriptorsOf (int pid)
    {
        std::map<int, std::string> result;
        std::error_code error;

        for (const auto& entry : std::filesystem::directory_iterator ("/proc/" + std::to_string (pid) + "/fd", error))
            result[std::stoi (entry.path().filename().string())] = std::filesystem::read_symlink (entry.path(), error).string();

        return result;
    }
}

// The opener belongs to the desktop, not to the host: it holds none of the host's files
// or connections, takes no signal meant for the host's terminal, and leaves no zombie
// behind when it ends after its launcher, and the editor, are gone.
TEST_F (LauncherTest, TheOpenerRunsDetachedFromTheHost)
{
    const StubOpener opener (tmp, 0, StubOpener::Exit::whenReleased);
    const auto script = opener.folder.getChildFile ("xdg-open").getFullPathName();

    // A descriptor as careless code in a host opens it: inherited by whatever it starts.
    const auto hostFile = tmp.getChildFile ("host-file");
    hostFile.replaceWithText ("held");
    const auto heldByHost = ::open (hostFile.getFullPathName().toRawUTF8(), O_RDONLY);
    ASSERT_GE (heldByHost, 0);

    auto launcher = std::make_unique<BrioLauncher>();
    ASSERT_TRUE (launcher->open ("https://example.invalid/").wasOk());
    EXPECT_EQ (opener.waitForArguments(), juce::StringArray ("https://example.invalid/"));
    ::close (heldByHost);

    const auto open = opener.getDescriptors();
    EXPECT_EQ (open.count (0) + open.count (1) + open.count (2), 3u);

    // The shell keeps the script open, and copies of its standard input (/dev/null).
    for (const auto& [fd, target] : open)
        EXPECT_TRUE (fd <= 2 || target == script || target == "/dev/null")
            << "descriptor " << fd << " (" << target << ") is open in the opener";

    const auto [pid, session] = opener.getIds();
    ASSERT_GT (pid, 0);
    EXPECT_NE (session, (int) ::getsid (0)) << "the opener is in the host's session";

    // The supervisor waiting for it lets go of the host's streams too; it keeps only the
    // status pipe.
    const auto supervisor = parentOf (pid);
    ASSERT_GT (supervisor, 0);
    EXPECT_NE (supervisor, (int) ::getpid());

    for (const auto& [fd, target] : descriptorsOf (supervisor))
        EXPECT_TRUE (fd <= 2 ? target == "/dev/null" : target.rfind ("pipe:", 0) == 0)
            << "descriptor " << fd << " (" << target << ") is open in the supervisor";

    // The launcher goes first; the opener ends afterwards and is collected.
    launcher.reset();
    opener.release();
    EXPECT_TRUE (runUntil ([pid = pid] { return processState (pid) == 0; }))
        << "the opener is left in state " << processState (pid);
}
