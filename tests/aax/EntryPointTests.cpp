#include "AAX_Exports.h"
#include "AAX_Exception.h"
#include "AAX_VCollection.h"
#include "AAX_VHostServices.h"
#include "CACFUnknown.h"
#include "FakeHost.h"
#include "TestDescribe.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
    /** A plug-in object that records when its final release runs. */
    struct PluginObject : CACFUnknown
    {
        explicit PluginObject (std::vector<std::string>& e) : events (e) {}
        ~PluginObject() override    { events.push_back ("deleted"); }
        void FinalRelease() override { events.push_back ("final release"); }

        std::vector<std::string>& events;
    };

    AAX_Result registerWith (FakeHost::Host& host, IACFPluginDefinition*& definition)
    {
        definition = reinterpret_cast<IACFPluginDefinition*> (&host);    // must be overwritten
        return ACFRegisterPlugin (&host, &definition);
    }
}

//==============================================================================
TEST (AAXEntryPoints, FixedAnswers)
{
    acfUInt64 version = 0;
    EXPECT_EQ (ACFGetSDKVersion (&version), ACF_OK);
    EXPECT_EQ (version, 0x0000020300C96BF5u);

    void* factory = &version;
    EXPECT_EQ (ACFGetClassFactory (nullptr, AAXCompID_PropertyMap, IID_IACFUnknown, &factory), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (factory, nullptr);

    IACFUnknown* component = reinterpret_cast<IACFUnknown*> (&version);
    EXPECT_EQ (ACFRegisterComponent (nullptr, 0, &component), ACF_OK);
    EXPECT_EQ (component, nullptr);
}

TEST (AAXEntryPoints, ASecondStartUpKeepsTheFirstHostsServices)
{
    FakeHost::Host first, second;

    EXPECT_EQ (AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, "%s", reinterpret_cast<const char*> (1)), AAX_SUCCESS)
        << "a trace before start-up must not format its arguments";

    EXPECT_EQ (ACFStartup (&first), ACF_OK);
    EXPECT_EQ (ACFStartup (&second), ACF_OK);
    AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, "to %d", 1);
    EXPECT_EQ (first.traceTexts(), std::vector<std::string> { "to 1" });
    EXPECT_TRUE (second.traceTexts().empty());
    EXPECT_EQ (second.outstandingReferences(), 0);

    EXPECT_EQ (ACFShutdown (nullptr), ACF_OK);
    EXPECT_EQ (first.outstandingReferences(), 0);

    EXPECT_EQ (ACFStartup (&second), ACF_OK);
    AAX_CHostServices::Trace (AAX_eTracePriorityHost_High, "to %d", 2);
    EXPECT_EQ (second.traceTexts(), std::vector<std::string> { "to 2" });
    EXPECT_EQ (ACFShutdown (nullptr), ACF_OK);
    EXPECT_EQ (second.outstandingReferences(), 0);
}

TEST (AAXEntryPoints, TracesAreCutToTheBufferAndHostsMissingVersionsAreTold)
{
    FakeHost::Host host;
    ScopedHostServices services (&host);

    const std::string longText (2000, 'x');
    EXPECT_EQ (AAX_CHostServices::Trace (AAX_eTracePriorityHost_Normal, "%s%s", longText.c_str(), longText.c_str()), AAX_SUCCESS);
    ASSERT_EQ (host.traceTexts().size(), 1u);
    EXPECT_EQ (host.traceTexts()[0], std::string (AAX_CHostServices::traceBufferSize - 1, 'x'));

    EXPECT_EQ (AAX_CHostServices::HandleAssertFailure ("file", 3, "note", AAX_eAssertFlags_Log), AAX_SUCCESS);
    EXPECT_EQ (host.services.asserts, std::vector<std::string> { "file:3:note:1" });

    FakeHost::Options onlyTraces;
    onlyTraces.hostServices = 1;
    FakeHost::Host oldHost (onlyTraces);
    AAX_VHostServices wrapper (&oldHost);
    EXPECT_EQ (wrapper.Trace (0, "t"), AAX_SUCCESS);
    EXPECT_EQ (wrapper.StackTrace (0, 0, "s"), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (wrapper.HandleAssertFailure ("f", 1, "n", 1), AAX_ERROR_NULL_OBJECT);

    AAX_VHostServices without (nullptr);
    EXPECT_EQ (without.Trace (0, "t"), AAX_ERROR_NULL_OBJECT);
}

//==============================================================================
TEST (AAXEntryPoints, ReferenceCountsAndTheActiveObjectCount)
{
    std::vector<std::string> events;
    ASSERT_EQ (ACFCanUnloadNow (nullptr), 0);

    auto* effect = new PluginObject (events);
    auto* gui = new PluginObject (events);
    EXPECT_EQ (ACFCanUnloadNow (nullptr), 2);

    // The object's own unknown answers IACFUnknown and nothing else.
    IACFUnknown* unknown = nullptr;
    ASSERT_EQ (effect->InternalQueryInterface (IID_IACFUnknown, reinterpret_cast<void**> (&unknown)), ACF_OK);
    void* other = &events;
    EXPECT_EQ (unknown->QueryInterface (IID_IAAXCollectionV1, &other), ACF_E_NOINTERFACE);
    EXPECT_EQ (other, nullptr);

    EXPECT_EQ (unknown->AddRef(), 2u);
    EXPECT_EQ (unknown->Release(), 1u);
    EXPECT_TRUE (events.empty());
    EXPECT_EQ (unknown->Release(), 0u);
    EXPECT_EQ (events, (std::vector<std::string> { "final release", "deleted" }));
    EXPECT_EQ (ACFCanUnloadNow (nullptr), 1);

    gui->InternalAddRef();
    gui->InternalRelease();
    EXPECT_EQ (ACFCanUnloadNow (nullptr), 0);
}

//==============================================================================
TEST (AAXRegistration, HandsOutThePluginDefinition)
{
    FakeHost::Host host;
    ScopedHostServices services (&host);
    const int heldByServices = host.outstandingReferences();
    testDescribe = [] (AAX_ICollection* collection)
    {
        collection->SetManufacturerName ("Larkspan");
        return AAX_SUCCESS;
    };

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (registerWith (host, definition), ACF_OK);
    ASSERT_EQ (host.collections.size(), 1u);
    EXPECT_EQ (definition, static_cast<IACFPluginDefinition*> (&host.collections[0]->definition));
    EXPECT_EQ (host.collections[0]->calls, std::vector<std::string> { "Manufacturer Larkspan" });

    definition->Release();
    EXPECT_EQ (host.outstandingReferences(), heldByServices);
}

TEST (AAXRegistration, FailuresAreTracedAndReturned)
{
    struct Case
    {
        const char* name;
        FakeHost::Options options;
        std::function<AAX_Result (AAX_ICollection*)> describe;
        AAX_Result expected;
        const char* trace;
    };

    FakeHost::Options withoutDefinition;
    withoutDefinition.pluginDefinition = false;

    const std::vector<Case> cases
    {
        { "no plug-in definition", withoutDefinition, [] (AAX_ICollection*) { return AAX_SUCCESS; },
          AAX_ERROR_NULL_OBJECT, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)" },
        { "describe fails", {}, [] (AAX_ICollection*) { return AAX_Result (AAX_ERROR_NULL_OBJECT); },
          AAX_ERROR_NULL_OBJECT, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)" },
        { "layer exception", {}, [] (AAX_ICollection*) -> AAX_Result { throw AAX::Exception::Any ("broken"); },
          AAX_ERROR_UNKNOWN_EXCEPTION, "AAXRegisterPlugin exception caught: broken" },
        { "library exception", {}, [] (AAX_ICollection*) -> AAX_Result { throw std::runtime_error ("bad"); },
          AAX_ERROR_UNKNOWN_EXCEPTION, "AAXRegisterPlugin exception caught: bad" },
        { "anything else", {}, [] (AAX_ICollection*) -> AAX_Result { throw static_cast<ACFRESULT> (ACF_E_POINTER); },
          AAX_ERROR_UNKNOWN_EXCEPTION, "AAXRegisterPlugin exception caught: unknown" },
    };

    for (const auto& c : cases)
    {
        FakeHost::Host host (c.options);
        ScopedHostServices services (&host);
        const int heldByServices = host.outstandingReferences();
        testDescribe = c.describe;

        IACFPluginDefinition* definition = nullptr;
        EXPECT_EQ (registerWith (host, definition), c.expected) << c.name;
        EXPECT_EQ (definition, nullptr) << c.name;
        ASSERT_FALSE (host.services.traces.empty()) << c.name;
        EXPECT_EQ (host.services.traces.back().first, 0x08000000) << c.name;
        EXPECT_EQ (host.services.traces.back().second, c.trace) << c.name;
        EXPECT_EQ (host.outstandingReferences(), heldByServices) << c.name << ": the registration released what it took";
    }

    testDescribe = nullptr;
}

TEST (AAXRegistration, NothingThrownLeavesTheBundle)
{
    struct FailingServices : FakeHost::HostServices
    {
        AAX_Result Trace (int32_t, const char*) override    { throw std::runtime_error ("host trace failed"); }
    };

    // The registration's handlers trace the failure; when even that throws, the entry
    // point's catch-all answers.
    FakeHost::Host host;
    FailingServices failing;
    host.offeredServices = &failing;
    ScopedHostServices services (&host);
    testDescribe = [] (AAX_ICollection*) -> AAX_Result { throw std::runtime_error ("bad"); };

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (registerWith (host, definition), ACF_E_UNEXPECTED);
    testDescribe = nullptr;
}
