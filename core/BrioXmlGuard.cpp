#include "BrioXmlGuard.h"

#include "BrioFileReader.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace BrioXmlGuard
{

namespace
{
    constexpr auto npos = std::string_view::npos;

    /** Length of the well-formed UTF-8 sequence at the start of the bytes, or 0. */
    size_t utf8SequenceLength (const juce::uint8* bytes, size_t available)
    {
        const auto lead = bytes[0];

        if (lead < 0x80)
            return 1;

        const auto length = lead >= 0xc2 && lead <= 0xdf ? 2u
                          : lead >= 0xe0 && lead <= 0xef ? 3u
                          : lead >= 0xf0 && lead <= 0xf4 ? 4u
                                                         : 0u;
        if (length == 0 || length > available)
            return 0;

        // The second byte's range rules out overlong forms, surrogates and code
        // points above U+10FFFF.
        const auto second = bytes[1];
        const auto low  = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
        const auto high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;

        if (second < low || second > high)
            return 0;

        for (size_t i = 2; i < length; ++i)
            if ((bytes[i] & 0xc0) != 0x80)
                return 0;

        return length;
    }

    /** JUCE's strings decode any bytes, file names that aren't UTF-8 included, into
        characters below 0x400000 (surrogates and numbers beyond U+10FFFF among them), keep
        each in at most four bytes that decode back to it, and JUCE's XML writer puts every
        such character out as a numeric reference. So every one of them is let through,
        or text the plug-in wrote itself would not read back; a larger number no JUCE
        string can hold unchanged, and zero would end the text. */
    bool isCharacterJuceKeeps (juce::int64 code)
    {
        return code > 0 && code < 0x400000;
    }

    /** The characters XML 1.0 allows, and expat with it. */
    bool isXmlCharacter (juce::int64 code)
    {
        return code == 0x09 || code == 0x0a || code == 0x0d
            || (code >= 0x20 && code <= 0xd7ff)
            || (code >= 0xe000 && code <= 0xfffd)
            || (code >= 0x10000 && code <= 0x10ffff);
    }

    /** The text as expat is to judge it, which differs from the text only in numeric
        references, byte for byte, so that markup stays where it was. A reference to a
        character JUCE keeps but XML forbids (a control character, a surrogate, a number
        beyond U+10FFFF: JUCE's writer puts them out) names a tab instead. A reference with
        more digits than JUCE's parser takes (8 hexadecimal, 12 decimal), which it reads
        as another character followed by text, names zero, which expat refuses. In a
        comment or CDATA section such text is no reference, and the change is harmless. */
    std::string textForExpat (std::string_view doc)
    {
        std::string text (doc);

        for (auto pos = text.find ("&#"); pos != npos; pos = text.find ("&#", pos + 2))
        {
            auto first = pos + 2;
            const auto isHex = first < text.size() && (text[first] == 'x' || text[first] == 'X');
            first += isHex ? 1 : 0;

            const auto last = text.find_first_not_of (isHex ? "0123456789abcdefABCDEF" : "0123456789", first);

            if (last == npos || last == first || text[last] != ';')
                continue;   // no reference: expat judges it as it stands

            if (isHex)
                text[first - 1] = 'x';   // JUCE reads "&#X" too; XML spells it "&#x"

            const auto digits = text.begin() + (std::ptrdiff_t) first;
            const auto end = text.begin() + (std::ptrdiff_t) last;

            if (last - first > (isHex ? 8u : 12u))
            {
                std::fill (digits, end, '0');
                continue;
            }

            juce::int64 code = 0;

            for (auto c = digits; c != end; ++c)
                code = code * (isHex ? 16 : 10) + juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) *c);

            if (isCharacterJuceKeeps (code) && ! isXmlCharacter (code))
            {
                std::fill (digits, end, '0');
                *(end - 1) = '9';
            }
        }

        return text;
    }

    /** What the expat handlers refuse: processing instructions, on which JUCE's parser
        loops forever when text follows inside an element (expat hands the XML declaration
        to another handler), document types, whose entities JUCE would expand without
        bound, and more element tags than the caller allows. */
    struct ParseLimits
    {
        XML_Parser parser;
        int elementTagsLeft;

        static void XMLCALL startElement (void* data, const XML_Char*, const XML_Char**)
        {
            auto& limits = *static_cast<ParseLimits*> (data);

            if (--limits.elementTagsLeft < 0)
                refuse (data);
        }

        static void XMLCALL processingInstruction (void* data, const XML_Char*, const XML_Char*)
        {
            refuse (data);
        }

        static void XMLCALL documentType (void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
        {
            refuse (data);
        }

        static void refuse (void* data)
        {
            XML_StopParser (static_cast<ParseLimits*> (data)->parser, XML_FALSE);
        }
    };

    /** Whether expat finds the text a well-formed document within the limits. */
    bool isWellFormed (std::string_view doc, int maxElementTags)
    {
        // JUCE's parser skips whitespace in front of the XML declaration; expat wants
        // the declaration first.
        doc.remove_prefix (std::min (doc.size(), doc.find_first_not_of (" \t\r\n")));

        // UTF-8 whatever the declaration says, as JUCE reads the text.
        const std::unique_ptr<XML_ParserStruct, decltype (&XML_ParserFree)> parser (XML_ParserCreate ("UTF-8"),
                                                                                   &XML_ParserFree);
        if (parser == nullptr)
            return false;

        ParseLimits limits { parser.get(), maxElementTags };
        XML_SetUserData (parser.get(), &limits);
        XML_SetStartElementHandler (parser.get(), &ParseLimits::startElement);
        XML_SetProcessingInstructionHandler (parser.get(), &ParseLimits::processingInstruction);
        XML_SetStartDoctypeDeclHandler (parser.get(), &ParseLimits::documentType);

        const auto text = textForExpat (doc);
        return XML_Parse (parser.get(), text.data(), (int) text.size(), XML_TRUE) == XML_STATUS_OK;
    }

    std::string_view upToFirstZero (const char* text, size_t numBytes)
    {
        const auto* zero = static_cast<const char*> (std::memchr (text, 0, numBytes));
        return { text, zero != nullptr ? (size_t) (zero - text) : numBytes };
    }
}

//==============================================================================
bool isStrictUtf8 (const char* bytes, size_t numBytes)
{
    const auto* data = reinterpret_cast<const juce::uint8*> (bytes);

    for (size_t i = 0; i < numBytes;)
    {
        const auto length = utf8SequenceLength (data + i, numBytes - i);

        if (length == 0)
            return false;

        i += length;
    }

    return true;
}

bool isSafeToParse (const char* utf8, size_t numBytes, Limits limits)
{
    if (utf8 == nullptr || numBytes > limits.maxBytes || numBytes > (size_t) std::numeric_limits<int>::max())
        return false;

    const auto doc = upToFirstZero (utf8, numBytes);

    return isStrictUtf8 (doc.data(), doc.size())
        && isWellFormed (doc, limits.maxElementTags);
}

std::unique_ptr<juce::XmlElement> parse (const char* utf8, size_t numBytes, Limits limits)
{
    if (! isSafeToParse (utf8, numBytes, limits))
        return {};

    const auto doc = upToFirstZero (utf8, numBytes);

    // JUCE's string reads the first byte even of an empty range, and the bytes need
    // not be followed by a zero (a file holding only a byte-order mark).
    if (doc.empty())
        return {};

    // A trailing newline, which XML ignores there, keeps any step the parser takes past
    // the last character inside the text.
    const auto text = juce::String (juce::CharPointer_UTF8 (doc.data()),
                                    juce::CharPointer_UTF8 (doc.data() + doc.size())) + "\n";

    return juce::XmlDocument (text).getDocumentElement (false);
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text, Limits limits)
{
    return parse (text.toRawUTF8(), text.getNumBytesAsUTF8(), limits);
}

std::unique_ptr<juce::XmlElement> parseDocument (const juce::MemoryBlock& bytes, Limits limits)
{
    // Text editors may put a byte-order mark in front.
    const auto* text = static_cast<const char*> (bytes.getData());
    auto numBytes = bytes.getSize();

    if (numBytes >= 3 && juce::CharPointer_UTF8::isByteOrderMark (text))
    {
        text += 3;
        numBytes -= 3;
    }

    return parse (text, numBytes, limits);
}

std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file, Limits limits)
{
    juce::MemoryBlock bytes;

    if (BrioFileReader::readRegularFile (file, limits.maxBytes, bytes).failed())
        return {};

    return parseDocument (bytes, limits);
}

} // namespace BrioXmlGuard
