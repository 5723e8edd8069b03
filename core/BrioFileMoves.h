#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <sys/stat.h>

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

    /** Gives the file the target as a second name, only when no entry of that name exists
        (a link is linked itself, not what it leads to): 0, or the error (EEXIST when the
        name is taken). */
    int linkWithoutReplacing (const juce::File& file, const juce::File& target);

    enum class CopyResult
    {
        copied,
        nameTaken,          // something has the target's name; it is left as it is
        unreadableSource,   // missing, not permitted, or no regular file
        failed              // the source could not be opened for a fault of the process or
                            // the device (no descriptor left, an I/O error), or a write, the
                            // flush or the naming failed: nothing has the name
    };

    /** Copies the file to the target only when no entry of that name exists. The copy
        takes its name only once every byte of the source is written and flushed (JUCE's
        copyFileTo reports a cut copy on a full disk as a success). Until then it is an
        unnamed file (O_TMPFILE) that a crash takes with it or, on a file system without
        those, a dot-name without any extension that removeUnfinishedCopies clears. */
    CopyResult copyToNewFile (const juce::File& source, const juce::File& target);

    /** Runs once the new file is whole, just before it takes the target's name; false
        keeps it from doing so. */
    using BeforeReplacing = std::function<bool()>;

    /** Writes the bytes as a new file that replaces whatever has the target's name, only
        once every write, the size and the flush have been checked: until then an unnamed
        file (O_TMPFILE) in the target's folder, or, on a file system without those, a
        locked dot-name; what a write killed under a dot-name left in the folder is removed
        first (removeUnfinishedCopies). Any failure, and false from beforeReplacing, leave
        the target as it was and nothing of the new file. Fills written, when given, with
        the new file's status. Not JUCE's replaceWithData, which misses a short write, nor
        its TemporaryFile, which deletes the target when the rename fails and then copies
        through an unchecked stream. */
    bool replaceWithNewFile (const juce::File& target, const void* data, size_t size,
                             const BeforeReplacing& beforeReplacing = {}, struct stat* written = nullptr);

    /** Removes from the folder the dot-named files that a copy or a write made and a
        process left when it ended before finishing; never one that is still being
        written, nor another file whose name merely starts the same way. */
    void removeUnfinishedCopies (const juce::File& folder);

    /** As above, in the folder the descriptor stands for, which stays the caller's. */
    void removeUnfinishedCopiesIn (int folderFd);
}
