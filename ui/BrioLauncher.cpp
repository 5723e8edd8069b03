#include "BrioLauncher.h"

#include <BrioFolderListing.h>

#include <unistd.h>

namespace
{
    const juce::String openerName ("xdg-open");
    const juce::String failureTitle ("Cannot open");
    constexpr int childCheckIntervalMs = 500;

    bool isExecutableFile (const juce::File& file)
    {
        return file.existsAsFile() && ::access (file.getFullPathName().toRawUTF8(), X_OK) == 0;
    }
}

//==============================================================================
BrioLauncher::BrioLauncher() = default;

// Openers still running are let go, not killed: the browser or file manager they
// became belongs to the user now, and no process of the host's is left to collect.
BrioLauncher::~BrioLauncher() = default;

//==============================================================================
juce::File BrioLauncher::findOnSearchPath (const juce::String& name)
{
    // Not JUCE's getEnvironmentVariable: an entry of other bytes would become the name
    // of another folder there.
    for (const auto& folder : BrioFolderListing::environmentPathList ("PATH"))
    {
        // An empty entry means the current folder, which is not a place to take a
        // program from when the host was started from anywhere.
        if (! juce::File::isAbsolutePath (folder))
            continue;

        const auto candidate = juce::File (folder).getChildFile (name);

        if (isExecutableFile (candidate))
            return candidate;
    }

    return {};
}

void BrioLauncher::tellUser (const juce::String& title, const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message);
}

juce::Result BrioLauncher::fail (const juce::String& message) const
{
    tellUser (failureTitle, message);
    return juce::Result::fail (message);
}

//==============================================================================
juce::Result BrioLauncher::open (const juce::String& target)
{
    // xdg-open would read a leading dash as one of its options.
    if (target.isEmpty() || target.startsWithChar ('-'))
        return fail ("There is nothing to open at \"" + target + "\".");

    const auto opener = findOnSearchPath (openerName);

    if (opener == juce::File())
        return fail (openerName + " was not found, so \"" + target + "\" can't be opened. "
                     "Install xdg-utils or open it by hand.");

    auto process = std::make_unique<BrioDetachedProcess>();

    if (! process->start (opener, juce::StringArray (target)))
        return fail (openerName + " could not be started to open \"" + target + "\".");

    children.push_back ({ target, std::move (process) });
    startTimer (childCheckIntervalMs);
    return juce::Result::ok();
}

void BrioLauncher::timerCallback()
{
    for (auto it = children.begin(); it != children.end();)
    {
        if (it->process->isRunning())
        {
            ++it;
            continue;
        }

        // Exit code 3 means xdg-open found no application for the target, 2 that the
        // target doesn't exist; either way the user clicked and saw nothing happen.
        if (const auto code = it->process->getExitCode(); code != 0)
            tellUser (failureTitle, openerName + " could not open \"" + it->target
                                      + "\" (exit code " + juce::String (code) + ").");

        it = children.erase (it);
    }

    if (children.empty())
        stopTimer();
}
