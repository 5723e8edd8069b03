// The packet dispatcher posting through the controller wrapper to the stand-in host, which
// records every packet per port.

#include "HostController.h"
#include "HostUnknown.h"
#include "TestHostFixture.h"

#include "AAX_CEffectParameters.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CPacketDispatcher.h"
#include "AAX_VController.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tanglefix::host;

namespace
{
    /** Fills packets with a value of its own choosing, and logs each call. */
    struct Worker
    {
        AAX_Result Fill (AAX_CParamID parameterID, AAX_CPacket& packet)
        {
            calls.emplace_back (parameterID);
            packet.SetValue (value);

            if (dispatcher != nullptr && markDuringFill)
                dispatcher->SetDirty (parameterID);

            return result;
        }

        AAX_Result FillPacketOnly (AAX_CPacket& packet)
        {
            calls.emplace_back ("(packet)");
            packet.SetValue (value);
            return AAX_SUCCESS;
        }

        std::vector<std::string> calls;
        int32_t value = 7;
        AAX_Result result = AAX_SUCCESS;
        AAX_CPacketDispatcher* dispatcher = nullptr;
        bool markDuringFill = false;
    };

    using Handler = AAX_CPacketHandler<Worker>;

    /** An effect with a bool, a float and a double parameter, each sent to a port of its own
        by the dispatcher's single-value generator. */
    class TypedEffect : public AAX_CEffectParameters
    {
    public:
        AAX_Result EffectInit() override
        {
            Add<bool> ("on", true, 1);
            Add<float> ("level", 0.25f, 2);
            Add<double> ("depth", 0.75, 3);
            return AAX_SUCCESS;
        }

    private:
        template <typename T>
        void Add (const char* id, T defaultValue, AAX_CFieldIndex port)
        {
            mParameterManager.AddParameter (new AAX_CParameter<T> (id, AAX_CString (id), defaultValue,
                                                                   AAX_CLinearTaperDelegate<T, 0> (T (0), T (1)),
                                                                   AAX_CNumberDisplayDelegate<T, 2>(), true));
            mPacketDispatcher.RegisterPacket (id, port);
        }
    };

    class PacketDispatcherTest : public TestHostFixture
    {
    protected:
        void SetUp() override
        {
            makeHost();
            hostController = HostController::createForInstance (context, {}, host->asUnknown());
            controller = std::make_unique<AAX_VController> (hostController->asUnknown());
            dispatcher.Initialize (controller.get(), nullptr);
            worker.dispatcher = &dispatcher;
        }

        void TearDown() override
        {
            controller.reset();
            hostController->Release();
            TestHostFixture::TearDown();
        }

        size_t postsTo (AAX_CFieldIndex port) const    { return hostController->getPackets (port).size(); }

        HostController* hostController = nullptr;
        std::unique_ptr<AAX_VController> controller;
        Worker worker;
        AAX_CPacketDispatcher dispatcher;
    };
}

TEST_F (PacketDispatcherTest, NewPacketsGoOutOnceAndThenOnlyWhenMarked)
{
    const Handler handler (&worker, &Worker::Fill);
    dispatcher.RegisterPacket ("b", 4, &handler);
    dispatcher.RegisterPacket ("a", 5, &handler);
    dispatcher.RegisterPacket ("shared", 4, &handler);

    EXPECT_EQ (dispatcher.SetDirty ("never registered"), AAX_SUCCESS);

    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (worker.calls, (std::vector<std::string> { "a", "b" })) << "identifiers in byte order; a shared packet goes once";
    EXPECT_EQ (postsTo (4), 1u);
    EXPECT_EQ (postsTo (5), 1u);

    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (4) + postsTo (5), 2u) << "nothing marked, nothing sent";

    dispatcher.SetDirty ("shared");
    dispatcher.SetDirty ("b");
    dispatcher.Dispatch();
    EXPECT_EQ (postsTo (4), 2u) << "one post per port per dispatch";
    EXPECT_EQ (postsTo (5), 1u);

    const auto bytes = hostController->getPackets (4).back().bytes;
    ASSERT_EQ (bytes.size(), 4u);
    int32_t posted = 0;
    std::memcpy (&posted, bytes.data(), 4);
    EXPECT_EQ (posted, 7);
}

TEST_F (PacketDispatcherTest, HandlerFailuresAndFailedPosts)
{
    const Handler failing (&worker, &Worker::Fill);
    worker.result = AAX_ERROR_NULL_OBJECT;
    dispatcher.RegisterPacket ("gain", 4, &failing);

    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS) << "a handler's failure is not the dispatch's";
    EXPECT_EQ (postsTo (4), 0u);
    worker.result = AAX_SUCCESS;
    dispatcher.Dispatch();
    EXPECT_EQ (postsTo (4), 0u) << "the failed packet was left clean";

    // A negative port has no packet: nothing is marked or sent for it.
    dispatcher.RegisterPacket ("nowhere", -1, &failing);
    dispatcher.SetDirty ("nowhere");
    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);

    // The host refuses a post: the dispatch says so, and the packet goes again next time.
    AAX_CPacketDispatcher unconnected;
    const Handler handler (&worker, &Worker::Fill);
    unconnected.RegisterPacket ("gain", 4, &handler);
    EXPECT_EQ (unconnected.Dispatch(), AAX_ERROR_NULL_OBJECT);

    AAX_VController noHost (nullptr);
    unconnected.Initialize (&noHost, nullptr);
    EXPECT_EQ (unconnected.Dispatch(), AAX_ERROR_NULL_OBJECT);

    unconnected.Initialize (controller.get(), nullptr);
    EXPECT_EQ (unconnected.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (4), 1u);
}

TEST_F (PacketDispatcherTest, ARefusedSharedPacketIsPostedOncePerDispatch)
{
    bool accepting = false;
    hostController->setPacketSink ([&accepting] (AAX_CFieldIndex, const void*, uint32_t) { return accepting; });

    const Handler handler (&worker, &Worker::Fill);
    dispatcher.RegisterPacket ("left", 6, &handler);
    dispatcher.RegisterPacket ("right", 6, &handler);

    EXPECT_NE (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (6), 1u);

    accepting = true;
    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (6), 2u) << "the refused packet goes again, once";
    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (6), 2u);
}

TEST_F (PacketDispatcherTest, AMarkMadeWhileTheHandlerRunsIsKept)
{
    const Handler handler (&worker, &Worker::Fill);
    dispatcher.RegisterPacket ("gain", 4, &handler);

    worker.markDuringFill = true;
    dispatcher.Dispatch();
    worker.markDuringFill = false;
    dispatcher.Dispatch();
    dispatcher.Dispatch();

    EXPECT_EQ (postsTo (4), 2u);
}

TEST_F (PacketDispatcherTest, HandlersValuesAndTheSingleValueGenerator)
{
    const Handler packetOnly (&worker, &Worker::FillPacketOnly);
    const Handler empty (&worker, static_cast<Handler::ParameterCallback> (nullptr));
    AAX_CPacket packet (2);

    EXPECT_EQ (packet.GetSize(), 0u);
    EXPECT_TRUE (packet.IsDirty());

    std::unique_ptr<AAX_IPacketHandler> clone (packetOnly.Clone());
    EXPECT_EQ (clone->CallHandler ("x", packet), AAX_SUCCESS);
    EXPECT_EQ (worker.calls, std::vector<std::string> { "(packet)" });
    EXPECT_EQ (empty.CallHandler ("x", packet), AAX_ERROR_NULL_OBJECT);

    packet.SetValue (static_cast<uint32_t> (1));
    EXPECT_EQ (packet.GetSize(), 4u);
    packet.SetValue (0.25);
    EXPECT_EQ (packet.GetSize(), 8u);
    double stored = 0.0;
    std::memcpy (&stored, packet.GetData(), 8);
    EXPECT_EQ (stored, 0.25);

    // Without an effect object there is no parameter to read: nothing is posted.
    dispatcher.RegisterPacket ("MasterBypassID", 3);
    EXPECT_EQ (dispatcher.GenerateSingleValuePacket ("MasterBypassID", packet), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ (postsTo (3), 0u);

    EXPECT_EQ (dispatcher.RegisterPacket (nullptr, 3, &packetOnly), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ (dispatcher.RegisterPacket ("x", 3, nullptr), AAX_ERROR_NULL_ARGUMENT);
}

TEST_F (PacketDispatcherTest, SingleValuePacketsTakeTheParametersType)
{
    auto* effect = new TypedEffect();
    effect->AddRef();
    ASSERT_EQ (effect->Initialize (hostController->asUnknown()), AAX_SUCCESS);
    EXPECT_EQ (effect->GenerateCoefficients(), AAX_SUCCESS);

    const auto bytesAt = [this] (AAX_CFieldIndex port)
    {
        const auto posted = hostController->getPackets (port);
        return posted.empty() ? std::vector<unsigned char>() : posted.back().bytes;
    };

    const auto onBytes = bytesAt (1), levelBytes = bytesAt (2), depthBytes = bytesAt (3);
    ASSERT_EQ (onBytes.size(), 4u);
    ASSERT_EQ (levelBytes.size(), 4u);
    ASSERT_EQ (depthBytes.size(), 8u);

    uint32_t on = 0;
    float level = 0.0f;
    double depth = 0.0;
    std::memcpy (&on, onBytes.data(), 4);
    std::memcpy (&level, levelBytes.data(), 4);
    std::memcpy (&depth, depthBytes.data(), 8);
    EXPECT_EQ (on, 1u);
    EXPECT_EQ (level, 0.25f);
    EXPECT_EQ (depth, 0.75);

    EXPECT_EQ (effect->GenerateCoefficients(), AAX_SUCCESS);
    EXPECT_EQ (hostController->getPackets (2).size(), 1u) << "nothing changed, nothing sent";

    EXPECT_EQ (effect->Uninitialize(), AAX_SUCCESS);
    effect->Release();
}
