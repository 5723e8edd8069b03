#include "BrioFileReader.h"

#include "BrioRegularFile.h"

#include <fcntl.h>

namespace BrioFileReader
{

juce::Result readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& bytes)
{
    return readRegularFile (AT_FDCWD, file.getFullPathName(), file.getFullPathName(), maxBytes, bytes);
}

juce::Result readRegularFile (int folderFd, const juce::String& name, const juce::String& shownPath,
                              size_t maxBytes, juce::MemoryBlock& bytes)
{
    bytes.reset();

    // The rules themselves are plain C++, shared with the stand-in host.
    std::vector<unsigned char> read;
    std::string reason;

    if (BrioRegularFile::readAt (folderFd, name.toRawUTF8(), maxBytes, read, reason) != BrioRegularFile::Outcome::read)
        return juce::Result::fail ("\"" + shownPath + "\" " + juce::String (juce::CharPointer_UTF8 (reason.c_str())) + ".");

    bytes.replaceAll (read.data(), read.size());
    return juce::Result::ok();
}

} // namespace BrioFileReader
