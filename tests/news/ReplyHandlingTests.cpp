#include "NewsReplies.h"
#include "PluginNotifications.h"

#include <gtest/gtest.h>

using LarkspanBrio::PluginNotifications;

namespace
{
    PluginNotifications::FetchResult parse (const juce::String& reply,
                                            const juce::String& readId = {},
                                            const juce::String& specialReadId = {})
    {
        return PluginNotifications::parseReply (reply, readId, specialReadId);
    }

    juce::StringArray idsOf (const PluginNotifications::FetchResult& result)
    {
        juce::StringArray ids;

        for (const auto& r : result.records)
            ids.add (r.id);

        return ids;
    }

    juce::String repeated (const juce::String& piece, int times)
    {
        juce::MemoryOutputStream out;

        for (int i = 0; i < times; ++i)
            out << piece;

        return out.toString();
    }
}

//==============================================================================
TEST (NewsReply, OrdinaryEntriesBeforeTheLastReadOneAreNew)
{
    const auto reply = NewsReply().add ("B3").add ("B2").add ("B1").toString();

    const auto seenB2 = parse (reply, "b2");   // ids compare ignoring case
    EXPECT_EQ (seenB2.newCount, 1);
    EXPECT_EQ (seenB2.latestId, "B3");
    EXPECT_EQ (idsOf (seenB2), juce::StringArray ({ "B3", "B2", "B1" }));

    const auto& first = seenB2.records.getReference (0);
    EXPECT_EQ (first.title, "Title B3");
    EXPECT_EQ (first.message, "Message B3");
    EXPECT_EQ (first.link, "https://larkspan.com/news");

    EXPECT_EQ (parse (reply, "A9").newCount, 3);   // read id no longer listed
    EXPECT_EQ (parse (reply, {}).newCount, 3);     // first run
    EXPECT_EQ (parse (reply, "B3").newCount, 0);
}

TEST (NewsReply, SpecialEntriesCountAgainstTheirOwnReadId)
{
    const auto reply = NewsReply().add ("special-1").add ("B2").add ("special-2").add ("special-3").add ("B1")
                                  .toString();

    const auto result = parse (reply, "B2", "SPECIAL-1");
    EXPECT_EQ (result.newCount, 2);                 // special-2 and special-3; B2 was read
    EXPECT_EQ (result.latestSpecialId, "special-3");
    EXPECT_EQ (result.latestId, "B2");              // specials never become the ordinary latest
    EXPECT_EQ (result.records.size(), 5);

    const auto noSpecials = parse (NewsReply().add ("B1").toString(), {}, "special-1");
    EXPECT_TRUE (noSpecials.latestSpecialId.isEmpty());
}

TEST (NewsReply, ErrorRepliesAndForeignDocumentsYieldNothing)
{
    const juce::String replies[] = {
        NewsReply().add ("B1").add ("ERRor-code").toString(),           // the word anywhere
        "<?xml version=\"1.0\"?><notifications><notification id=\"x\"/><!-- eRrOr --></notifications>",
        "<news><notification id=\"B1\"/></news>",                          // wrong root
        "<notifications><notification id=\"B1\"/>",                        // unterminated
        "Service unavailable",
        "",
    };

    for (const auto& reply : replies)
    {
        const auto result = parse (reply);
        EXPECT_TRUE (result.records.isEmpty()) << reply;
        EXPECT_EQ (result.newCount, 0) << reply;
    }

    EXPECT_EQ (parse ("<NOTIFICATIONS><Notification id=\"B1\"/><other id=\"B0\"/>text</NOTIFICATIONS>").records.size(), 1);
}

TEST (NewsReply, EntriesReadBeforeAStopRequestAreKept)
{
    const auto reply = NewsReply().add ("B3").add ("B2").add ("B1").toString();
    int checks = 0;

    const auto result = PluginNotifications::parseReply (reply, {}, {}, [&] { return ++checks > 2; });
    EXPECT_EQ (idsOf (result), juce::StringArray ({ "B3", "B2" }));
    EXPECT_EQ (result.newCount, 2);
}

//==============================================================================
TEST (NewsReply, OnlyPlainWebLinksSurvive)
{
    const juce::String kept[] = { "https://larkspan.com/a?b=c&d=%20e#top", "HTTP://larkspan.com/" };

    for (const auto& link : kept)
        EXPECT_EQ (PluginNotifications::safeLink (link), link);

    const juce::String refused[] = {
        "", "#", "javascript:alert(1)", "file:///etc/passwd", "ftp://larkspan.com", "https://",
        "larkspan.com", "https://x/\"; rm -rf ~; \"", "https://x/$(reboot)", "https://x/`id`",
        "https://x/a b", "https://x/\n", "https://x/caf\xc3\xa9", "mailto:someone@larkspan.com",
    };

    for (const auto& link : refused)
        EXPECT_EQ (PluginNotifications::safeLink (link), "#") << link;

    const auto reply = parse ("<notifications><notification id=\"B1\" link=\"smb://server/share\"/>"
                              "<notification/></notifications>");
    ASSERT_EQ (reply.records.size(), 2);
    EXPECT_EQ (reply.records[0].link, "#");
    EXPECT_EQ (reply.records[1].link, "#");
    EXPECT_TRUE (reply.records[1].title.isEmpty() && reply.records[1].id.isEmpty());
}

TEST (NewsReply, HostileRepliesAreBoundedAndNeverCrash)
{
    // Thousands of entries are fine; more tags than the parser may recurse into are not.
    NewsReply many;

    for (int i = 3000; i > 0; --i)
        many.add ("B" + juce::String (i));

    EXPECT_EQ (parse (many.toString(), "B1").newCount, 2999);

    const auto deep = repeated ("<notifications>", 200000) + repeated ("</notifications>", 200000);
    EXPECT_TRUE (parse (deep).records.isEmpty());

    const auto tooMany = "<notifications>" + repeated ("<notification id=\"x\"/>", NewsNames::maxElementTags)
                       + "</notifications>";
    EXPECT_TRUE (parse (tooMany).records.isEmpty());

    // Entities from a document type could expand without bound.
    const juce::String laughs = "<!DOCTYPE n [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>"
                                "<notifications><notification id=\"&b;\"/></notifications>";
    EXPECT_TRUE (parse (laughs).records.isEmpty());

    // JUCE's parser never returns from a processing instruction followed by text inside
    // an element; the leading XML declaration is the only one let through.
    EXPECT_TRUE (parse ("<notifications><?pi?>text<notification id=\"B1\"/></notifications>").records.isEmpty());
    EXPECT_EQ (parse ("<?xml version=\"1.0\"?><notifications><notification id=\"B1\"/></notifications>").records.size(), 1);

    const auto longTitle = repeated ("t", 500000);
    const auto longOne = parse ("<notifications><notification title=\"" + longTitle + "\" id=\"B1\"/></notifications>");
    ASSERT_EQ (longOne.records.size(), 1);
    EXPECT_EQ (longOne.records[0].title, longTitle);
}

TEST (NewsReply, RawBytesMustBeTextAndEndAtTheFirstZero)
{
    const char junk[] = { '<', 'n', (char) 0xff, (char) 0xfe, (char) 0x80, '>' };
    EXPECT_FALSE (PluginNotifications::decodeReply (juce::MemoryBlock (junk, sizeof (junk))).has_value());

    const char truncatedSequence[] = { 'a', (char) 0xe2, (char) 0x82 };
    EXPECT_FALSE (PluginNotifications::decodeReply (juce::MemoryBlock (truncatedSequence, sizeof (truncatedSequence))).has_value());

    const char withZero[] = { 'c', 'a', 'f', (char) 0xc3, (char) 0xa9, 0, (char) 0xff };
    EXPECT_EQ (PluginNotifications::decodeReply (juce::MemoryBlock (withZero, sizeof (withZero))),
               juce::String (juce::CharPointer_UTF8 ("caf\xc3\xa9")));

    EXPECT_EQ (PluginNotifications::decodeReply ({}), juce::String());
}

TEST (NewsReply, ProductNameGoesThroughTheLetterTable)
{
    const BrioRot13 rot13;
    EXPECT_EQ (rot13.letters.length(), 52);
    EXPECT_EQ (rot13.images.length(), 52);
    EXPECT_EQ (rot13.apply ("Tanglefix"), "Gnatyrsvk");
    EXPECT_EQ (rot13.apply (rot13.apply ("Tangle fix 1.2.6!")), "Tangle fix 1.2.6!");
}
