#pragma once

#include <juce_core/juce_core.h>

#include "BrioRegularFile.h"

#include <cstddef>

//==============================================================================
/**
    Reads files that lie in folders other users and applications can write to: the
    presets and the settings files in the shared folder.

    Anything can stand there under a preset's name: a named pipe, whose opening waits
    for a writer for ever; a link to a device such as /dev/zero, which never ends while
    reporting a size of 0; a file that is still growing. So only regular files are read
    (after following links), opening never waits, and the byte limit is checked against
    what is actually read, not against the size the file system reports.
*/
namespace BrioFileReader
{
    /** Reads the whole file into bytes. Fails, with a message naming the file and the
        reason, when the file is missing, is not a regular file, cannot be read or holds
        more than maxBytes; bytes is then empty. Fills outcome, when given, with what
        BrioRegularFile made of it (`failed` when the process or the device failed). */
    juce::Result readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& bytes,
                                  BrioRegularFile::Outcome* outcome = nullptr);

    /** As above, for the file of that name in the folder folderFd stands for; messages
        name it as shownPath. */
    juce::Result readRegularFile (int folderFd, const juce::String& name, const juce::String& shownPath,
                                  size_t maxBytes, juce::MemoryBlock& bytes,
                                  BrioRegularFile::Outcome* outcome = nullptr);

    /** True when the two hold the same bytes. Not JUCE's MemoryBlock comparison, which hands
        memcmp the null data of empty blocks. */
    bool haveSameBytes (const juce::MemoryBlock& a, const juce::MemoryBlock& b) noexcept;
}
