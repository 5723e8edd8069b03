#include "BrioXmlGuard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
    constexpr BrioXmlGuard::Limits roomy { 1024 * 1024, 64 };

    std::unique_ptr<juce::XmlElement> guarded (const std::string& text, BrioXmlGuard::Limits limits = roomy)
    {
        return BrioXmlGuard::parse (text.data(), text.size(), limits);
    }

    std::string hex (const std::string& text)
    {
        return juce::String::toHexString (text.data(), (int) text.size()).toStdString();
    }

    std::string repeated (const std::string& piece, int times)
    {
        std::string result;

        for (int i = 0; i < times; ++i)
            result += piece;

        return result;
    }
}

//==============================================================================
TEST (XmlGuard, RefusesTextThatTrapsTheParser)
{
    const std::string texts[] =
    {
        // processing instructions other than a leading declaration: the parser never
        // returns from one followed by text inside an element
        "<a><?x?>t</a>",
        "<a/><?x?>",
        "<?pi?><a/>",
        "<?xml version=\"1.0\"",
        // document types and other declarations, whose entities expand without bound
        "<!DOCTYPE a [<!ENTITY e \"<a>&e;</a>\">]><a>&e;</a>",
        "<!doctype a><a/>",
        "<a><!ENTITY e \"x\"></a>",
        // references cut short, unknown, or naming no character: the parser reads past
        // the end of the text or parses the name again as markup
        "<a>&#x",
        "<a>&#x41",
        "<a x=\"&#65\"/>",
        "<a>&<b>&#x</b>;</a>",
        "<a>&nbsp;</a>",
        "<a>fish & chips</a>",
        "<a>&AMP;</a>",
        "<a>&#;</a>",
        "<a>&#x;</a>",
        "<a>&#x123456789;</a>",
        "<a>&#0;</a>",
        "<a>&#x400000;</a>",
        "<a>&#4194304;</a>",
        "<a>&#xFFFFFFFF;</a>",
        // malformed UTF-8: junk, a cut sequence, overlong forms (which JUCE's strings
        // measure and copy differently), a surrogate, code points beyond U+10FFFF
        "<a\xff\xfe\x80/>",
        "<a x=\"\xe2\x82",
        "<a x=\"\xc0\xbc\"/>",
        "<a x=\"\xe0\x80\xbc\"/>",
        "<a x=\"\xf0\x8b\x96\x99\"/>",
        "<a x=\"\xed\xa0\x80\"/>",
        "<a x=\"\xf4\x90\x80\x80\"/>",
        "<a x=\"\xf8\x88\x80\x80\x80\"/>",
    };

    for (const auto& text : texts)
    {
        EXPECT_FALSE (BrioXmlGuard::isSafeToParse (text.data(), text.size(), roomy)) << hex (text);
        EXPECT_EQ (guarded (text), nullptr) << hex (text);
    }
}

TEST (XmlGuard, ReadsOrdinaryDocuments)
{
    const auto doc = guarded ("\r\n <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made by hand -->"
                            "<a x=\"&lt;&amp;&gt;&quot;&apos;\" y=\"&#65;&#x42;&#X1F3B5;\" z=\"\xe2\x82\xac\">"
                            "<b/><![CDATA[<raw>]]></a>");
    ASSERT_NE (doc, nullptr);
    EXPECT_EQ (doc->getStringAttribute ("x"), "<&>\"'");
    EXPECT_EQ (doc->getStringAttribute ("y"), juce::String (juce::CharPointer_UTF8 ("AB\xf0\x9f\x8e\xb5")));
    EXPECT_EQ (doc->getStringAttribute ("z"), juce::String (juce::CharPointer_UTF8 ("\xe2\x82\xac")));
    EXPECT_EQ (doc->getNumChildElements(), 2);

    // Whatever JUCE writes reads back the same, control characters and all.
    juce::XmlElement written ("settings");
    written.setAttribute ("name", juce::String (juce::CharPointer_UTF8 ("tab\there \"quoted\" & \x01 caf\xc3\xa9")));
    written.createNewChildElement ("child")->addTextElement ("a < b");
    const auto read = BrioXmlGuard::parse (written.toString(), roomy);
    ASSERT_NE (read, nullptr);
    EXPECT_TRUE (read->isEquivalentTo (&written, false));

    // Control characters, which XML forbids even as references, and characters that are
    // no Unicode ones: JUCE writes them all as references, in text and attributes alike.
    juce::String awkward;

    for (juce::juce_wchar c = 1; c < 32; ++c)
        if (c != '\r')                              // the parser reads a lone CR as a newline
            awkward += juce::String::charToString (c);

    for (const juce::juce_wchar c : { 0xfffe, 0xffff, 0xd800, 0xdfff, 0x110000, 0x3fffff })
        awkward += juce::String::charToString (c);

    juce::XmlElement controls ("settings");
    controls.setAttribute ("value", awkward + "\r");
    controls.addTextElement (awkward);
    const auto readControls = BrioXmlGuard::parse (controls.toString(), roomy);
    ASSERT_NE (readControls, nullptr) << controls.toString();
    EXPECT_TRUE (readControls->isEquivalentTo (&controls, false));

    // UTF-8 whatever the declaration says, as JUCE reads it.
    const auto declared = guarded ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a x=\"\xc3\xa9\"/>");
    ASSERT_NE (declared, nullptr);
    EXPECT_EQ (declared->getStringAttribute ("x"), juce::String (juce::CharPointer_UTF8 ("\xc3\xa9")));

    // The text ends at its first zero byte, as JUCE's strings do.
    const std::string withZero ("<a/>\0\xff<?x?>", 10);
    EXPECT_NE (guarded (withZero), nullptr);

    // Text that passes the checks but isn't a document still yields nothing.
    for (const auto* notXml : { "", "plain text", "<a>", "<a><b>" })
        EXPECT_EQ (guarded (notXml), nullptr) << notXml;
}

TEST (XmlGuard, TakesOnlyWholeDocuments)
{
    // JUCE's parser hands back the root of a text cut inside its start tag as complete,
    // closes an element with any end tag, and ignores what follows the root.
    const struct { const char* text; bool whole; } cases[] =
    {
        { "<a x=\"1\"", false },                  // cut inside the start tag
        { "<a x=\"1\" y", false },
        { "<a x=\"1\" y=", false },
        { "<a x=\"1", false },                     // cut inside an attribute
        { "<a x=\"/>", false },
        { "<a><b/>", false },                      // cut after the open tag, with children
        { "<a><b x=\"1\"/></", false },
        { "<a><b></b></a", false },
        { "<a><b></b></c>", false },               // closed by another name
        { "<a/>junk", false },                     // trailing garbage
        { "<a/><b/>", false },
        { "<a></a>x", false },
        { "<a/><!-- open", false },
        { "<a/><!-- done -->\n", true },           // trailing comment
        { " <a x=\"/>\" y='>'/>\n\t \r\n", true },  // whitespace; quoted markup
        { "<a><b>1 > 0</b><!-- </a> --><![CDATA[</a>]]></a >", true },
        { "<?xml version=\"1.0\"?>\n<!-- x --><a/>", true },
        // The parser ends an element at a value without quotes, keeping what it read
        // before, and takes names XML forbids and comments inside tags: every tag must be
        // whole XML, every end tag name the element it closes.
        { "<Tanglefix_GLOBAL_SETTINGS alpha=\"1\" beta=2 gamma=\"3\"/>", false },
        { "<Tanglefix_SETTINGS Frequency=\"0.5\" Emphasis=0.9 Operations=\"0.9\" Gain=\"0.9\"/>", false },
        { "<a x='1' y=z/>", false },
        { "<a x=\"1\"y=\"2\"/>", false },
        { "<a x \"1\"/>", false },
        { "<a x/>", false },
        { "<a x=/>", false },
        { "<a x=\"1\" =\"2\"/>", false },
        { "<a 1x=\"1\"/>", false },
        { "<a -x=\"1\" .y=\"2\"/>", false },
        { "<1a/>", false },
        { "< a/>", false },
        { "<a x=\"1\" <!-- note --> y=\"2\"></a>", false },   // a comment inside a tag
        { "<a><b></b <!-- note -->></a>", false },
        { "<a><b><c></b></c></a>", false },        // end tags naming another element, at depth
        { "<a><b><c/></d></a>", false },
        // comments and CDATA sections hold any text
        { "<!-- fish & chips <?pi?> <!DOCTYPE x> -->\n<a/>", true },
        { "<a><!-- & <?x?> <!y &#0; --><![CDATA[& <?x?> <!y &#x;]]></a><!-- & <?x?> <!y -->", true },
    };

    for (const auto& c : cases)
    {
        const std::string text (c.text);
        EXPECT_EQ (BrioXmlGuard::isSafeToParse (text.data(), text.size(), roomy), c.whole) << text;
        EXPECT_EQ (guarded (text) != nullptr, c.whole) << text;
    }
}

TEST (XmlGuard, ReadsBackWhateverJuceWritesFromAnyBytes)
{
    // Linux file names need not be UTF-8; JUCE turns their bytes into characters that
    // are no Unicode ones (surrogates, numbers beyond U+10FFFF), which its XML writer
    // puts out as numeric references. A preset path in the host state is such a text.
    const char* const names[] = { "/p/\xed\xa0\x80.qzr", "/p/\xf5\x80\x80\x80.qzr", "/p/\xff\xbf\xbf\xbf",
                                  "/p/caf\xe9.qzr", "/p/\xc1\x81" };
    juce::Random random (17);

    for (int i = 0; i < 3000; ++i)
    {
        char bytes[16] = {};

        if (i < (int) std::size (names))
            std::strcpy (bytes, names[i]);
        else
            for (int b = 0; b < 12; ++b)
                bytes[b] = (char) (1 + random.nextInt (255));

        // From a start and an end: JUCE sizes a string made from a bare pointer by the
        // decoded text and then copies the raw bytes, which overlong forms outgrow.
        const auto text = juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + std::strlen (bytes)));
        juce::XmlElement written ("state");
        written.setAttribute ("Preset", text);

        const auto read = BrioXmlGuard::parse (written.toString(), roomy);
        ASSERT_NE (read, nullptr) << hex (bytes) << " " << written.toString();
        ASSERT_EQ (read->getStringAttribute ("Preset"), text) << hex (bytes);
    }
}

TEST (XmlGuard, LimitsCountBytesAndOpeningTags)
{
    const BrioXmlGuard::Limits limits { 100, 3 };

    // Closing tags, comments and the declaration don't open elements.
    EXPECT_NE (guarded ("<?xml version=\"1.0\"?><a><b></b><!----><c/></a>", limits), nullptr);
    EXPECT_EQ (guarded ("<a><b></b><c/><d/></a>", limits), nullptr);

    const auto atLimit = "<a x=\"" + std::string (100 - 10, 'x') + "\"/>\n";
    ASSERT_EQ (atLimit.size(), 100u);
    EXPECT_NE (guarded (atLimit, limits), nullptr);
    EXPECT_EQ (guarded (atLimit + " ", limits), nullptr);

    // Nesting deep enough to exhaust the parser's stack is refused before it recurses.
    const auto deep = repeated ("<a>", 1000000) + repeated ("</a>", 1000000);
    EXPECT_EQ (guarded (deep, { deep.size(), 4096 }), nullptr);
}
