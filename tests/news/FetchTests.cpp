#include "LoopbackHttpServer.h"
#include "NewsReplies.h"
#include "PluginNotifications.h"
#include "../state/PrivateFolders.h"

#include <atomic>

using LarkspanBrio::PluginNotifications;

namespace
{
    class NewsFetchTest  : public PrivateFoldersTest
    {
    protected:
        /** Starts a fetch against the test server and waits until it is over. */
        std::unique_ptr<PluginNotifications> fetch()
        {
            auto news = startFetch (server.getAddress());
            EXPECT_TRUE (news->waitForThreadToExit (30000));
            return news;
        }

        static std::unique_ptr<PluginNotifications> startFetch (const juce::String& address)
        {
            auto news = std::make_unique<PluginNotifications> ("Tanglefix");
            news->setEndpoint (address);
            news->reloadSettingsAndStart();
            return news;
        }

        static juce::StringArray idsOf (const PluginNotifications& news)
        {
            juce::StringArray ids;

            for (const auto& r : news.getRecords())
                ids.add (r.id);

            return ids;
        }

        LoopbackHttpServer server;
    };
}

//==============================================================================
TEST_F (NewsFetchTest, PostsTheThreeFieldsAndCountsAgainstTheStoredReadIds)
{
    {
        BrioSettings store;
        store.setSecondString (BrioStoredNames::newsReadIdKey, "B2", true);
        store.setGlobalString (BrioStoredNames::specialNewsReadIdKey, "special-1", true);
    }

    server.setReply (NewsReply().add ("B3").add ("special-1").add ("special-2").add ("B2").add ("B1").toString());
    const auto news = fetch();

    ASSERT_EQ (server.getNumRequests(), 1);
    const auto request = server.getLastRequest();
    EXPECT_TRUE (request.startsWith ("POST /news "));
    EXPECT_TRUE (request.endsWith ("client=" + juce::String (NewsNames::clientKey) + "&product=Gnatyrsvk&version=1.2.6"))
        << request;

    EXPECT_EQ (idsOf (*news), juce::StringArray ({ "B3", "special-1", "special-2", "B2", "B1" }));
    EXPECT_EQ (news->getNewCount(), 2);   // B3 and special-2
}

TEST_F (NewsFetchTest, DisabledNewsMakeNoRequest)
{
    {
        BrioSettings store;
        store.setSecondString (BrioStoredNames::newsEnabledKey, "false", true);
    }

    server.setReply (NewsReply().add ("B1").toString());
    const auto news = startFetch (server.getAddress());

    EXPECT_FALSE (news->isThreadRunning());
    EXPECT_TRUE (news->getRecords().isEmpty());
    EXPECT_EQ (server.getNumRequests(), 0);
}

TEST_F (NewsFetchTest, OversizedRepliesAreDroppedUnread)
{
    // A well-formed news document, but larger than any news list.
    server.setReply (NewsReply().add (juce::String::repeatedString ("x", (int) NewsNames::maxReplyBytes)).toString());
    const auto news = fetch();
    EXPECT_EQ (server.getNumRequests(), 1);
    EXPECT_TRUE (news->getRecords().isEmpty());
}

TEST_F (NewsFetchTest, SaveReadStateStoresTheLatestIdsInBothFiles)
{
    server.setReply (NewsReply().add ("special-5").add ("B7").add ("B6").toString());
    const auto news = fetch();
    ASSERT_EQ (news->getNewCount(), 3);

    news->saveReadState();
    EXPECT_EQ (news->getNewCount(), 0);
    EXPECT_EQ (news->getRecords().size(), 3);   // read, not gone

    BrioSettings fresh;
    EXPECT_EQ (fresh.getSecondString (BrioStoredNames::newsReadIdKey, {}), "B7");
    EXPECT_EQ (fresh.getGlobalString (BrioStoredNames::specialNewsReadIdKey, {}), "special-5");

    // The next start finds nothing new in the same reply.
    EXPECT_EQ (fetch()->getNewCount(), 0);
}

TEST_F (NewsFetchTest, AFailedFetchKeepsTheStoredReadIds)
{
    {
        BrioSettings store;
        store.setSecondString (BrioStoredNames::newsReadIdKey, "B2", true);
        store.setGlobalString (BrioStoredNames::specialNewsReadIdKey, "special-1", true);
    }

    {
        // With nothing listening the fetch fails at once; construction and destruction
        // must simply come back.
        const auto news = startFetch (addressWithNoListener());
        ASSERT_TRUE (news->waitForThreadToExit (30000));
        EXPECT_TRUE (news->getRecords().isEmpty());
        news->saveReadState();
    }

    BrioSettings fresh;
    EXPECT_EQ (fresh.getSecondString (BrioStoredNames::newsReadIdKey, {}), "B2");
    EXPECT_EQ (fresh.getGlobalString (BrioStoredNames::specialNewsReadIdKey, {}), "special-1");

    startFetch (addressWithNoListener()).reset();   // destroyed while it may still be connecting
}

//==============================================================================
/*  Hosts build and destroy processors while they scan, so destroying a fetcher must not
    wait for the network, whatever the server does. The bound is generous for a loaded
    machine; the destructor is meant to return within a second. */
namespace
{
    class NewsShutdownTest  : public NewsFetchTest
    {
    protected:
        /** Destroys a fetcher whose request the server is busy with; returns the time. */
        double destroyDuringRequest (int msAfterRequest)
        {
            server.setReply (NewsReply().add ("B3").add ("B2").add ("B1").toString());
            auto news = startFetch (server.getAddress());
            EXPECT_TRUE (server.waitForRequest (30000));
            juce::Thread::sleep (msAfterRequest);

            const auto start = juce::Time::getMillisecondCounterHiRes();
            news.reset();
            const auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;

            RecordProperty ("destructorMs", juce::String (elapsed, 1).toStdString());
            return elapsed;
        }
    };
}

TEST_F (NewsShutdownTest, DestroyingWhileTheServerHoldsItsAnswerReturnsPromptly)
{
    server.holdAnswers();
    EXPECT_LT (destroyDuringRequest (200), 5000.0);
    EXPECT_EQ (server.getNumAnswered(), 0);
}

TEST_F (NewsShutdownTest, DestroyingWhileTheServerTricklesItsAnswerReturnsPromptly)
{
    // By then the head and a byte or two have come: the fetch is reading the body.
    server.trickleAnswers();
    EXPECT_LT (destroyDuringRequest (2500), 5000.0);
}
