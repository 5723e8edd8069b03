#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Moves files into the desktop's trash by the freedesktop.org rules, so that a file
    manager lists them and can put them back: the file goes into the trash's "files"
    folder and an entry in its "info" folder records where it came from and when.

    JUCE's File::moveToTrash on Linux only renames into ~/.local/share/Trash/files:
    it writes no entry, so nothing can restore the file, and it fails when that
    folder doesn't exist yet.

    Files from another file system are copied into the home trash and then removed,
    which the rules allow.
*/
struct BrioTrash
{
    /** $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when that variable is unset (File()
        when the home folder's name is not UTF-8). */
    static juce::File getHomeTrash();

    /** Moves the file into the home trash. */
    static juce::Result moveToTrash (const juce::File& file);

    /** Moves the file into the given trash folder, making its "files" and "info"
        folders when they are missing. Fails, leaving the file where it was, when the
        file doesn't exist or the trash can't take it. */
    static juce::Result moveToTrash (const juce::File& file, const juce::File& trash);

    /** A path as the "Path" key of an entry holds it: bytes outside the unreserved URI
        characters and "/" are written as %XX. */
    static juce::String encodePath (const juce::String& path);
};
