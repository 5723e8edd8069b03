#pragma once

#include "BrioDetachedProcess.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

//==============================================================================
/**
    Opens a web address or a folder with the desktop's default application by starting
    xdg-open directly with the target as its only argument.

    JUCE's own launchers on Linux (URL::launchInDefaultBrowser, File::revealToUser) hand
    the target to /bin/sh inside double quotes, where "$(...)" and backticks still run.
    News links come from the network and preset folders may lie behind links in a
    folder every user can write to, so neither may ever reach a shell.

    xdg-open runs detached from the host (BrioDetachedProcess). When it can't be
    started, or later reports that it couldn't open the target, the user is told in a
    message box; while this object lives, openers that still run are checked twice a
    second. Message thread only.
*/
class BrioLauncher  : private juce::Timer
{
public:
    BrioLauncher();
    ~BrioLauncher() override;

    /** Starts xdg-open for the target. Fails, and tells the user why, when the target
        is empty or looks like an option, or when xdg-open can't be found or started. */
    juce::Result open (const juce::String& target);

    /** The first executable file called name in the folders of the PATH environment
        variable, or a null File when there is none. Entries that are not strict UTF-8
        are left out. */
    static juce::File findOnSearchPath (const juce::String& name);

    /** Shows a warning message box; returns at once. */
    static void tellUser (const juce::String& title, const juce::String& message);

private:
    struct Child
    {
        juce::String target;
        std::unique_ptr<BrioDetachedProcess> process;
    };

    juce::Result fail (const juce::String& message) const;
    void timerCallback() override;

    std::vector<Child> children;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrioLauncher)
};
