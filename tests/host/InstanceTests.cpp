// One instance of the test bundle's effect and GUI, run by the stand-in host as a host runs
// the plug-in: made through the registered factories, initialised with the host's controller,
// its parameters automated through the host's delegate, its chunks saved and restored, and
// torn down leaving nothing of the bundle or the host behind.

#include "HostAutomationDelegate.h"
#include "HostString.h"
#include "HostViewContainer.h"
#include "PluginInstance.h"

#include <AAX_Errors.h>
#include <AAX_IParameter.h>
#include <AAX_UIDs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace tanglefix::host;

namespace
{
    constexpr std::int32_t testTracePriority = 0x01000000;   // what the test bundle reports at
    constexpr AAX_CTypeID elck = AAX_FourCharCode ('e', 'l', 'c', 'k');
    constexpr AAX_CTypeID juce = AAX_FourCharCode ('j', 'u', 'c', 'e');

    using Bytes = std::vector<unsigned char>;

    Bytes Concat (std::initializer_list<Bytes> parts)
    {
        Bytes all;

        for (const auto& part : parts)
            all.insert (all.end(), part.begin(), part.end());

        return all;
    }

    /** The controls chunk of the test effect at its defaults. */
    const Bytes defaultControls = Concat ({ { 1, 1, 1, 1 },
                                            { 'd', '_', '1', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0 },
                                            { 'l', '_', 'c', 'o', 'u', 'n', 't', 0, 0, 0, 0, 0 },
                                            { 'l', '_', 'f', 'l', 'a', 'g', 0, 0, 0, 0, 0, 0 },
                                            { 'd', '_', 'f', 'i', 'n', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
                                            { 'r', '_', 'l', 'a', 'b', 'e', 'l', 0, 'a', 'b', 'c', 0 },
                                            { 'l', '_', 'P', 'r', 'e', 'v', 'i', 'e', 'w', 'I', 'D', 0, 0, 0, 0, 0 } });

    const std::vector<std::string> parameterIDs { "1", "MasterBypassID", "count", "flag", "fine", "label", "PreviewID" };

    class InstanceTest : public ::testing::Test
    {
    protected:
        explicit InstanceTest (HostOptions options = {}) : session (std::move (options)) {}

        void SetUp() override
        {
            std::string error;
            ASSERT_TRUE (session.load (TEST_BUNDLE, error)) << error;
            ASSERT_TRUE (session.startUp().succeeded());
            ASSERT_TRUE (session.registerPlugin().succeeded());
            instance = PluginInstance::create (session, session.getRegistration()->effects.at (0), InstanceSetup(), error);
            ASSERT_NE (instance, nullptr) << error;
        }

        /** Tears down (unless a test did) and checks that nothing is left on either side. */
        void TearDown() override
        {
            instance.reset();
            EXPECT_TRUE (session.shutDown().succeeded());
            EXPECT_EQ (activeObjects(), 0u);
            EXPECT_EQ (session.getLeakedHostObjectCount(), 0);
        }

        acfUInt32 activeObjects()
        {
            acfUInt32 count = 99;
            EXPECT_TRUE (session.canUnloadNow (count).succeeded());
            return count;
        }

        /** What the test bundle reported, oldest first; the list is emptied. */
        std::vector<std::string> takeReports()
        {
            std::vector<std::string> reports;

            for (const auto& trace : session.getTraces())
                if (trace.priority == testTracePriority)
                    reports.push_back (trace.message);

            reports.erase (reports.begin(), reports.begin() + static_cast<long> (std::min (reportsTaken, reports.size())));
            reportsTaken += reports.size();
            return reports;
        }

        AAX_IACFEffectParameters& effect()    { return *instance->getEffect(); }

        ChunkRecord controlsChunk (const Bytes& data)
        {
            ChunkRecord chunk;
            chunk.id = elck;
            chunk.data = data;
            return chunk;
        }

        double value (const char* id)
        {
            double v = -1.0;
            EXPECT_EQ (effect().GetParameterNormalizedValue (id, &v), AAX_SUCCESS) << id;
            return v;
        }

        HostSession session;
        std::unique_ptr<PluginInstance> instance;
        size_t reportsTaken = 0;
    };

    /** A host without the automation-delegate interface: nobody answers set requests. */
    class InstanceWithoutAutomationTest : public InstanceTest
    {
    protected:
        InstanceWithoutAutomationTest() : InstanceTest (withoutAutomation()) {}

        static HostOptions withoutAutomation()
        {
            HostOptions options;
            options.parseOffer ("automation-delegate=0");
            return options;
        }
    };

    /** The default controls chunk with parameter "1" at 0.25 rather than 0.5. */
    Bytes controlsWithQuarter()
    {
        auto bytes = defaultControls;
        bytes[9] = 0xD0;
        return bytes;
    }

    /** A view container of the host's, held for a test. */
    struct ScopedView
    {
        explicit ScopedView (HostSession& session)
            : view (new HostViewContainer (session.getSharedContext(), AAX_eViewContainer_Type_HWND, nullptr))
        {
            view->AddRef();
        }

        ~ScopedView()    { view->Release(); }

        IACFUnknown* unknown() const    { return static_cast<AAX_IACFViewContainer_V2*> (view); }

        HostViewContainer* view;
    };
}

//==============================================================================
TEST_F (InstanceTest, LivesFromCreationToReleaseAndLeavesNothing)
{
    // Before Initialize the bases answer through wrappers without a host.
    EXPECT_EQ (takeReports(), (std::vector<std::string> { "effect before Initialize: sample rate -20004, tempo -20004",
                                                          "GUI before Initialize: view type 0, set size 0, sample rate -20004" }));
    EXPECT_EQ (activeObjects(), 2u);

    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    EXPECT_EQ (takeReports(), (std::vector<std::string> { "chunked parameters: 6", "view contents for the effect" }));

    // Every version of the effect's interface is the effect itself.
    for (const auto& iid : { IID_IAAXEffectParametersV2, IID_IAAXEffectParametersV3, IID_IAAXEffectParametersV4 })
    {
        void* version = nullptr;
        ASSERT_EQ (effect().QueryInterface (iid, &version), ACF_OK);
        EXPECT_EQ (version, instance->getEffect());
        static_cast<IACFUnknown*> (version)->Release();
    }

    {
        // A new view hears of every parameter, in index order.
        ScopedView view (session);
        EXPECT_EQ (instance->getGui()->SetViewContainer (view.unknown()), AAX_SUCCESS);

        std::vector<std::string> expected { "view attached, type 2" };

        for (const auto& id : parameterIDs)
            expected.push_back ("ParameterUpdated " + id);

        EXPECT_EQ (takeReports(), expected);
        EXPECT_EQ (instance->getGui()->SetViewContainer (nullptr), AAX_SUCCESS);
        EXPECT_EQ (takeReports(), std::vector<std::string> { "view deleted with 7 parameters" });
    }

    AAX_Point size {};
    EXPECT_EQ (instance->getGui()->GetCustomLabel (AAX_ePlugInStrings_Analysis, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (instance->getGui()->GetViewSize (&size), AAX_SUCCESS);

    EXPECT_EQ (instance->uninitialize(), AAX_SUCCESS);
    instance->release();
    EXPECT_EQ (takeReports(), (std::vector<std::string> { "GUI deleted", "effect deleted" }));
    EXPECT_EQ (activeObjects(), 0u);
}

TEST_F (InstanceTest, TheEditorGoesBeforeTheEffectWhateverTheHostReleasesFirst)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    ScopedView view (session);
    instance->getGui()->SetViewContainer (view.unknown());
    takeReports();

    // The GUI's Uninitialize takes its editor down while the effect is still there; after
    // that the effect may go first (AddressSanitizer would see the editor touch it).
    EXPECT_EQ (instance->uninitialize(), AAX_SUCCESS);
    instance->release (PluginInstance::ReleaseOrder::effectFirst);
    EXPECT_EQ (takeReports(), (std::vector<std::string> { "view deleted with 7 parameters", "effect deleted", "GUI deleted" }));
}

TEST_F (InstanceTest, AnInstanceWithoutGuiRunsAlone)
{
    instance.reset();
    std::string error;
    instance = PluginInstance::create (session, session.getRegistration()->effects.at (0), InstanceSetup(), error, false);
    ASSERT_NE (instance, nullptr) << error;
    EXPECT_EQ (instance->getGui(), nullptr);
    EXPECT_EQ (activeObjects(), 1u);
    EXPECT_EQ (instance->initialize(), AAX_SUCCESS);
}

TEST_F (InstanceTest, ReleasedWithoutUninitializeLetsGoOfTheHost)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);

    auto* automation = instance->getController().getAutomationDelegate();
    automation->AddRef();
    automation->clearEvents();

    // The parameters unregister through the automation delegate before the effect lets go of
    // it; TearDown checks that no host object is left.
    instance->release();

    std::vector<std::string> unregistered;

    for (const auto& event : automation->getEvents())
        if (event.kind == AutomationEvent::Kind::unregistered)
            unregistered.push_back (event.parameterID);

    EXPECT_EQ (unregistered, parameterIDs);
    automation->Release();
}

TEST_F (InstanceTest, ASecondInitializeIsRefusedAndTheFirstRunsOn)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    EXPECT_EQ (effect().Initialize (instance->getController().asUnknown()), AAX_ERROR_INVALID_ARGUMENT);

    // The first initialisation's parameters still reach the host through their wrapper, and
    // unregister through it at teardown (AddressSanitizer sees a wrapper deleted under them).
    EXPECT_EQ (instance->setParameter ("1", 0.75), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.75);
}

//==============================================================================
TEST_F (InstanceTest, ParameterQueriesForPresentAndMissingIds)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();

    std::int32_t count = 0, steps = 7, index = 7;
    AAX_CBoolean automatable = 1;
    double number = 7.0;
    HostString text;

    EXPECT_EQ (e.GetNumberOfParameters (&count), AAX_SUCCESS);
    EXPECT_EQ (count, 7);
    EXPECT_EQ (e.GetMasterBypassParameter (&text), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "MasterBypassID");

    EXPECT_EQ (e.GetParameterIsAutomatable ("1", &automatable), AAX_SUCCESS);
    EXPECT_EQ (automatable, 1);
    EXPECT_EQ (e.GetParameterIsAutomatable ("nope", &automatable), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (automatable, 0);

    EXPECT_EQ (e.GetParameterNumberOfSteps ("1", &steps), AAX_SUCCESS);
    EXPECT_EQ (steps, 128);
    EXPECT_EQ (e.GetParameterNumberOfSteps ("fine", &steps), AAX_ERROR_SIGNED_INT_OVERFLOW);   // -1 steps
    EXPECT_EQ (steps, 128);
    EXPECT_EQ (e.GetParameterNumberOfSteps ("nope", &steps), AAX_ERROR_INVALID_PARAMETER_ID);

    EXPECT_EQ (e.GetParameterName ("nope", &text), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "");
    EXPECT_EQ (e.GetParameterName ("1", &text), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "Frequency");

    // Shortened names: the longest line that fits, else the start of the whole text.
    for (const auto& [length, expected] : std::vector<std::pair<int, std::string>> { { 4, "Freq" }, { 3, "Fq" }, { 1, "F" },
                                                                                      { 0, "" }, { 31, "Frequency" } })
    {
        HostString shortened ("untouched");
        EXPECT_EQ (e.GetParameterNameOfLength ("1", &shortened, length), AAX_SUCCESS);
        EXPECT_EQ (shortened.str(), expected) << length;
    }

    EXPECT_EQ (e.GetParameterNameOfLength ("nope", &text, 4), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "");
    EXPECT_EQ (e.GetParameterNameOfLength ("1", nullptr, 4), AAX_ERROR_INVALID_STRING_CONVERSION);

    EXPECT_EQ (e.GetParameterDefaultNormalizedValue ("1", &number), AAX_SUCCESS);
    EXPECT_EQ (number, 0.5);
    EXPECT_EQ (e.GetParameterDefaultNormalizedValue ("nope", &number), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.SetParameterDefaultNormalizedValue ("nope", 0.1), AAX_ERROR_INVALID_PARAMETER_ID);

    AAX_EParameterType type {};
    AAX_EParameterOrientation orientation {};
    EXPECT_EQ (e.GetParameterType ("1", &type), AAX_SUCCESS);
    EXPECT_EQ (e.GetParameterType ("nope", &type), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.GetParameterOrientation ("1", &orientation), AAX_SUCCESS);
    EXPECT_EQ (e.GetParameterOrientation ("nope", &orientation), AAX_ERROR_INVALID_PARAMETER_ID);

    AAX_IParameter* parameter = nullptr;
    EXPECT_EQ (e.GetParameter ("count", &parameter), AAX_SUCCESS);
    ASSERT_NE (parameter, nullptr);
    EXPECT_STREQ (parameter->Identifier(), "count");
    EXPECT_EQ (e.GetParameter ("nope", &parameter), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (parameter, nullptr);

    EXPECT_EQ (e.GetParameterIndex ("flag", &index), AAX_SUCCESS);
    EXPECT_EQ (index, 3);
    EXPECT_EQ (e.GetParameterIndex ("nope", &index), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (index, -1);
    EXPECT_EQ (e.GetParameterIDFromIndex (6, &text), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "PreviewID");
    EXPECT_EQ (e.GetParameterIDFromIndex (7, &text), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (text.str(), "");

    std::int32_t info = 7;
    EXPECT_EQ (e.GetParameterValueInfo ("1", 0, &info), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (info, 0);
}

TEST_F (InstanceTest, ValueTextsAnswerFailureWhenNoTextCanBeMade)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();
    HostString text ("untouched");
    double number = 0;

    EXPECT_EQ (e.GetParameterValueFromString ("1", &number, HostString ("0.25")), AAX_SUCCESS);
    EXPECT_EQ (number, 0.25);
    EXPECT_EQ (e.GetParameterValueFromString ("1", &number, HostString ("abc")), AAX_ERROR_INVALID_STRING_CONVERSION);
    EXPECT_EQ (e.GetParameterValueFromString ("nope", &number, HostString ("0.25")), AAX_ERROR_INVALID_PARAMETER_ID);

    EXPECT_EQ (e.GetParameterStringFromValue ("1", 0.25, &text, 31), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "0.250");
    EXPECT_EQ (e.GetParameterStringFromValue ("nope", 0.25, &text, 31), AAX_ERROR_INVALID_PARAMETER_ID);

    EXPECT_EQ (e.GetParameterValueString ("1", &text, 31), AAX_SUCCESS);
    EXPECT_EQ (text.str(), "0.500");

    // The text parameter has no value text: a failure, and the text is left alone.
    text.Set ("untouched");
    EXPECT_EQ (e.GetParameterValueString ("label", &text, 31), AAX_ERROR_INVALID_STRING_CONVERSION);
    EXPECT_EQ (text.str(), "untouched");
    EXPECT_EQ (e.GetParameterValueString ("nope", &text, 31), AAX_ERROR_INVALID_PARAMETER_ID);
}

TEST_F (InstanceTest, ValuesChangeThroughTheHostsAutomation)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();
    std::int32_t changes = -1, before = -1;
    EXPECT_EQ (e.GetNumberOfChanges (&before), AAX_SUCCESS);

    // A set request changes nothing until the host answers it.
    EXPECT_EQ (e.SetParameterNormalizedValue ("1", 0.8), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.5);
    EXPECT_EQ (instance->answerAutomation(), 1);
    EXPECT_NEAR (value ("1"), 0.8, 1e-7);

    EXPECT_EQ (e.SetParameterNormalizedRelative ("1", 0.5), AAX_SUCCESS);
    instance->answerAutomation();
    EXPECT_EQ (value ("1"), 1.0);
    EXPECT_EQ (e.SetParameterNormalizedRelative ("1", -2.0), AAX_SUCCESS);
    instance->answerAutomation();
    EXPECT_EQ (value ("1"), 0.0);
    EXPECT_EQ (e.GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, before + 3);

    EXPECT_EQ (e.UpdateParameterNormalizedRelative ("1", 0.25), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.25);

    EXPECT_EQ (e.SetParameterNormalizedValue ("nope", 0.1), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.SetParameterNormalizedRelative ("nope", 0.1), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.UpdateParameterNormalizedValue ("nope", 0.1, AAX_eUpdateSource_Unspecified), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.TouchParameter ("nope"), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.ReleaseParameter ("nope"), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (e.TouchParameter ("1"), AAX_SUCCESS);
    EXPECT_EQ (e.ReleaseParameter ("1"), AAX_SUCCESS);
    EXPECT_EQ (e.UpdateParameterTouch ("nope", 1), AAX_SUCCESS);

    // The bypass packet goes out once at the start, then whenever the host reports the
    // bypass, even unchanged; an unchanged value is no change for the host's dirty check.
    EXPECT_EQ (instance->generateCoefficients(), AAX_SUCCESS);
    EXPECT_EQ (instance->getController().getPackets (3).size(), 1u);
    EXPECT_EQ (e.GetNumberOfChanges (&before), AAX_SUCCESS);
    EXPECT_EQ (e.UpdateParameterNormalizedValue (cDefaultMasterBypassID, 0.0, AAX_eUpdateSource_Unspecified), AAX_SUCCESS);
    EXPECT_EQ (instance->generateCoefficients(), AAX_SUCCESS);
    EXPECT_EQ (instance->getController().getPackets (3).size(), 2u);
    EXPECT_EQ (e.GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, before);
    EXPECT_EQ (e.UpdateParameterNormalizedValue (cDefaultMasterBypassID, 1.0, AAX_eUpdateSource_Unspecified), AAX_SUCCESS);
    EXPECT_EQ (e.GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, before + 1);
}

TEST_F (InstanceTest, NotificationsAndFieldDataCheckWhatTheyAreGiven)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();
    AAX_IParameter* preview = nullptr;
    ASSERT_EQ (e.GetParameter ("PreviewID", &preview), AAX_SUCCESS);
    bool previewing = true;

    // Short, missing or foreign data changes nothing.
    const std::int32_t state = 2;
    EXPECT_EQ (e.NotificationReceived (AAX_eNotificationEvent_ASPreviewState, nullptr, 4), AAX_SUCCESS);
    EXPECT_EQ (e.NotificationReceived (AAX_eNotificationEvent_ASPreviewState, &state, 2), AAX_SUCCESS);
    EXPECT_EQ (e.NotificationReceived (AAX_eNotificationEvent_TrackNameChanged, &state, 4), AAX_SUCCESS);
    EXPECT_TRUE (preview->GetValueAsBool (&previewing));
    EXPECT_FALSE (previewing);

    EXPECT_EQ (e.NotificationReceived (AAX_eNotificationEvent_ASPreviewState, &state, 4), AAX_SUCCESS);
    EXPECT_TRUE (preview->GetValueAsBool (&previewing));
    EXPECT_TRUE (previewing);

    unsigned char field[6] = { 1, 2, 3, 4, 5, 6 };
    EXPECT_EQ (e.ResetFieldData (4, nullptr, 0), AAX_SUCCESS);
    EXPECT_EQ (e.ResetFieldData (4, nullptr, 4), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ (e.ResetFieldData (4, field, 4), AAX_SUCCESS);
    EXPECT_EQ (Bytes (field, field + 6), (Bytes { 0, 0, 0, 0, 5, 6 }));
}

//==============================================================================
TEST_F (InstanceTest, ChunkSlotsAnswerForTheirIdsIndicesAndSizes)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();
    std::int32_t count = 0;
    AAX_CTypeID id = 7;
    std::uint32_t size = 7;

    EXPECT_EQ (e.GetNumberOfChunks (&count), AAX_SUCCESS);
    EXPECT_EQ (count, 1);
    EXPECT_EQ (e.GetChunkIDFromIndex (0, &id), AAX_SUCCESS);
    EXPECT_EQ (id, elck);
    EXPECT_EQ (e.GetChunkIDFromIndex (1, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ (id, 0u);
    EXPECT_EQ (e.GetChunkSize (juce, &size), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (size, 0u);

    ChunkBuffer buffer (256);
    EXPECT_EQ (e.GetChunk (juce, buffer.get()), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (e.SetChunk (juce, buffer.get()), AAX_ERROR_INVALID_CHUNK_ID);

    // A GetChunk must follow a size query for the same size.
    EXPECT_EQ (e.GetChunk (elck, buffer.get()), AAX_ERROR_INCORRECT_CHUNK_SIZE);
    EXPECT_EQ (e.GetChunkSize (elck, &size), AAX_SUCCESS);
    EXPECT_EQ (size, defaultControls.size());

    AAX_IParameter* label = nullptr;
    ASSERT_EQ (e.GetParameter ("label", &label), AAX_SUCCESS);
    label->SetValueWithString (HostString ("a longer text"));
    EXPECT_EQ (e.GetChunk (elck, buffer.get()), AAX_ERROR_INCORRECT_CHUNK_SIZE);

    EXPECT_EQ (e.SetChunk (elck, nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ (e.GetChunk (elck, nullptr), AAX_ERROR_NULL_ARGUMENT);
}

TEST_F (InstanceTest, ControlsChunkHoldsEveryValueButTheMasterBypass)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);

    ChunkRecord chunk;
    ASSERT_EQ (instance->getChunk (elck, chunk), AAX_SUCCESS);
    EXPECT_EQ (chunk.data, defaultControls);
    EXPECT_EQ (chunk.version, -1);
    EXPECT_EQ (chunk.name, "Complete Controls State");

    ChunkBuffer raw (static_cast<std::uint32_t> (defaultControls.size()));
    std::uint32_t size = 0;
    ASSERT_EQ (effect().GetChunkSize (elck, &size), AAX_SUCCESS);
    ASSERT_EQ (effect().GetChunk (elck, raw.get()), AAX_SUCCESS);
    const char expectedName[32] = "Complete Controls State";
    EXPECT_EQ (std::memcmp (raw.get()->fName, expectedName, 32), 0);   // NUL-padded to 32
}

TEST_F (InstanceTest, ChunksRestoreInAnyOrderAndCompare)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();

    // Entries in reverse order of the parameters, with new values.
    const auto chunk = controlsChunk (Concat ({ { 1, 1, 1, 1 },
                                                { 'l', '_', 'P', 'r', 'e', 'v', 'i', 'e', 'w', 'I', 'D', 0, 0, 0, 0, 1 },
                                                { 'r', '_', 'l', 'a', 'b', 'e', 'l', 0, 'x', 'y', 'z', 'w', 0, 0, 0, 0 },
                                                { 'd', '_', 'f', 'i', 'n', 'e', 0, 0, 0x3F, 0xD0, 0, 0, 0, 0, 0, 0 },
                                                { 'l', '_', 'f', 'l', 'a', 'g', 0, 0, 0, 0, 0, 2 },
                                                { 'l', '_', 'c', 'o', 'u', 'n', 't', 0, 0xFF, 0xFF, 0xFF, 0xFE },
                                                { 'd', '_', '1', 0, 0x3F, 0xD0, 0, 0, 0, 0, 0, 0 } }));
    bool equal = true;
    EXPECT_EQ (instance->compareChunk (chunk, equal), AAX_SUCCESS);
    EXPECT_FALSE (equal);

    EXPECT_EQ (instance->setChunk (chunk), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.25);

    AAX_IParameter* parameter = nullptr;
    std::int32_t count = 0;
    bool flag = false;
    double fine = 0;
    HostString label;
    ASSERT_EQ (e.GetParameter ("count", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsInt32 (&count));
    EXPECT_EQ (count, -2);
    ASSERT_EQ (e.GetParameter ("flag", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsBool (&flag));
    EXPECT_TRUE (flag);
    ASSERT_EQ (e.GetParameter ("fine", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsDouble (&fine));
    EXPECT_EQ (fine, 0.25);
    ASSERT_EQ (e.GetParameter ("label", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsString (&label));
    EXPECT_EQ (label.str(), "xyzw");

    EXPECT_EQ (instance->compareChunk (chunk, equal), AAX_SUCCESS);
    EXPECT_TRUE (equal);

    // Another plug-in's chunk always compares equal; a chunk from before a move does not.
    ChunkRecord other;
    other.id = juce;
    EXPECT_EQ (instance->compareChunk (other, equal), AAX_SUCCESS);
    EXPECT_TRUE (equal);

    ChunkRecord before;
    ASSERT_EQ (instance->getChunk (elck, before), AAX_SUCCESS);
    instance->setParameter ("1", 0.75);
    EXPECT_EQ (instance->compareChunk (before, equal), AAX_SUCCESS);
    EXPECT_FALSE (equal);
}

TEST_F (InstanceTest, DamagedChunksRestoreWhatTheyHoldWholeAndSaySo)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    bool equal = true;

    // The lead alone is a whole chunk that holds nothing.
    EXPECT_EQ (instance->setChunk (controlsChunk ({ 1, 1, 1, 1 })), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.5);

    // Cut inside its second entry: the first is restored, the damage reported.
    const auto cut = controlsChunk (Concat ({ { 1, 1, 1, 1 },
                                              { 'd', '_', '1', 0, 0x3F, 0xD0, 0, 0, 0, 0, 0, 0 },
                                              { 'l', '_', 'c', 'o', 'u', 'n', 't', 0, 0xFF, 0xFF } }));
    EXPECT_EQ (instance->setChunk (cut), AAX_ERROR_MALFORMED_CHUNK);
    EXPECT_EQ (value ("1"), 0.25);
    EXPECT_EQ (instance->compareChunk (cut, equal), AAX_SUCCESS) << "a damaged chunk is an answer, not a failed call";
    EXPECT_FALSE (equal);

    // Numbers that are no numbers never reach a parameter; the rest of the chunk does.
    const auto notANumber = controlsChunk (Concat ({ { 1, 1, 1, 1 },
                                                     { 'd', '_', '1', 0, 0x7F, 0xF8, 0, 0, 0, 0, 0, 0 },
                                                     { 'd', '_', 'f', 'i', 'n', 'e', 0, 0, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0 },
                                                     { 'l', '_', 'c', 'o', 'u', 'n', 't', 0, 0, 0, 0, 9 } }));
    EXPECT_EQ (instance->setChunk (notANumber), AAX_ERROR_MALFORMED_CHUNK);
    EXPECT_EQ (value ("1"), 0.25);
    AAX_IParameter* parameter = nullptr;
    double fine = -1;
    std::int32_t count = 0;
    ASSERT_EQ (effect().GetParameter ("fine", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsDouble (&fine));
    EXPECT_EQ (fine, 0.0);
    ASSERT_EQ (effect().GetParameter ("count", &parameter), AAX_SUCCESS);
    EXPECT_TRUE (parameter->GetValueAsInt32 (&count));
    EXPECT_EQ (count, 9);

    for (const auto& damaged : { Bytes {}, Bytes { 1, 1, 1 }, Bytes { 1, 1, 1, 0, 'd', '_', '1', 0 } })
    {
        EXPECT_EQ (instance->setChunk (controlsChunk (damaged)), AAX_ERROR_MALFORMED_CHUNK) << damaged.size();
        EXPECT_EQ (value ("1"), 0.25);
        equal = true;
        EXPECT_EQ (instance->compareChunk (controlsChunk (damaged), equal), AAX_SUCCESS) << damaged.size();
        EXPECT_FALSE (equal) << damaged.size();
    }
}

TEST_F (InstanceTest, ChunksAreRefusedWhileTheEffectIsNotInitialized)
{
    const auto quarter = controlsChunk (controlsWithQuarter());
    EXPECT_EQ (instance->setChunk (quarter), AAX_ERROR_NOT_INITIALIZED);

    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    EXPECT_EQ (instance->setChunk (quarter), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.25);

    ASSERT_EQ (instance->uninitialize(), AAX_SUCCESS);
    EXPECT_EQ (instance->setChunk (quarter), AAX_ERROR_NOT_INITIALIZED);
}

TEST_F (InstanceTest, ARestoredValueTheHostRefusesIsReported)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);

    // The host no longer takes requests for "1": its value cannot arrive.
    instance->getController().getAutomationDelegate()->UnregisterParameter ("1");
    EXPECT_EQ (instance->setChunk (controlsChunk (controlsWithQuarter())), AAX_ERROR_NOTIFICATION_FAILED);
    EXPECT_EQ (value ("1"), 0.5);
}

//==============================================================================
TEST_F (InstanceWithoutAutomationTest, ValuesArriveAtOnceAndTheNextSaveHoldsThem)
{
    ASSERT_EQ (instance->initialize(), AAX_SUCCESS);
    auto& e = effect();
    std::int32_t before = 0, changes = 0;
    EXPECT_EQ (e.GetNumberOfChanges (&before), AAX_SUCCESS);

    // As JUCE's wrapper passes on a value its processor already has.
    EXPECT_EQ (e.SetParameterNormalizedValue ("1", 0.75), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.75);
    takeReports();

    // A restored value reaches the derived class as the host's answer would bring it.
    const auto restored = controlsChunk (controlsWithQuarter());
    EXPECT_EQ (instance->setChunk (restored), AAX_SUCCESS);
    EXPECT_EQ (value ("1"), 0.25);
    EXPECT_EQ (takeReports(), std::vector<std::string> { "chunk value 1: 0.250" });
    EXPECT_EQ (e.GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, before + 1);

    ChunkRecord saved;
    ASSERT_EQ (instance->getChunk (elck, saved), AAX_SUCCESS);
    EXPECT_EQ (saved.data, restored.data);
}
