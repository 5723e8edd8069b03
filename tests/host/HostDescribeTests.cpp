// The stand-in host driving test bundles through their entry points, as it will drive the
// plug-in: what a bundle registers must reach the host whole, whatever interface versions
// the host offers, and every failure must come back as a result, never a crash.

#include "HostSession.h"
#include "JuceFields.h"

#include <AAX_Enums.h>
#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tanglefix::host;

namespace
{
    constexpr std::uint32_t fourCharCode (const char (&code)[5])
    {
        return AAX_FourCharCode (code[0], code[1], code[2], code[3]);
    }

    constexpr std::uint32_t mono   = static_cast<std::uint32_t> (AAX_eStemFormat_Mono);
    constexpr std::uint32_t stereo = static_cast<std::uint32_t> (AAX_eStemFormat_Stereo);

    struct ExpectedComponent
    {
        std::uint32_t input, output, nativeId, audioSuiteId;
    };

    const ExpectedComponent expectedComponents[] = {
        { mono,   mono,   fourCharCode ("jcac"), fourCharCode ("jyac") },
        { mono,   stereo, fourCharCode ("jcab"), fourCharCode ("jyab") },
        { stereo, stereo, fourCharCode ("jcaa"), fourCharCode ("jyaa") },
    };

    std::vector<FieldRecord> expectedFields()
    {
        return host_test::juceAlgorithmFields();
    }

    PropertyList expectedProperties (const ExpectedComponent& c)
    {
        return { { 11, fourCharCode ("Lksp"), false },
                 { 12, fourCharCode ("Tgfx"), false },
                 { 60, 1, false },
                 { 51, c.input, false },
                 { 52, c.output, false },
                 { 13, c.nativeId, false },
                 { 14, c.audioSuiteId, false },
                 { 304, 1, false } };
    }

    /** The properties without the pointer ones, which only some hosts keep. */
    PropertyList valueProperties (PropertyList properties)
    {
        properties.erase (std::remove_if (properties.begin(), properties.end(),
                                          [] (const PropertyRecord& p) { return p.isPointer; }),
                          properties.end());
        return properties;
    }

    class DescribeTest : public ::testing::Test
    {
    protected:
        /** Loads, starts up and registers a bundle; returns the registration result. */
        EntryPointResult describe (const char* bundlePath, std::initializer_list<const char*> offers = {})
        {
            HostOptions options;

            for (const auto* offer : offers)
                EXPECT_TRUE (options.parseOffer (offer)) << offer;

            session = std::make_unique<HostSession> (options);
            std::string error;

            if (! session->load (bundlePath, error))
            {
                ADD_FAILURE() << error;
                return { ACF_E_UNEXPECTED, error };
            }

            EXPECT_TRUE (session->startUp().succeeded());
            return session->registerPlugin();
        }

        /** Shuts down and checks that the bundle let go of everything. */
        void expectCleanShutDown()
        {
            EXPECT_TRUE (session->shutDown().succeeded());

            acfUInt32 activeObjects = 99;
            EXPECT_TRUE (session->canUnloadNow (activeObjects).succeeded());
            EXPECT_EQ (activeObjects, 0u);
            EXPECT_EQ (session->getLeakedHostObjectCount(), 0);
        }

        void expectProductRegistration (bool propertyDrivenProcs = false)
        {
            ASSERT_TRUE (session->getRegistration().has_value());
            const auto& plugin = *session->getRegistration();
            const auto& bundle = session->getBundle();

            EXPECT_EQ (plugin.manufacturerName, "Larkspan");
            EXPECT_EQ (plugin.packageNames, (std::vector<std::string> { "Tanglefix", "Tanglefix" }));
            EXPECT_TRUE (plugin.packageVersionSet);
            EXPECT_EQ (plugin.packageVersion, 0x10206u);

            ASSERT_EQ (plugin.effects.size(), 1u);
            const auto& effect = plugin.effects.front();
            EXPECT_EQ (effect.identifier, "com.Larkspan.Tanglefix");
            EXPECT_EQ (effect.names, std::vector<std::string> { "Tanglefix" });
            EXPECT_EQ (effect.categories, std::vector<std::uint32_t> { 0x2020 });

            ASSERT_EQ (effect.procPointers.size(), 2u);
            EXPECT_EQ (effect.procPointers[0].first, 1u);   // the GUI factory first,
            EXPECT_EQ (effect.procPointers[1].first, 0u);   // then the effect's
            EXPECT_TRUE (bundle.contains (effect.procPointers[0].second));
            EXPECT_TRUE (bundle.contains (effect.procPointers[1].second));
            EXPECT_NE (effect.procPointers[0].second, effect.procPointers[1].second);

            ASSERT_EQ (effect.components.size(), 3u);

            for (size_t i = 0; i < 3; ++i)
            {
                SCOPED_TRACE ("component " + std::to_string (i + 1));
                const auto& component = effect.components[i];
                EXPECT_EQ (component.fields, expectedFields());

                ASSERT_EQ (component.processProcs.size(), 1u);
                const auto& proc = component.processProcs.front();
                EXPECT_EQ (proc.kind, ProcessProcRecord::Kind::native);
                EXPECT_TRUE (bundle.contains (proc.processProc));
                EXPECT_EQ (proc.instanceInitProc, nullptr);
                EXPECT_EQ (proc.backgroundProc, nullptr);
                EXPECT_NE (proc.id, 0u);

                const auto properties = propertyDrivenProcs ? valueProperties (proc.properties) : proc.properties;
                EXPECT_EQ (properties, expectedProperties (expectedComponents[i]));
            }
        }

        std::unique_ptr<HostSession> session;
    };
}

//==============================================================================
TEST_F (DescribeTest, BundleRegistersTheProductFieldByField)
{
    const auto result = describe (TEST_BUNDLE);
    EXPECT_TRUE (result.succeeded()) << result.code << " " << result.problem;

    acfUInt64 version = 0;
    EXPECT_TRUE (session->getSdkVersion (version).succeeded());
    EXPECT_EQ (version, 0x0000020300C96BF5u);

    expectProductRegistration();
    EXPECT_TRUE (session->getTraces().empty());
    EXPECT_TRUE (session->getAsserts().empty());

    // The bundle offers no components or class factories of its own.
    EXPECT_TRUE (session->registerComponent (0).succeeded());
    bool gotFactory = true;
    EXPECT_EQ (session->getClassFactory (IID_IACFUnknown, IID_IACFUnknown, gotFactory).code, AAX_ERROR_UNIMPLEMENTED);
    EXPECT_FALSE (gotFactory);

    expectCleanShutDown();
}

TEST_F (DescribeTest, OlderOrPoorerHostsGetTheSameRegistration)
{
    // Each host lacks something the bundle's wrappers must cope with: newer versions of
    // every interface, the description host (so the stem-format rule applies on the
    // plug-in's side), the feature query, the 64-bit property map.
    const std::initializer_list<const char*> hosts[] = {
        { "all=1" },
        { "description-host=0" },
        { "feature-info=0" },
        { "property-map=1", "component-descriptor=1", "effect-descriptor=1" },
        { "host-services=0" },
        { "definition=0" },
    };

    for (const auto& offers : hosts)
    {
        SCOPED_TRACE (*offers.begin());
        const auto result = describe (TEST_BUNDLE, offers);
        EXPECT_TRUE (result.succeeded()) << result.code << " " << result.problem;
        expectProductRegistration();
        EXPECT_TRUE (session->getAsserts().empty());
        expectCleanShutDown();
    }
}

TEST_F (DescribeTest, PropertyDrivenProcessProcsRegisterOnEveryHost)
{
    // With the newest component descriptor the host reads the procedure from the properties;
    // without it the plug-in's library must find it itself (in its own pointer cache when
    // the property map can't hold pointers) and register it the old way.
    const std::initializer_list<const char*> hosts[] = {
        {},
        { "component-descriptor=2" },
        { "component-descriptor=1", "property-map=1" },
        { "all=1" },
    };

    for (const auto& offers : hosts)
    {
        SCOPED_TRACE (offers.size() > 0 ? *offers.begin() : "every version");
        const auto result = describe (TEST_BUNDLE_PROCS, offers);
        EXPECT_TRUE (result.succeeded()) << result.code << " " << result.problem;
        expectProductRegistration (true);
        EXPECT_TRUE (session->getTraces().empty());
        EXPECT_TRUE (session->getAsserts().empty());
        expectCleanShutDown();
    }
}

//==============================================================================
TEST_F (DescribeTest, FailedDescriptionIsReportedAndTraced)
{
    const auto result = describe (TEST_BUNDLE_FAILING);
    EXPECT_EQ (result.code, AAX_ERROR_NULL_OBJECT);
    EXPECT_FALSE (session->getRegistration().has_value());

    const auto traces = session->getTraces();
    ASSERT_FALSE (traces.empty());
    EXPECT_EQ (traces.back().priority, 0x08000000);
    EXPECT_EQ (traces.back().message, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)");
    expectCleanShutDown();
}

TEST_F (DescribeTest, HostWithoutCollectionsOrPropertyMapsGetsAnErrorNotACrash)
{
    // Without property maps the bundle's components could carry neither their plug-in ids
    // nor their procedures, so that registration fails too instead of answering success.
    for (const auto* offer : { "collection=0", "property-map=0" })
    {
        SCOPED_TRACE (offer);
        const auto result = describe (TEST_BUNDLE, { offer });
        EXPECT_EQ (result.code, AAX_ERROR_NULL_OBJECT);
        EXPECT_FALSE (session->getRegistration().has_value());

        const auto traces = session->getTraces();
        ASSERT_FALSE (traces.empty());
        EXPECT_EQ (traces.back().message, "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)");
        expectCleanShutDown();
    }
}

TEST_F (DescribeTest, HostWithoutAnyInterfaceGetsAnErrorAndNoTraces)
{
    const auto result = describe (TEST_BUNDLE, { "all=0" });
    EXPECT_EQ (result.code, AAX_ERROR_NULL_OBJECT);
    EXPECT_TRUE (session->getTraces().empty());   // no host services to trace to
    expectCleanShutDown();
}

TEST_F (DescribeTest, SecondStartUpKeepsOneServicesConnection)
{
    describe (TEST_BUNDLE);
    EXPECT_TRUE (session->startUp().succeeded());
    expectCleanShutDown();
}

TEST (BundleLoading, MissingFileOrEntryPointIsAClearError)
{
    HostSession session;
    std::string error;

    EXPECT_FALSE (session.load ("/nonexistent/bundle.so", error));
    EXPECT_NE (error.find ("no such file"), std::string::npos) << error;

    EXPECT_FALSE (session.load ("/", error));
    EXPECT_NE (error.find ("not a file"), std::string::npos) << error;

    EXPECT_FALSE (session.load (TEST_NOT_A_BUNDLE, error)) << "a text file is no loadable bundle";
    EXPECT_NE (error.find ("cannot load bundle"), std::string::npos) << error;

    EXPECT_FALSE (session.load (TEST_BUNDLE_INCOMPLETE, error));
    EXPECT_NE (error.find ("does not export the entry point ACFGetSDKVersion"), std::string::npos) << error;

    // Nothing to call into: each entry point answers with an error instead of crashing.
    EXPECT_FALSE (session.startUp().succeeded());
}
