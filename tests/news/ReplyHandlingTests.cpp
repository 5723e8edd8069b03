#include "NewsReplies.h"
#include "PluginNotifications.h"

#include <gtest/gtest.h>

#include <cstring>

using LarkspanBrio::PluginNotifications;

namespace
{
    PluginNotifications::FetchResult parse (const juce::String& reply, const juce::String& readId = {},
                                            const juce::String& specialReadId = {})
    {
        return PluginNotifications::parseReply (reply, readId, specialReadId);
    }

    juce::String repeated (const juce::String& piece, int times)
    {
        return juce::String::repeatedString (piece, times);
    }
}

//==============================================================================
TEST (NewsReply, OrdinaryEntriesBeforeTheLastReadOneAreNew)
{
    const auto reply = NewsReply().add ("B3").add ("B2").add ("B1").toString();

    const auto seenB2 = parse (reply, "b2");   // ids compare ignoring case
    EXPECT_EQ (seenB2.newCount, 1);
    EXPECT_EQ (seenB2.latestId, "B3");
    ASSERT_EQ (seenB2.records.size(), 3);
    EXPECT_EQ (seenB2.records[0].title, "Title B3");
    EXPECT_EQ (seenB2.records[2].id, "B1");

    EXPECT_EQ (parse (reply, "A9").newCount, 3);   // read id no longer listed
    EXPECT_EQ (parse (reply, {}).newCount, 3);     // first run
}

TEST (NewsReply, SpecialEntriesCountAgainstTheirOwnReadId)
{
    const auto reply = NewsReply().add ("special-1").add ("B2").add ("special-2").add ("special-3").add ("B1")
                                  .toString();

    const auto result = parse (reply, "B2", "SPECIAL-1");
    EXPECT_EQ (result.newCount, 2);                 // special-2 and special-3; B2 was read
    EXPECT_EQ (result.latestSpecialId, "special-3");
    EXPECT_EQ (result.latestId, "B2");              // specials never become the ordinary latest
}

TEST (NewsReply, ErrorRepliesAndForeignDocumentsYieldNothing)
{
    const juce::String replies[] = {
        NewsReply().add ("B1").add ("ERRor-code").toString(),    // the word anywhere, any case
        "<news><notification id=\"B1\"/></news>",                 // wrong root
        "<notifications><notification id=\"B1\"/>",               // unterminated
        "Service unavailable",
    };

    for (const auto& reply : replies)
    {
        const auto result = parse (reply);
        EXPECT_TRUE (result.records.isEmpty() && result.newCount == 0) << reply;
    }

    EXPECT_EQ (parse ("<NOTIFICATIONS><Notification id=\"B1\"/><other id=\"B0\"/>text</NOTIFICATIONS>").records.size(), 1);
}

//==============================================================================
TEST (NewsReply, OnlyPlainWebLinksSurvive)
{
    EXPECT_EQ (PluginNotifications::safeLink ("https://larkspan.com/a?b=c&d=%20e#top"), "https://larkspan.com/a?b=c&d=%20e#top");
    EXPECT_EQ (PluginNotifications::safeLink ("HTTP://larkspan.com/"), "HTTP://larkspan.com/");

    // Other schemes, and anything a shell would read inside double quotes.
    for (const auto* link : { "", "javascript:alert(1)", "file:///etc/passwd", "https://", "larkspan.com",
                              "https://x/\"; rm -rf ~; \"", "https://x/$(reboot)", "https://x/`id`", "https://x/a b" })
        EXPECT_EQ (PluginNotifications::safeLink (link), "#") << link;

    const auto reply = parse ("<notifications><notification id=\"B1\" link=\"smb://server/share\"/>"
                              "<notification/></notifications>");
    ASSERT_EQ (reply.records.size(), 2);
    EXPECT_EQ (reply.records[0].link, "#");
    EXPECT_EQ (reply.records[1].link, "#");   // attributes missing altogether
    EXPECT_TRUE (reply.records[1].title.isEmpty() && reply.records[1].id.isEmpty());
}

TEST (NewsReply, HostileRepliesAreRefusedWithoutCrashingOrHanging)
{
    // Thousands of entries are fine; more tags than the parser may recurse into are not.
    NewsReply many;

    for (int i = 3000; i > 0; --i)
        many.add ("B" + juce::String (i));

    EXPECT_EQ (parse (many.toString(), "B1").newCount, 2999);

    EXPECT_TRUE (parse ("<notifications>" + repeated ("<notification id=\"x\"/>", NewsNames::maxElementTags)
                        + "</notifications>").records.isEmpty());

    // Text that would trap JUCE's parser (more forms in the guard's own tests).
    EXPECT_TRUE (parse ("<notifications><?pi?>text<notification id=\"B1\"/></notifications>").records.isEmpty());
}

TEST (NewsReply, RawBytesMustBeTextAndEndAtTheFirstZero)
{
    const auto decode = [] (const char* bytes) { return PluginNotifications::decodeReply ({ bytes, std::strlen (bytes) }); };

    // Junk, and an overlong form that JUCE's own check lets through.
    EXPECT_FALSE (decode ("<n\xff\xfe\x80>").has_value());
    EXPECT_FALSE (decode ("\xc0\xbc").has_value());

    EXPECT_EQ (decode ("\xe2\x82\xac \xf0\x9f\x8e\xb5"), juce::String (juce::CharPointer_UTF8 ("\xe2\x82\xac \xf0\x9f\x8e\xb5")));

    const char withZero[] = { 'c', 'a', 'f', (char) 0xc3, (char) 0xa9, 0, (char) 0xff };
    EXPECT_EQ (PluginNotifications::decodeReply (juce::MemoryBlock (withZero, sizeof (withZero))),
               juce::String (juce::CharPointer_UTF8 ("caf\xc3\xa9")));
}
