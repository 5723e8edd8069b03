#include "BrioFileReader.h"

#include <cstring>
#include <fcntl.h>

namespace BrioFileReader
{

juce::Result readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& bytes,
                              BrioRegularFile::Outcome* outcome)
{
    return readRegularFile (AT_FDCWD, file.getFullPathName(), file.getFullPathName(), maxBytes, bytes, outcome);
}

juce::Result readRegularFile (int folderFd, const juce::String& name, const juce::String& shownPath,
                              size_t maxBytes, juce::MemoryBlock& bytes, BrioRegularFile::Outcome* outcome)
{
    bytes.reset();

    // The rules themselves are plain C++, shared with the stand-in host.
    std::vector<unsigned char> read;
    std::string reason;

    const auto result = BrioRegularFile::readAt (folderFd, name.toRawUTF8(), maxBytes, read, reason);

    if (outcome != nullptr)
        *outcome = result;

    if (result != BrioRegularFile::Outcome::read)
        return juce::Result::fail ("\"" + shownPath + "\" " + juce::String (juce::CharPointer_UTF8 (reason.c_str())) + ".");

    bytes.replaceAll (read.data(), read.size());
    return juce::Result::ok();
}

bool haveSameBytes (const juce::MemoryBlock& a, const juce::MemoryBlock& b) noexcept
{
    return a.getSize() == b.getSize() && (a.isEmpty() || std::memcmp (a.getData(), b.getData(), a.getSize()) == 0);
}

} // namespace BrioFileReader
