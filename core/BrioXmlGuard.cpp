#include "BrioXmlGuard.h"

#include "BrioFileReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
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

    /** A complete numeric reference "&#...;" or "&#x...;" naming a character starts
        the text. The digit limits are the parser's own. */
    bool startsWithCharacterReference (std::string_view text)
    {
        if (text.substr (0, 2) != "&#")
            return false;

        auto digits = text.substr (2);
        const auto isHex = ! digits.empty() && (digits[0] == 'x' || digits[0] == 'X');

        if (isHex)
            digits.remove_prefix (1);

        const auto end = digits.find_first_not_of (isHex ? "0123456789abcdefABCDEF" : "0123456789");

        if (end == 0 || end == npos || digits[end] != ';' || end > (isHex ? 8u : 12u))
            return false;

        juce::int64 code = 0;

        for (const auto c : digits.substr (0, end))
            code = code * (isHex ? 16 : 10) + juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) c);

        return isCharacterJuceKeeps (code);
    }

    /** The parser reads past the end of the text after a numeric reference cut short,
        and parses an unknown reference's name again as markup, on its own and past its
        end ("&<" is the simplest form of that). */
    bool hasOnlyKnownReferences (std::string_view doc)
    {
        for (auto pos = doc.find ('&'); pos != npos; pos = doc.find ('&', pos + 1))
        {
            const auto rest = doc.substr (pos);
            bool known = startsWithCharacterReference (rest);

            for (const auto* name : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
                known = known || rest.substr (0, std::strlen (name)) == name;

            if (! known)
                return false;
        }

        return true;
    }

    /** The parser loops forever on a processing instruction followed by text inside
        an element; the XML declaration at the start is the only one we need. */
    bool hasOnlyLeadingDeclaration (std::string_view doc)
    {
        auto body = doc;
        const auto start = doc.find_first_not_of (" \t\r\n");

        if (start != npos && doc.substr (start, 5) == "<?xml")
        {
            const auto end = doc.find ("?>", start);

            if (end == npos)
                return false;

            body = doc.substr (end + 2);
        }

        return body.find ("<?") == npos;
    }

    /** Refuses declarations ("<!DOCTYPE", "<!ENTITY", ...), whose entities could
        expand without bound, and counts the tags that open an element, each of which
        may add a level to the parser's recursion. Closing tags, comments, CDATA
        sections and the declaration don't. */
    bool hasPlainTags (std::string_view doc, int maxElementTags)
    {
        int numTags = 0;

        for (auto pos = doc.find ('<'); pos != npos; pos = doc.find ('<', pos + 1))
        {
            const auto next = doc.substr (pos + 1);

            if (next.substr (0, 1) == "!")
            {
                if (next.substr (0, 3) != "!--" && next.substr (0, 8) != "![CDATA[")
                    return false;
            }
            else if (next.substr (0, 1) != "/" && next.substr (0, 1) != "?" && ++numTags > maxElementTags)
            {
                return false;
            }
        }

        return true;
    }

    constexpr const char* whitespace = " \t\r\n";

    /** Skips whitespace and complete comments; npos when a comment is left open. */
    size_t skipBlanksAndComments (std::string_view doc, size_t pos)
    {
        for (;;)
        {
            pos = doc.find_first_not_of (whitespace, pos);

            if (pos == npos || doc.substr (pos, 4) != "<!--")
                return pos == npos ? doc.size() : pos;

            const auto end = doc.find ("-->", pos + 4);

            if (end == npos)
                return npos;

            pos = end + 3;
        }
    }

    /** The end of the start tag at pos ('<'), past its '>', or npos when the text ends
        first; a quoted value may hold '>'. */
    size_t endOfStartTag (std::string_view doc, size_t pos)
    {
        for (++pos; pos < doc.size(); ++pos)
        {
            const auto c = doc[pos];

            if (c == '>')
                return pos + 1;

            if (c == '"' || c == '\'')
            {
                pos = doc.find (c, pos + 1);

                if (pos == npos)
                    return npos;
            }
        }

        return npos;
    }

    /** JUCE's parser hands back the root element of a text that ends inside its start
        tag, and ignores whatever follows the root. So the text must close its root, with
        "/>" or with an end tag of its name, and hold only whitespace and comments after
        it. Other checks have refused declarations and processing instructions past the
        leading XML declaration. */
    bool closesRootElement (std::string_view doc)
    {
        auto pos = doc.find_first_not_of (whitespace);

        if (pos != npos && doc.substr (pos, 5) == "<?xml")
        {
            const auto end = doc.find ("?>", pos);
            pos = end == npos ? npos : end + 2;
        }

        pos = pos == npos ? npos : skipBlanksAndComments (doc, pos);

        if (pos == npos || pos + 1 >= doc.size() || doc[pos] != '<' || doc.find_first_of ("!/?", pos + 1) == pos + 1)
            return false;

        const auto nameEnd = std::min (doc.size(), doc.find_first_of (" \t\r\n/>", pos + 1));
        const auto rootName = doc.substr (pos + 1, nameEnd - pos - 1);

        for (int depth = 0; (pos = doc.find ('<', pos)) != npos;)
        {
            const auto rest = doc.substr (pos);

            if (rest.substr (0, 4) == "<!--" || rest.substr (0, 9) == "<![CDATA[")
            {
                const auto end = doc.find (rest[2] == '[' ? "]]>" : "-->", pos + 4);

                if (end == npos)
                    return false;

                pos = end + 3;
            }
            else if (rest.substr (0, 2) == "</")
            {
                const auto end = doc.find ('>', pos);

                if (end == npos || --depth < 0)
                    return false;

                if (depth == 0)
                {
                    auto name = doc.substr (pos + 2, end - pos - 2);
                    name = name.substr (0, name.find_last_not_of (whitespace) + 1);

                    return name == rootName && skipBlanksAndComments (doc, end + 1) == doc.size();
                }

                pos = end + 1;
            }
            else
            {
                const auto end = endOfStartTag (doc, pos);

                if (end == npos)
                    return false;

                if (doc[end - 2] != '/')
                    ++depth;
                else if (depth == 0)
                    return skipBlanksAndComments (doc, end) == doc.size();

                pos = end;
            }
        }

        return false;
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
        && hasOnlyLeadingDeclaration (doc)
        && hasPlainTags (doc, limits.maxElementTags)
        && hasOnlyKnownReferences (doc)
        && closesRootElement (doc);
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
