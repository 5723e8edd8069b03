#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>

//==============================================================================
/**
    Moves files into the desktop's trash by the freedesktop.org rules, so that a file
    manager lists them and can put them back: the file goes into the trash's "files"
    folder and an entry in its "info" folder records where it came from and when.

    JUCE's File::moveToTrash on Linux only renames into ~/.local/share/Trash/files:
    it writes no entry, so nothing can restore the file, and it fails when that
    folder doesn't exist yet.

    A file is only ever renamed, never copied: a file on another mount than the home
    trash goes to the trash at the top of its own mount ($topdir/.Trash/$uid when the
    administrator made $topdir/.Trash, else $topdir/.Trash-$uid), as the rules say. A
    copy of a large file would block the editor and fill the user's home.
*/
struct BrioTrash
{
    /** $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when that variable is unset (File()
        when the home folder's name is not UTF-8). */
    static juce::File getHomeTrash();

    /** A trash folder, and the folder at the top of its mount for one that is not the
        home trash (its entries name files relative to it). */
    struct Place
    {
        juce::File folder;
        juce::File topFolder;
    };

    /** The trash the file can be renamed into: the home trash on the home trash's mount,
        else one at the top of the file's own mount, made when missing. Nothing when no
        trash there can be used (a link, another user's folder, no right to make one). */
    static std::optional<Place> findTrashFor (const juce::File& file, const juce::File& homeTrash);

    /** Moves the file into the home trash, or the trash of its own mount. */
    static juce::Result moveToTrash (const juce::File& file);

    /** Moves the file into the given home trash folder, or the trash of its own mount,
        making the "files" and "info" folders when they are missing. Fails, leaving the
        file where it was, when the file doesn't exist or no trash can take it without
        a copy. A name in the trash is never taken from another file: the file goes under
        the next free one. beforeMove is called with each name in "files" once its entry
        is made, just before the move: where a test changes the disk at the worst moment. */
    static juce::Result moveToTrash (const juce::File& file, const juce::File& homeTrash,
                                     const std::function<void (const juce::File&)>& beforeMove = {});

    /** As above, for the file of that name in the folder folderFd stands for, known by the
        path file: it is taken from that folder, wherever the path leads by then. */
    static juce::Result moveToTrash (int folderFd, const juce::String& nameInFolder, const juce::File& file,
                                     const juce::File& homeTrash,
                                     const std::function<void (const juce::File&)>& beforeMove = {});

    /** A path as the "Path" key of an entry holds it: bytes outside the unreserved URI
        characters and "/" are written as %XX. */
    static juce::String encodePath (const juce::String& path);
};
