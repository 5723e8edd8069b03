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
    allocation. And it reports success for much that is no XML, often reading less than
    the text holds: a start tag ends at a value without quotes, keeping the attributes
    before it; a text cut off inside the root's start tag is the whole root; any end tag
    closes an element; what follows the root is ignored; names XML forbids are read. So
    before the parser sees a text:

    - it must be strict UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF;
    - expat must find it a well-formed XML 1.0 document, read as UTF-8 whatever its
      declaration says: one root element, closed, every tag and reference whole, only
      comments and whitespace around the root; comments and CDATA sections hold any text;
    - no document type, and no processing instruction (the XML declaration is none);
    - a numeric reference may name any character that JUCE's strings hold unchanged (1 to
      0x3FFFFF: what JUCE's own writer may put out, whatever bytes a string was made
      from, control characters included, which XML forbids), with no more digits than
      JUCE's parser reads;
    - no more bytes and element tags than the caller allows.

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
