#include "BrioFileReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BrioFileReader
{

namespace
{
    juce::Result failure (const juce::File& file, const juce::String& reason)
    {
        return juce::Result::fail ("\"" + file.getFullPathName() + "\" " + reason + ".");
    }

    juce::String lastSystemError()
    {
        return juce::String (juce::CharPointer_UTF8 (std::strerror (errno)));
    }

    /** Closes the descriptor on every way out. */
    struct ScopedDescriptor
    {
        explicit ScopedDescriptor (int d) noexcept  : descriptor (d) {}
        ~ScopedDescriptor()                           { if (descriptor >= 0) ::close (descriptor); }

        const int descriptor;

        JUCE_DECLARE_NON_COPYABLE (ScopedDescriptor)
    };

    /** Reads until the end, or until more than maxBytes have come. */
    juce::Result readAll (const juce::File& file, int descriptor, size_t maxBytes, juce::MemoryOutputStream& out)
    {
        char chunk[16384];

        for (;;)
        {
            const auto numRead = ::read (descriptor, chunk, sizeof (chunk));

            if (numRead == 0)
                return juce::Result::ok();

            if (numRead < 0)
            {
                if (errno == EINTR)
                    continue;

                return failure (file, "could not be read: " + lastSystemError());
            }

            if (out.getDataSize() + (size_t) numRead > maxBytes)
                return failure (file, "is larger than " + juce::String ((juce::uint64) maxBytes) + " bytes");

            out.write (chunk, (size_t) numRead);
        }
    }
}

juce::Result readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& bytes)
{
    bytes.reset();
    const auto* path = file.getFullPathName().toRawUTF8();

    // Looked at before opening, so that no device is ever opened (opening some has
    // effects of its own); checked again on what was opened, as the name may have been
    // swapped in between. JUCE's streams would wait in open() on a named pipe, hence
    // the system calls.
    struct stat info {};

    if (::stat (path, &info) != 0)
        return failure (file, "could not be opened: " + lastSystemError());

    if (! S_ISREG (info.st_mode))
        return failure (file, "is not a regular file");

    if ((juce::uint64) info.st_size > (juce::uint64) maxBytes)
        return failure (file, "is larger than " + juce::String ((juce::uint64) maxBytes) + " bytes");

    const ScopedDescriptor opened (::open (path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (opened.descriptor < 0)
        return failure (file, "could not be opened: " + lastSystemError());

    if (::fstat (opened.descriptor, &info) != 0 || ! S_ISREG (info.st_mode))
        return failure (file, "is not a regular file");

    auto result = juce::Result::ok();

    {
        // The stream trims the block to what it wrote when it goes.
        juce::MemoryOutputStream out (bytes, false);
        result = readAll (file, opened.descriptor, maxBytes, out);
    }

    if (result.failed())
        bytes.reset();

    return result;
}

} // namespace BrioFileReader
