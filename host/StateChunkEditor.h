#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tanglefix::host
{

/** Changes settings inside the plug-in's own state chunk ('juce'), as restoring a session
    would bring them: the chunk is JUCE's binary XML (a little-endian magic number 0x21324356,
    the text's length, then the XML text and a terminating zero), and the settings are
    attributes of its root element. Only what a host needs for settings that are no host
    parameters (oversampling, the limiter); values are plain numbers, so nothing needs
    escaping.
*/
namespace StateChunkEditor
{
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    /** Sets (or adds) the attributes on the root element; false with the reason when the
        data is no binary XML chunk of that form.
    */
    bool setRootAttributes (std::vector<unsigned char>& chunkData, const Attributes& attributes,
                            std::string& errorMessage);

    /** The value of one root attribute, or an empty text when it is missing or unreadable. */
    std::string getRootAttribute (const std::vector<unsigned char>& chunkData, const std::string& name);

    /** The name of the root element, or an empty text when the data is no such chunk. */
    std::string getRootElementName (const std::vector<unsigned char>& chunkData);
}

} // namespace tanglefix::host
