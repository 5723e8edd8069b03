#pragma once

#include <cstddef>
#include <string>
#include <vector>

//==============================================================================
/**
    The rules for reading a file that someone else may have put under a name, in plain
    C++ so that programs without JUCE (the stand-in host) keep them too.

    Anything can stand under a file's name: a named pipe, whose opening waits for a writer
    for ever; a link to a device such as /dev/zero, which never ends while reporting a
    size of 0; a folder; a file that is still growing. So only regular files are read
    (after following links), opening never waits, and the byte limit is checked against
    what is actually read, not against the size the file system reports.
*/
namespace BrioRegularFile
{
    enum class Outcome
    {
        read,            // bytes hold the whole file
        cannotOpen,      // missing, or not permitted
        notRegular,      // a folder, pipe, device or socket under the name
        tooLarge,        // more than maxBytes
        cannotRead,      // an error while reading
        failed           // the process or the device failed (no descriptor or memory left, an
                         // I/O error): nothing is known of the file
    };

    /** True for the errors that belong to the process or the device rather than to the
        file: out of descriptors or memory, an I/O error, a network mount's server gone, an
        interrupted call; anything but a file not permitted, leading nowhere or in a loop,
        or one that no plain read can take (a device without a driver, a size beyond reach). */
    bool isFailureOfTheProcess (int error) noexcept;

    /** Reads the whole file into bytes. Unless the outcome is `read`, bytes is empty and
        reason says why, as words that follow the file's name ("is not a regular file"). */
    Outcome read (const char* path, std::size_t maxBytes, std::vector<unsigned char>& bytes, std::string& reason);

    /** As read(), with a relative path taken from the folder that folderFd stands for
        (openat's rules): no folder on the way is looked up by its path again. */
    Outcome readAt (int folderFd, const char* path, std::size_t maxBytes, std::vector<unsigned char>& bytes,
                    std::string& reason);
}
