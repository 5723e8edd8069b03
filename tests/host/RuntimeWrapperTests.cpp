// The plug-in's run-time wrappers against the stand-in host's objects: what a full host, a
// host with only the first versions and a host with none of them answer, and what the
// wrappers leave behind (every reference they took is given back).

#include "HostAutomationDelegate.h"
#include "HostController.h"
#include "HostTransport.h"
#include "HostUnknown.h"
#include "HostViewContainer.h"
#include "TestHostFixture.h"

#include "AAX_CString.h"
#include "AAX_VAutomationDelegate.h"
#include "AAX_VController.h"
#include "AAX_VPageTable.h"
#include "AAX_VTransport.h"
#include "AAX_VViewContainer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tanglefix::host;

namespace
{
    class RuntimeWrapperTest : public TestHostFixture
    {
    protected:
        void makeInstanceHost (std::initializer_list<const char*> offers = {})
        {
            makeHost (offers);

            InstanceSetup setup;
            setup.sampleRate = 44100.0f;
            setup.inputStemFormat = AAX_eStemFormat_Mono;
            setup.audioSuite = true;
            controller = HostController::createForInstance (context, setup, host->asUnknown());
        }

        void SetUp() override    { makeInstanceHost(); }

        void TearDown() override
        {
            controller->Release();
            TestHostFixture::TearDown();
        }

        IACFUnknown* instanceUnknown() const { return controller->asUnknown(); }

        HostController* controller = nullptr;
    };

    /** The stand-in host's own view, as a native window would be. */
    HostViewContainer* makeView (std::shared_ptr<HostContext> context, void* window)
    {
        auto* view = new HostViewContainer (std::move (context), AAX_eViewContainer_Type_HWND, window);
        view->AddRef();
        return view;
    }
}

//==============================================================================
TEST_F (RuntimeWrapperTest, AFullHostAnswersEveryController)
{
    AAX_VController wrapper (instanceUnknown());

    AAX_CSampleRate rate = 0;
    AAX_EStemFormat input = AAX_eStemFormat_None, output = AAX_eStemFormat_None;
    AAX_CBoolean isAudioSuite = 0;
    AAX_CTargetPlatform platform = 0;
    AAX_CString hostName, effectID;

    EXPECT_EQ (wrapper.GetSampleRate (&rate), AAX_SUCCESS);
    EXPECT_EQ (rate, 44100.0f);
    EXPECT_EQ (wrapper.GetInputStemFormat (&input), AAX_SUCCESS);
    EXPECT_EQ (wrapper.GetOutputStemFormat (&output), AAX_SUCCESS);
    EXPECT_EQ (input, AAX_eStemFormat_Mono);
    EXPECT_EQ (output, AAX_eStemFormat_Stereo);
    EXPECT_EQ (wrapper.GetIsAudioSuite (&isAudioSuite), AAX_SUCCESS);
    EXPECT_EQ (isAudioSuite, 1);
    EXPECT_EQ (wrapper.GetPlugInTargetPlatform (&platform), AAX_SUCCESS);
    EXPECT_EQ (platform, AAX_eTargetPlatform_Native);
    EXPECT_EQ (wrapper.GetHostName (&hostName), AAX_SUCCESS);
    EXPECT_STREQ (hostName.Get(), "tanglefix-host");
    EXPECT_EQ (wrapper.GetEffectID (&effectID), AAX_SUCCESS);
    EXPECT_STREQ (effectID.Get(), "com.Larkspan.Tanglefix");

    EXPECT_EQ (wrapper.SetSignalLatency (64), AAX_SUCCESS);
    EXPECT_EQ (controller->getRecordedLatency(), 64);

    const uint32_t payload = 1;
    EXPECT_EQ (wrapper.PostPacket (3, &payload, sizeof (payload)), AAX_SUCCESS);
    ASSERT_EQ (controller->getPackets (3).size(), 1u);
    EXPECT_EQ (controller->getPackets (3)[0].bytes, (std::vector<unsigned char> { 1, 0, 0, 0 }));

    EXPECT_EQ (wrapper.SendNotification (AAX_eNotificationEvent_TrackNameChanged), AAX_SUCCESS);
    EXPECT_EQ (wrapper.SendNotification (AAX_eNotificationEvent_TrackNameChanged, &payload, 4), AAX_SUCCESS);
    ASSERT_EQ (controller->getNotifications().size(), 2u);
    EXPECT_EQ (controller->getNotifications()[0].size, 0u);
    EXPECT_EQ (controller->getNotifications()[1].size, 4u);
}

TEST_F (RuntimeWrapperTest, AVersionOneHostGivesFixedResultsAndDefinedOutputs)
{
    TearDown();
    makeInstanceHost ({ "all=1" });

    AAX_VController wrapper (instanceUnknown());

    // JUCE's wrapper reads this flag without looking at the result.
    AAX_CBoolean isAudioSuite = 7;
    EXPECT_EQ (wrapper.GetIsAudioSuite (&isAudioSuite), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (isAudioSuite, 0);

    AAX_CTargetPlatform platform = 7;
    int32_t hybridLatency = 7;
    AAX_CTransportCounter timestamp = 7;
    AAX_CString hostName ("unchanged");
    EXPECT_EQ (wrapper.GetPlugInTargetPlatform (&platform), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (platform, 0);
    EXPECT_EQ (wrapper.GetHybridSignalLatency (&hybridLatency), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (hybridLatency, 0);
    EXPECT_EQ (wrapper.GetCurrentAutomationTimestamp (&timestamp), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (timestamp, 0);
    EXPECT_EQ (wrapper.GetHostName (&hostName), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (wrapper.SendNotification (AAX_eNotificationEvent_TrackNameChanged), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (wrapper.SendNotification (AAX_eNotificationEvent_TrackNameChanged, nullptr, 0), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_TRUE (controller->getNotifications().empty());

    AAX_CSampleRate rate = 0;
    EXPECT_EQ (wrapper.GetSampleRate (&rate), AAX_SUCCESS);
    EXPECT_EQ (rate, 44100.0f);

    AAX_VTransport transport (instanceUnknown());
    TransportState state;
    state.tempo = 93.5;
    state.metronome = true;
    controller->getTransport()->setState (state);

    double tempo = 0.0;
    int32_t metronome = 7;
    EXPECT_EQ (transport.GetCurrentTempo (&tempo), AAX_SUCCESS);
    EXPECT_EQ (tempo, 93.5);
    EXPECT_EQ (transport.IsMetronomeEnabled (&metronome), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (metronome, 0);

    auto* view = makeView (context, this);
    {
        AAX_VViewContainer container (view);
        const AAX_CParamID ids[] = { "gain" };
        EXPECT_EQ (container.GetType(), AAX_eViewContainer_Type_HWND);
        EXPECT_EQ (container.GetPtr(), this);
        EXPECT_EQ (container.HandleMultipleParametersMouseDown (ids, 1, 0), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_TRUE (view->getMouseEvents().empty()) << "the host was not asked";
    }
    view->Release();

    // Page-table copies are made in the second version of a page table, which this host
    // cannot make: no table, and the host is never asked to copy into none.
    controller->storePageTable (HostController::effectTableKey (1, 2, 3, 0), { { { "gain" } }, {} });
    EXPECT_EQ (wrapper.CreateTableCopyForEffect (1, 2, 3, 0, 8), nullptr);
    EXPECT_EQ (wrapper.CreateTableCopyForEffectFromFile ("/t", AAX_eTextEncoding_UTF8, 1, 2, 3, 0, 8), nullptr);
    EXPECT_EQ (controller->getCopiesIntoNoTable(), 0);
}

TEST_F (RuntimeWrapperTest, AHostWithoutTheInterfacesGivesFixedResults)
{
    TearDown();
    makeInstanceHost ({ "controller=0", "page-table-controller=0", "automation-delegate=0", "transport=0" });

    AAX_VController wrapper (instanceUnknown());
    AAX_CSampleRate rate = 5.0f;
    AAX_CBoolean isAudioSuite = 7;
    EXPECT_EQ (wrapper.GetSampleRate (&rate), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (rate, 0.0f);
    EXPECT_EQ (wrapper.SetSignalLatency (10), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (wrapper.PostPacket (3, &rate, 4), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (wrapper.GetIsAudioSuite (&isAudioSuite), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (isAudioSuite, 0);
    EXPECT_EQ (wrapper.CreateTableCopyForLayout ("e", "l", 0, 8), nullptr);

    AAX_VAutomationDelegate automation (instanceUnknown());
    AAX_CBoolean touched = 7;
    EXPECT_EQ (automation.RegisterParameter ("gain"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (automation.PostSetValueRequest ("gain", 0.5), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (automation.GetTouchState ("gain", &touched), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (touched, 0);

    AAX_VTransport transport (instanceUnknown());
    bool playing = true;
    int64_t selection = 7;
    EXPECT_EQ (transport.IsTransportPlaying (&playing), AAX_ERROR_NULL_OBJECT);
    EXPECT_FALSE (playing);
    EXPECT_EQ (transport.GetTimelineSelectionStartPosition (&selection), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (selection, 0);

    AAX_VViewContainer noView (nullptr);
    AAX_Point size { 420.0f, 650.0f };
    uint32_t modifiers = 7;
    EXPECT_EQ (noView.GetType(), AAX_eViewContainer_Type_NULL);
    EXPECT_EQ (noView.GetPtr(), nullptr);
    EXPECT_EQ (noView.SetViewSize (size), AAX_SUCCESS);
    EXPECT_EQ (noView.GetModifiers (&modifiers), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (modifiers, 0u);
    EXPECT_EQ (noView.HandleParameterMouseDown ("gain", 0), AAX_ERROR_UNIMPLEMENTED);

    AAX_VPageTable noTable (nullptr);
    int32_t pages = 7;
    EXPECT_EQ (noTable.GetNumPages (pages), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (pages, 0);
    EXPECT_EQ (noTable.Clear(), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (noTable.GetIUnknown(), nullptr);

    AAX_VController nothing (nullptr);
    EXPECT_EQ (nothing.GetEffectID (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (nothing.CreateTableCopyForEffect (1, 2, 3, 0, 8), nullptr);
}

TEST_F (RuntimeWrapperTest, TableCopiesBelongToTheCallerAndFailedOnesLeaveNothing)
{
    AAX_VController wrapper (instanceUnknown());
    const PageTableContents stored { { { "gain", "", "mix" } }, { { "gain", { { 4, "Gain" } } } } };
    controller->storePageTable (HostController::layoutTableKey ("com.Larkspan.Tanglefix", "Surface", 0x5067544cu), stored);

    const auto objectsBefore = context->getLiveObjectCount();

    std::unique_ptr<AAX_IPageTable> table (wrapper.CreateTableCopyForLayout ("com.Larkspan.Tanglefix", "Surface", 0x5067544cu, 8));
    ASSERT_NE (table, nullptr);

    int32_t pages = 0, mapped = 0, variations = 0;
    AAX_CString id, name;
    EXPECT_EQ (table->GetNumPages (pages), AAX_SUCCESS);
    EXPECT_EQ (pages, 1);
    EXPECT_EQ (table->GetNumMappedParameterIDs (0, mapped), AAX_SUCCESS);
    EXPECT_EQ (mapped, 3);
    EXPECT_EQ (table->GetMappedParameterID (0, 2, id), AAX_SUCCESS);
    EXPECT_STREQ (id.Get(), "mix");
    EXPECT_EQ (table->GetNumNameVariationsForParameter ("gain", variations), AAX_SUCCESS);
    EXPECT_EQ (variations, 1);
    EXPECT_EQ (table->GetParameterNameVariationOfLength ("gain", 4, name), AAX_SUCCESS);
    EXPECT_STREQ (name.Get(), "Gain");

    table.reset();
    EXPECT_EQ (context->getLiveObjectCount(), objectsBefore) << "the copy's host table is gone with its wrapper";

    // The host refuses (no such table): the new host table is released once, and only once.
    EXPECT_EQ (wrapper.CreateTableCopyForEffect (1, 2, 3, 0, 8), nullptr);
    EXPECT_EQ (wrapper.CreateTableCopyForLayoutFromFile ("/no/file", AAX_eTextEncoding_UTF8, "Surface", 0, 8), nullptr);
    EXPECT_EQ (context->getLiveObjectCount(), objectsBefore);
    EXPECT_EQ (controller->getCopiesIntoNoTable(), 0);
}

TEST_F (RuntimeWrapperTest, TheControllerHandsOutItsParts)
{
    AAX_VAutomationDelegate automation (instanceUnknown());
    EXPECT_EQ (automation.RegisterParameter ("gain"), AAX_SUCCESS);
    EXPECT_EQ (automation.PostTouchRequest ("gain"), AAX_SUCCESS);

    AAX_CBoolean touched = 0;
    EXPECT_EQ (automation.GetTouchState ("gain", &touched), AAX_SUCCESS);
    EXPECT_EQ (touched, 1);
    EXPECT_EQ (automation.PostSetValueRequest ("gain", 0.5), AAX_SUCCESS);
    EXPECT_EQ (automation.PostSetValueRequest ("unknown", 0.5), AAX_ERROR_INVALID_PARAMETER_ID);

    auto* delegate = controller->getAutomationDelegate();
    EXPECT_EQ (delegate->getPendingRequestCount(), 1u);
    EXPECT_EQ (delegate->answerRequests(), 0) << "without an instance to answer, requests wait";
    EXPECT_EQ (delegate->getPendingRequestCount(), 1u);

    AAX_VTransport transport (instanceUnknown());
    TransportState state;
    state.tempo = 120.0;
    state.sampleRate = 48000.0;
    state.meterNumerator = 3;
    controller->getTransport()->setState (state);

    int32_t bars = 0, beats = 0;
    int64_t ticks = -1;
    EXPECT_EQ (transport.GetBarBeatPosition (&bars, &beats, &ticks, 48000 * 2), AAX_SUCCESS);
    EXPECT_EQ (bars, 2);     // four beats at 120 bpm, three to a bar
    EXPECT_EQ (beats, 2);
    EXPECT_EQ (ticks, 0);
}
