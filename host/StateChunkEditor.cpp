#include "StateChunkEditor.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tanglefix::host
{

namespace
{
    constexpr std::uint32_t magicXmlNumber = 0x21324356;
    constexpr size_t headerSize = 8;

    std::uint32_t readLittleEndian (const std::vector<unsigned char>& data, size_t offset)
    {
        return (std::uint32_t) data[offset] | ((std::uint32_t) data[offset + 1] << 8)
             | ((std::uint32_t) data[offset + 2] << 16) | ((std::uint32_t) data[offset + 3] << 24);
    }

    void writeLittleEndian (std::vector<unsigned char>& data, size_t offset, std::uint32_t value)
    {
        for (size_t i = 0; i < 4; ++i)
            data[offset + i] = (unsigned char) (value >> (8 * i));
    }

    /** The XML text of a chunk, or nothing when the chunk is not JUCE's binary XML. */
    std::optional<std::string> xmlText (const std::vector<unsigned char>& data)
    {
        if (data.size() <= headerSize || readLittleEndian (data, 0) != magicXmlNumber)
            return std::nullopt;

        const auto length = (size_t) readLittleEndian (data, 4);

        if (length == 0 || length > data.size() - headerSize)
            return std::nullopt;

        return std::string (data.begin() + (std::ptrdiff_t) headerSize,
                            data.begin() + (std::ptrdiff_t) (headerSize + length));
    }

    struct StartTag
    {
        size_t begin = 0;   // the '<'
        size_t end = 0;     // the closing '>' (or the '/' of "/>")
    };

    /** The root element's start tag: the first tag that is no declaration or comment. */
    std::optional<StartTag> findRootStartTag (const std::string& xml)
    {
        for (size_t pos = xml.find ('<'); pos != std::string::npos; pos = xml.find ('<', pos + 1))
        {
            if (pos + 1 >= xml.size() || xml[pos + 1] == '?' || xml[pos + 1] == '!')
                continue;

            char quote = 0;

            for (size_t i = pos + 1; i < xml.size(); ++i)
            {
                const auto c = xml[i];

                if (quote != 0)
                    quote = c == quote ? 0 : quote;
                else if (c == '"' || c == '\'')
                    quote = c;
                else if (c == '>')
                    return StartTag { pos, xml[i - 1] == '/' ? i - 1 : i };
            }

            return std::nullopt;
        }

        return std::nullopt;
    }

    /** Where the value of an attribute starts inside the tag (after its opening quote). */
    std::optional<size_t> findAttributeValue (const std::string& xml, const StartTag& tag, const std::string& name)
    {
        for (auto pos = xml.find (" " + name + "=", tag.begin); pos != std::string::npos && pos < tag.end;
             pos = xml.find (" " + name + "=", pos + 1))
        {
            const auto quotePos = pos + name.size() + 2;

            if (quotePos < tag.end && (xml[quotePos] == '"' || xml[quotePos] == '\''))
                return quotePos + 1;
        }

        return std::nullopt;
    }

    void setAttribute (std::string& xml, const std::string& name, const std::string& value)
    {
        const auto tag = *findRootStartTag (xml);

        if (const auto start = findAttributeValue (xml, tag, name))
        {
            const auto end = xml.find (xml[*start - 1], *start);
            xml.replace (*start, end - *start, value);
        }
        else
        {
            xml.insert (tag.end, " " + name + "=\"" + value + "\"");
        }
    }
}

bool StateChunkEditor::setRootAttributes (std::vector<unsigned char>& chunkData, const Attributes& attributes,
                                          std::string& errorMessage)
{
    auto xml = xmlText (chunkData);

    if (! xml.has_value() || ! findRootStartTag (*xml).has_value())
    {
        errorMessage = "the plug-in's state chunk is not in the form the host can change";
        return false;
    }

    for (const auto& [name, value] : attributes)
        setAttribute (*xml, name, value);

    // The length excludes the terminating zero, as JUCE writes it.
    chunkData.assign (headerSize, 0);
    writeLittleEndian (chunkData, 0, magicXmlNumber);
    writeLittleEndian (chunkData, 4, (std::uint32_t) xml->size());
    chunkData.insert (chunkData.end(), xml->begin(), xml->end());
    chunkData.push_back (0);
    return true;
}

std::string StateChunkEditor::getRootAttribute (const std::vector<unsigned char>& chunkData, const std::string& name)
{
    const auto xml = xmlText (chunkData);
    const auto tag = xml.has_value() ? findRootStartTag (*xml) : std::nullopt;

    if (! tag.has_value())
        return {};

    const auto start = findAttributeValue (*xml, *tag, name);

    if (! start.has_value())
        return {};

    return xml->substr (*start, xml->find ((*xml)[*start - 1], *start) - *start);
}

std::string StateChunkEditor::getRootElementName (const std::vector<unsigned char>& chunkData)
{
    const auto xml = xmlText (chunkData);
    const auto tag = xml.has_value() ? findRootStartTag (*xml) : std::nullopt;

    if (! tag.has_value())
        return {};

    const auto end = xml->find_first_of (" \t\r\n/>", tag->begin + 1);
    return xml->substr (tag->begin + 1, std::min (end, tag->end) - tag->begin - 1);
}

} // namespace tanglefix::host
