#include "BrioFileMoves.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace BrioFileMoves
{

int moveWithoutReplacing (const juce::File& file, const juce::File& target)
{
    return moveWithoutReplacing (AT_FDCWD, file.getFullPathName(), target);
}

int moveWithoutReplacing (int folderFd, const juce::String& name, const juce::File& target)
{
    const auto* from = name.toRawUTF8();
    const auto* to = target.getFullPathName().toRawUTF8();

    if (::renameat2 (folderFd, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;

    if (errno != EINVAL)
        return errno;

    // A file system without RENAME_NOREPLACE: a hard link also refuses a taken name.
    if (::linkat (folderFd, from, AT_FDCWD, to, 0) != 0)
        return errno;

    if (::unlinkat (folderFd, from, 0) == 0)
        return 0;

    const auto error = errno;
    ::unlink (to);
    return error;
}

bool copyToNewFile (const juce::File& source, const juce::File& target)
{
    // Copied beside the target first, so that no half-written file ever stands under its name.
    const juce::TemporaryFile temp (target);

    return source.existsAsFile() && source.copyFileTo (temp.getFile())
            && moveWithoutReplacing (temp.getFile(), target) == 0;
}

} // namespace BrioFileMoves
