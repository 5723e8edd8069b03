#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Moves and copies in the shared folders that never take a name from another file:
    between a check that a name is free and a rename, anybody may put a file there,
    and a plain rename or JUCE's copyFileTo would replace it.
*/
namespace BrioFileMoves
{
    /** Renames the file to the target only when no entry of that name exists: 0, or the
        error (EEXIST when the name is taken). Renamed only, never copied: JUCE's
        moveFileTo copies the whole file when the rename fails. */
    int moveWithoutReplacing (const juce::File& file, const juce::File& target);

    /** As above, for the file of that name in the folder folderFd stands for: whatever
        the folder's path leads to by now, the file is taken from that folder. */
    int moveWithoutReplacing (int folderFd, const juce::String& name, const juce::File& target);

    /** Copies the file to the target only when no entry of that name exists; whatever
        has the name is left as it is. The copy appears whole or not at all. */
    bool copyToNewFile (const juce::File& source, const juce::File& target);
}
