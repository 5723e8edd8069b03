#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

//==============================================================================
/**
    Parses XML that comes from outside the plug-in: host state blocks, preset files,
    clipboard text, the settings files in the shared folder and news replies.

    JUCE's XML parser and strings trust their input. Hostile text can make the parser
    loop forever (a processing instruction followed by text inside an element), read
    past the end of its buffer (a character reference cut short, or an unknown reference
    whose name it parses again as markup), recurse until the stack runs out (deep
    nesting) or expand entities without bound (a document type); malformed or overlong
    UTF-8 makes JUCE's strings measure and copy text differently, past the end of their
    allocation. So text is checked against the plain markup we and our servers write
    before the parser sees it:

    - strict UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF;
    - no document type or other declaration; comments and CDATA sections are fine;
    - no processing instruction except a leading XML declaration;
    - every '&' starts one of XML's five named references or a complete numeric one
      naming a character that JUCE's strings hold unchanged (1 to 0x3FFFFF: what JUCE's
      own XML writer may put out, whatever bytes a string was made from);
    - no more bytes and element tags than the caller allows;
    - a whole document: the root element closed ("/>" or an end tag of its name) and only
      whitespace and comments after it. JUCE's parser hands back the root of a text cut
      off inside its start tag as complete, and ignores whatever follows the root.

    The text ends at its first zero byte, as it does for JUCE's strings. Text that fails
    a check is refused whole; nothing is parsed from it.
*/
namespace BrioXmlGuard
{
    /** What a caller accepts. The parser recurses once per nesting level, so the tag
        count also bounds its stack use. */
    struct Limits
    {
        size_t maxBytes;
        int maxElementTags;
    };

    /** True when the bytes are well-formed UTF-8 under the strict rules above. */
    bool isStrictUtf8 (const char* bytes, size_t numBytes);

    /** True when the text, up to its first zero byte, passes every check. */
    bool isSafeToParse (const char* utf8, size_t numBytes, Limits limits);

    /** The root element of the text, or null when the text is refused or isn't XML. */
    std::unique_ptr<juce::XmlElement> parse (const char* utf8, size_t numBytes, Limits limits);
    std::unique_ptr<juce::XmlElement> parse (const juce::String& text, Limits limits);

    /** Parses the bytes of a whole document, after a UTF-8 byte-order mark if it has one. */
    std::unique_ptr<juce::XmlElement> parseDocument (const juce::MemoryBlock& bytes, Limits limits);

    /** Reads (BrioFileReader: regular files only, at most the byte limit) and parses a
        whole file; null when the file is refused or holds no acceptable document. */
    std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file, Limits limits);
}
