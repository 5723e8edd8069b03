#include "BrioRegularFile.h"

#include "BrioScopedDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BrioRegularFile
{

namespace
{
    /** The outcome of a failed call, with its error as the reason. */
    Outcome failure (Outcome fileOutcome, const char* what, std::string& reason)
    {
        const auto error = errno;
        reason = what + std::string (": ") + std::strerror (error);
        return isFailureOfTheProcess (error) ? Outcome::failed : fileOutcome;
    }

    std::string tooLargeReason (std::size_t maxBytes)
    {
        return "is larger than " + std::to_string (maxBytes) + " bytes";
    }

    /** Reads until the end, or until more than maxBytes have come. */
    Outcome readAll (int descriptor, std::size_t maxBytes, std::vector<unsigned char>& bytes, std::string& reason)
    {
        unsigned char piece[16384];

        for (;;)
        {
            const auto numRead = ::read (descriptor, piece, sizeof (piece));

            if (numRead == 0)
                return Outcome::read;

            if (numRead < 0)
            {
                if (errno == EINTR)
                    continue;

                return failure (Outcome::cannotRead, "could not be read", reason);
            }

            if (bytes.size() + (std::size_t) numRead > maxBytes)
            {
                reason = tooLargeReason (maxBytes);
                return Outcome::tooLarge;
            }

            bytes.insert (bytes.end(), piece, piece + numRead);
        }
    }

    Outcome openAndRead (int folderFd, const char* path, std::size_t maxBytes, std::vector<unsigned char>& bytes,
                         std::string& reason)
    {
        // Looked at before opening, so that no device is ever opened (opening some has
        // effects of its own); checked again on what was opened, as the name may have been
        // swapped in between. O_NONBLOCK: a pipe swapped in meanwhile must not hold open().
        struct stat info {};

        if (::fstatat (folderFd, path, &info, 0) != 0)
            return failure (Outcome::cannotOpen, "could not be opened", reason);

        if (! S_ISREG (info.st_mode))
        {
            reason = "is not a regular file";
            return Outcome::notRegular;
        }

        if ((unsigned long long) info.st_size > (unsigned long long) maxBytes)
        {
            reason = tooLargeReason (maxBytes);
            return Outcome::tooLarge;
        }

        const BrioScopedDescriptor opened (::openat (folderFd, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

        if (opened.descriptor < 0)
            return failure (Outcome::cannotOpen, "could not be opened", reason);

        if (::fstat (opened.descriptor, &info) != 0)
            return failure (Outcome::cannotRead, "could not be read", reason);

        if (! S_ISREG (info.st_mode))
        {
            reason = "is not a regular file";
            return Outcome::notRegular;
        }

        return readAll (opened.descriptor, maxBytes, bytes, reason);
    }
}

bool isFailureOfTheProcess (int error) noexcept
{
    // Only these speak of the file itself: it is not permitted, leads nowhere or in a loop,
    // or is something no plain read can take. Any other error (no descriptor or memory
    // left, an I/O error, a network mount's server gone, an interrupted call) may pass, and
    // says nothing against the file.
    const auto belongsToTheFile = error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR
                                    || error == ELOOP || error == ENAMETOOLONG || error == EISDIR
                                    || error == ENXIO || error == ENODEV || error == EOVERFLOW
                                    || error == EFBIG;
    return ! belongsToTheFile;
}

Outcome read (const char* path, std::size_t maxBytes, std::vector<unsigned char>& bytes, std::string& reason)
{
    return readAt (AT_FDCWD, path, maxBytes, bytes, reason);
}

Outcome readAt (int folderFd, const char* path, std::size_t maxBytes, std::vector<unsigned char>& bytes, std::string& reason)
{
    bytes.clear();
    reason.clear();
    const auto outcome = openAndRead (folderFd, path, maxBytes, bytes, reason);

    if (outcome != Outcome::read)
        bytes.clear();

    return outcome;
}

} // namespace BrioRegularFile
