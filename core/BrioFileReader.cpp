#include "BrioFileReader.h"

#include "BrioRegularFile.h"

namespace BrioFileReader
{

juce::Result readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& bytes)
{
    bytes.reset();

    // The rules themselves are plain C++, shared with the stand-in host.
    std::vector<unsigned char> read;
    std::string reason;

    if (BrioRegularFile::read (file.getFullPathName().toRawUTF8(), maxBytes, read, reason) != BrioRegularFile::Outcome::read)
        return juce::Result::fail ("\"" + file.getFullPathName() + "\" "
                                   + juce::String (juce::CharPointer_UTF8 (reason.c_str())) + ".");

    bytes.replaceAll (read.data(), read.size());
    return juce::Result::ok();
}

} // namespace BrioFileReader
