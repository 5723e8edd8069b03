#include "AAX_Exception.h"
#include "AAX_Init.h"
#include "AAX_VCollection.h"
#include "AAX_VComponentDescriptor.h"
#include "AAX_VEffectDescriptor.h"
#include "AAX_VFeatureInfo.h"
#include "AAX_VPropertyMap.h"
#include "FakeHost.h"
#include "TestDescribe.h"

#include <gtest/gtest.h>

namespace
{
    FakeHost::Options onlyVersion (int version)
    {
        FakeHost::Options options;
        options.collection = options.effectDescriptor = options.componentDescriptor = options.propertyMap = version;
        return options;
    }

    void AAX_CALLBACK processNothing (void* const[], const void* const) {}
}

//==============================================================================
TEST (AAXDescriptionWrappers, HostWithOnlyTheFirstVersions)
{
    FakeHost::Host host (onlyVersion (1));

    {
        AAX_VCollection collection (&host);
        auto* effect = collection.NewDescriptor();
        auto* component = effect->NewComponentDescriptor();
        auto* map = component->NewPropertyMap();

        EXPECT_EQ (effect->AddName ("Tanglefix"), AAX_SUCCESS);
        EXPECT_EQ (effect->AddControlMIDINode (1, AAX_eMIDINodeType_LocalInput, "in", 1), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_EQ (component->AddAudioIn (0), AAX_SUCCESS);
        EXPECT_EQ (component->AddTemporaryData (1, 4), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_EQ (map->AddPropertyWithIDArray (AAX_eProperty_PlugInID_Native, nullptr, 0), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_FALSE (map->GetPropertyWithIDArray (AAX_eProperty_PlugInID_Native, nullptr, nullptr));
        EXPECT_EQ (map->GetIUnknown(), static_cast<IACFUnknown*> (host.maps.back().get()));
        EXPECT_EQ (effect->AddComponent (component), AAX_SUCCESS);
        EXPECT_EQ (collection.AddEffect ("com.Larkspan.Tanglefix", effect), AAX_SUCCESS);

        EXPECT_EQ (host.effects[0]->calls, (std::vector<std::string> { "Name Tanglefix", "Component" }));
        EXPECT_EQ (host.effects[0]->components, std::vector<IACFUnknown*> { host.components[0].get() });
        EXPECT_EQ (host.components[0]->calls, std::vector<std::string> { "AudioIn 0" });
        EXPECT_EQ (host.collections[0]->calls, std::vector<std::string> { "Effect com.Larkspan.Tanglefix" });
    }

    EXPECT_EQ (host.outstandingReferences(), 0) << "the collection releases everything it and its children took";
}

TEST (AAXDescriptionWrappers, HostWithoutTheInterfaces)
{
    FakeHost::Host host (onlyVersion (0));
    AAX_VCollection collection (&host);

    auto* effect = collection.NewDescriptor();
    ASSERT_NE (effect, nullptr);
    auto* component = effect->NewComponentDescriptor();
    ASSERT_NE (component, nullptr);

    EXPECT_EQ (collection.AddEffect ("id", effect), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (collection.AddEffect ("id", nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (collection.SetPackageVersion (1), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (effect->AddName ("x"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (effect->AddControlMIDINode (1, AAX_eMIDINodeType_LocalInput, "in", 1), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (component->AddAudioOut (1), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (component->AddProcessProc_Native (processNothing, nullptr, nullptr, nullptr, nullptr), AAX_ERROR_NULL_OBJECT);

    // The host refused to make the map: it exists but answers every call as missing...
    std::unique_ptr<AAX_VPropertyMap> map (AAX_VPropertyMap::Create (&host));
    ASSERT_NE (map, nullptr);
    AAX_CPropertyValue value = 0;
    EXPECT_FALSE (map->GetProperty (AAX_eProperty_ProductID, &value));
    EXPECT_EQ (map->AddProperty (AAX_eProperty_ProductID, 1), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (map->RemoveProperty (AAX_eProperty_ProductID), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (map->GetIUnknown(), nullptr);

    // ...so a describe function is never handed one: everything put into it would be lost
    // while the registration still looked successful.
    EXPECT_THROW (component->NewPropertyMap(), AAX::Exception::ResultError);
    EXPECT_THROW (effect->NewPropertyMap(), AAX::Exception::ResultError);
    EXPECT_THROW (collection.NewPropertyMap(), AAX::Exception::ResultError);
}

TEST (AAXDescriptionWrappers, APropertyMapTheHostCannotMakeIsReportedNotHandedOutAsNull)
{
    FakeHost::Options withoutFactory;
    withoutFactory.factory = false;
    FakeHost::Host host (withoutFactory);
    FakeHost::Host servicesHost;    // a host without a factory has no services either
    ScopedHostServices services (&servicesHost);

    EXPECT_EQ (AAX_VPropertyMap::Create (nullptr), nullptr);
    EXPECT_EQ (AAX_VPropertyMap::Create (&host), nullptr);

    AAX_VCollection collection (&host);
    auto* effect = collection.NewDescriptor();
    auto* component = effect->NewComponentDescriptor();

    for (const auto& make : std::vector<std::function<AAX_IPropertyMap*()>> {
             [&] { return collection.NewPropertyMap(); },
             [&] { return effect->NewPropertyMap(); },
             [&] { return component->NewPropertyMap(); },
             [&] { return component->DuplicatePropertyMap (nullptr); } })
    {
        try
        {
            make();
            ADD_FAILURE() << "a map was handed out";
        }
        catch (const AAX::Exception::ResultError& error)
        {
            EXPECT_EQ (error.Result(), AAX_ERROR_NULL_OBJECT);
        }
    }

    // Through the registration, the failure reaches the host as a result and a trace.
    testDescribe = [] (AAX_ICollection* c)
    {
        c->NewDescriptor()->NewComponentDescriptor()->NewPropertyMap()->AddProperty (AAX_eProperty_ProductID, 1);
        return AAX_SUCCESS;
    };

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (AAXRegisterPlugin (&host, &definition), AAX_ERROR_NULL_OBJECT);
    ASSERT_FALSE (servicesHost.traceTexts().empty());
    EXPECT_EQ (servicesHost.traceTexts().back(), "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)");
    testDescribe = nullptr;
}

//==============================================================================
TEST (AAXDescriptionWrappers, StemFormatsForAHostThatCannotDescribeItsSupport)
{
    const auto addInputStemFormat = [] (bool describingHost, AAX_CPropertyValue value)
    {
        FakeHost::Options options;
        options.descriptionHost = describingHost;
        FakeHost::Host host (options);
        std::unique_ptr<AAX_VPropertyMap> map (AAX_VPropertyMap::Create (&host));
        const AAX_Result result = map->AddProperty (AAX_eProperty_InputStemFormat, value);
        const bool forwarded = host.maps[0]->values.count (AAX_eProperty_InputStemFormat) != 0;
        return std::make_pair (result, forwarded);
    };

    using Outcome = std::pair<AAX_Result, bool>;
    const Outcome refused { AAX_ERROR_PROPERTY_UNDEFINED, false };
    const Outcome forwarded { AAX_SUCCESS, true };

    EXPECT_EQ (addInputStemFormat (false, AAX_eStemFormat_7_1_DTS), forwarded);               // layout 12
    EXPECT_EQ (addInputStemFormat (false, 0x000D0002), refused);                               // layout 13
    EXPECT_EQ (addInputStemFormat (false, static_cast<int32_t> (0xFFFE0002)), refused);        // layout -2
    EXPECT_EQ (addInputStemFormat (false, static_cast<int32_t> (0xFFFF0000)), forwarded);
    EXPECT_EQ (addInputStemFormat (false, static_cast<int32_t> (0xFF9C0000)), forwarded);
    EXPECT_EQ (addInputStemFormat (true, 0x000D0002), forwarded);
}

TEST (AAXDescriptionWrappers, PointerPropertiesWithAndWithoutTheHostsSupport)
{
    int procedure = 0;
    const void* got = nullptr;

    FakeHost::Host oldHost (onlyVersion (1));
    std::unique_ptr<AAX_VPropertyMap> local (AAX_VPropertyMap::Create (&oldHost));
    EXPECT_EQ (local->AddPointerProperty (AAX_eProperty_NativeInstanceInitProc, &procedure), AAX_SUCCESS);
    EXPECT_TRUE (local->GetPointerProperty (AAX_eProperty_NativeInstanceInitProc, &got));
    EXPECT_EQ (got, &procedure);
    EXPECT_EQ (local->AddPointerProperty (static_cast<AAX_EProperty> (50), &procedure), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_FALSE (local->GetPointerProperty (AAX_eProperty_NativeProcessProc, &got));
    EXPECT_FALSE (local->GetPointerProperty (AAX_eProperty_NativeInstanceInitProc, nullptr));

    FakeHost::Host newHost;
    std::unique_ptr<AAX_VPropertyMap> hosted (AAX_VPropertyMap::Create (&newHost));
    EXPECT_EQ (hosted->AddPointerProperty (static_cast<AAX_EProperty> (50), &procedure), AAX_SUCCESS);
    EXPECT_EQ (newHost.maps[0]->values64.at (50), reinterpret_cast<intptr_t> (&procedure));
    EXPECT_TRUE (hosted->GetPointerProperty (static_cast<AAX_EProperty> (50), &got));
    EXPECT_EQ (got, &procedure);
}

TEST (AAXDescriptionWrappers, DuplicatingAMapCopiesTheDescriptiveRange)
{
    FakeHost::Host host (onlyVersion (1));
    AAX_VComponentDescriptor component (&host);
    auto* source = component.NewPropertyMap();
    int procedure = 0;

    for (const int32_t id : { 9, 10, 200, 401, 402 })
        host.maps[0]->values[id] = id * 2;

    source->AddPointerProperty (AAX_eProperty_NativeProcessProc, &procedure);

    auto* copy = component.DuplicatePropertyMap (source);
    const auto& copied = host.maps.back()->values;
    EXPECT_EQ (copied, (std::map<int32_t, AAX_CPropertyValue> { { 10, 20 }, { 200, 400 }, { 401, 802 } }));

    const void* got = nullptr;
    EXPECT_TRUE (copy->GetPointerProperty (AAX_eProperty_NativeProcessProc, &got));
    EXPECT_EQ (got, &procedure);
}

//==============================================================================
class AAXProcessProcFallback : public ::testing::Test
{
protected:
    AAXProcessProcFallback() : host (onlyVersion (1)), services (&host), component (&host)
    {
        properties = component.NewPropertyMap();
    }

    FakeHost::ComponentDescriptor& hostComponent()    { return *host.components[0]; }

    FakeHost::Host host;
    ScopedHostServices services;
    AAX_VComponentDescriptor component;
    AAX_IPropertyMap* properties = nullptr;
};

TEST_F (AAXProcessProcFallback, RegistersTheNativeProcedureAndListsItsID)
{
    properties->AddProperty (AAX_eProperty_PlugInID_Native, static_cast<AAX_CPropertyValue> (AAX_FourCharCode ('j', 'c', 'a', 'a')));
    properties->AddPointerProperty (AAX_eProperty_NativeProcessProc, reinterpret_cast<const void*> (&processNothing));

    AAX_CSelector ids[2] = { 99, 99 };
    EXPECT_EQ (component.AddProcessProc (properties, ids, 2), AAX_SUCCESS);
    EXPECT_EQ (ids[0], 7u);
    EXPECT_EQ (ids[1], 0u);
    ASSERT_EQ (hostComponent().nativeProcs.size(), 1u);
    EXPECT_EQ (hostComponent().nativeProcs[0].first, &processNothing);
    EXPECT_EQ (hostComponent().nativeProcs[0].second, properties->GetIUnknown());

    AAX_CSelector tooSmall[1] = { 99 };
    EXPECT_EQ (component.AddProcessProc (properties, tooSmall, 1), AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW);
    EXPECT_EQ (hostComponent().nativeProcs.size(), 2u) << "registered before the ids were found not to fit";
    EXPECT_EQ (tooSmall[0], 99u);
}

TEST_F (AAXProcessProcFallback, RegistersNothingWithoutPlugInIDs)
{
    EXPECT_EQ (component.AddProcessProc (properties, nullptr, 0), AAX_SUCCESS);
    EXPECT_TRUE (hostComponent().calls.empty());
    EXPECT_EQ (component.AddProcessProc (nullptr, nullptr, 0), AAX_ERROR_NULL_OBJECT);
}

TEST_F (AAXProcessProcFallback, AMissingNativeProcedureFailsInsteadOfRegisteringNull)
{
    properties->AddProperty (AAX_eProperty_PlugInID_Native, static_cast<AAX_CPropertyValue> (AAX_FourCharCode ('j', 'c', 'a', 'a')));

    AAX_CSelector ids[2] = { 99, 99 };
    EXPECT_EQ (component.AddProcessProc (properties, ids, 2), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_TRUE (hostComponent().nativeProcs.empty());
    EXPECT_EQ (ids[0], 99u);
    EXPECT_EQ (host.traceTexts(), std::vector<std::string> {
        "AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_NativeProcessProc" });

    EXPECT_EQ (component.AddProcessProc_Native (nullptr, properties, nullptr, nullptr, nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_TRUE (hostComponent().nativeProcs.empty());
}

TEST_F (AAXProcessProcFallback, TheNativeProcedureIsRegisteredWithoutTheBufferLength)
{
    properties->AddProperty (AAX_eProperty_PlugInID_AudioSuite, static_cast<AAX_CPropertyValue> (AAX_FourCharCode ('j', 'y', 'a', 'a')));
    properties->AddProperty (AAX_eProperty_AudioBufferLength, 10);
    properties->AddPointerProperty (AAX_eProperty_NativeProcessProc, reinterpret_cast<const void*> (&processNothing));

    EXPECT_EQ (component.AddProcessProc (properties, nullptr, 0), AAX_SUCCESS);
    ASSERT_EQ (hostComponent().nativeProcs.size(), 1u);

    const auto* registered = hostComponent().nativeProcs[0].second;
    EXPECT_NE (registered, properties->GetIUnknown());
    const auto& copy = *host.maps.back();
    EXPECT_EQ (static_cast<const IACFUnknown*> (&copy), registered);
    EXPECT_EQ (copy.values.count (AAX_eProperty_AudioBufferLength), 0u);
    EXPECT_EQ (copy.values.at (AAX_eProperty_PlugInID_AudioSuite), static_cast<AAX_CPropertyValue> (AAX_FourCharCode ('j', 'y', 'a', 'a')));
    EXPECT_TRUE (host.services.asserts.empty());
}

TEST_F (AAXProcessProcFallback, AHostWithTheNewestVersionRegistersItself)
{
    FakeHost::Host newHost;
    AAX_VComponentDescriptor newComponent (&newHost);
    EXPECT_EQ (newComponent.AddProcessProc (nullptr, nullptr, 0), AAX_SUCCESS);
    EXPECT_EQ (newHost.components[0]->calls, std::vector<std::string> { "ProcessProc" });
}

//==============================================================================
TEST (AAXDescriptionWrappers, TheHostsStemFormatSupport)
{
    FakeHost::Host host;
    host.descriptionHost.stemFormats.properties.values[AAX_eStemFormat_Quad] = AAX_eSupportLevel_Supported;

    {
        AAX_VCollection collection (&host);
        const AAX_IDescriptionHost* description = static_cast<const AAX_VCollection&> (collection).DescriptionHost();
        ASSERT_NE (description, nullptr);

        EXPECT_EQ (description->AcquireFeatureProperties (AAX_UIDs::make (AAX_UIDs::featureKind, 0x7777)), nullptr);

        std::unique_ptr<const AAX_IFeatureInfo> feature (description->AcquireFeatureProperties (AAXATTR_ClientFeature_StemFormat));
        ASSERT_NE (feature, nullptr);
        EXPECT_EQ (feature->ID(), AAXATTR_ClientFeature_StemFormat);

        AAX_ESupportLevel level = AAX_eSupportLevel_Uninitialized;
        EXPECT_EQ (feature->SupportLevel (level), AAX_SUCCESS);
        EXPECT_EQ (level, AAX_eSupportLevel_ByProperty);

        std::unique_ptr<const AAX_IPropertyMap> support (feature->AcquireProperties());
        ASSERT_NE (support, nullptr);
        AAX_CPropertyValue value = 0;
        EXPECT_TRUE (support->GetProperty (static_cast<AAX_EProperty> (AAX_eStemFormat_Quad), &value));
        EXPECT_EQ (value, AAX_eSupportLevel_Supported);
    }

    EXPECT_EQ (host.outstandingReferences(), 0);

    // An answer that is no feature information reads as unknown support.
    AAX_VFeatureInfo notAFeature (&host.factory, AAXATTR_ClientFeature_StemFormat);
    AAX_ESupportLevel level = AAX_eSupportLevel_Supported;
    EXPECT_EQ (notAFeature.SupportLevel (level), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (notAFeature.AcquireProperties(), nullptr);

    FakeHost::Options plain;
    plain.descriptionHost = false;
    FakeHost::Host plainHost (plain);
    AAX_VCollection collection (&plainHost);
    EXPECT_EQ (collection.DescriptionHost(), nullptr);
    EXPECT_EQ (collection.HostDefinition(), nullptr);
}
