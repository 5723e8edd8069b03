// Built with ThreadSanitizer: the message thread reads the news while a fetch fills them.

#include "LoopbackHttpServer.h"
#include "NewsReplies.h"
#include "PluginNotifications.h"
#include "../state/PrivateFolders.h"

using LarkspanBrio::PluginNotifications;

namespace
{
    class NewsRaceTest  : public PrivateFoldersTest {};
}

TEST_F (NewsRaceTest, ReadersSeeNoListOrTheWholeList)
{
    constexpr int numEntries = 500;
    NewsReply reply;

    for (int i = numEntries; i > 0; --i)
        reply.add ("B" + juce::String (i));

    LoopbackHttpServer server;
    server.setReply (reply.toString());
    server.holdAnswers();

    PluginNotifications news ("Tanglefix");
    news.setEndpoint (server.getAddress());
    news.reloadSettingsAndStart();
    ASSERT_TRUE (server.waitForRequest (30000));
    server.release();

    int polls = 0, emptySeen = 0, fullSeen = 0;

    for (; polls < 1000000; ++polls)
    {
        const auto running = news.isThreadRunning();
        const auto records = news.getRecords();
        const auto count = news.getNewCount();

        ASSERT_TRUE (records.isEmpty() || records.size() == numEntries) << records.size();
        ASSERT_TRUE (count == 0 || count == numEntries) << count;
        (records.isEmpty() ? emptySeen : fullSeen)++;

        if (polls % 64 == 0)
            news.saveReadState();   // the news window closing while the fetch runs

        if (! running)
            break;
    }

    EXPECT_LT (polls, 1000000);
    EXPECT_EQ (news.getRecords().size(), numEntries);
    EXPECT_GT (emptySeen + fullSeen, 0);
}

TEST_F (NewsRaceTest, DestroyingCancelsTheRequestFromTheStoppingThread)
{
    for (const auto trickling : { false, true })
    {
        LoopbackHttpServer server;
        server.setReply (NewsReply().add ("B2").add ("B1").toString());
        trickling ? server.trickleAnswers() : server.holdAnswers();

        auto news = std::make_unique<PluginNotifications> ("Tanglefix");
        news->setEndpoint (server.getAddress());
        news->reloadSettingsAndStart();
        ASSERT_TRUE (server.waitForRequest (30000));
        juce::Thread::sleep (trickling ? 1500 : 100);

        news.reset();
    }
}
