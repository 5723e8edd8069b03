// The host's own objects, without a bundle: what they offer, how long they live and what
// they refuse. A bundle's faults must show up here as results, not as a host gone wrong.

#include "HostCollection.h"
#include "HostComponentDescriptor.h"
#include "HostEffectDescriptor.h"
#include "HostPropertyMap.h"
#include "HostUnknown.h"
#include "TestHostFixture.h"

#include <AAX_Errors.h>
#include <AAX_IACFFeatureInfo.h>
#include <AAX_UIDs.h>

#include <gtest/gtest.h>

using namespace tanglefix::host;

namespace
{
    class HostObjectTest : public TestHostFixture
    {
    protected:
        template <typename Interface>
        Interface* create (const acfCLSID& component, const acfIID& iid)
        {
            void* object = nullptr;
            const auto result = host->CreateComponent (nullptr, component, iid, &object);
            EXPECT_EQ (result == ACF_OK, object != nullptr);
            return static_cast<Interface*> (object);
        }
    };
}

TEST_F (HostObjectTest, OffersOnlyTheVersionsAskedForAndFreesWhatNobodyHolds)
{
    host->Release();
    makeHost ({ "property-map=1", "collection=0" });

    auto* map = create<AAX_IACFPropertyMap> (AAXCompID_PropertyMap, IID_IAAXPropertyMapV1);
    ASSERT_NE (map, nullptr);

    void* newer = nullptr;
    EXPECT_EQ (map->QueryInterface (IID_IAAXPropertyMapV3, &newer), ACF_E_NOINTERFACE);
    EXPECT_EQ (newer, nullptr);

    // Creations the host can't satisfy leave nothing behind.
    EXPECT_EQ (create<void> (AAXCompID_PropertyMap, IID_IAAXPropertyMapV2), nullptr);
    EXPECT_EQ (create<void> (AAXCompID_AAXCollection, IID_IAAXCollectionV1), nullptr);
    EXPECT_EQ (create<void> (AAX_UIDs::make (AAX_UIDs::componentKind, 0x7777), IID_IACFUnknown), nullptr);
    EXPECT_EQ (context->getLiveObjectCount(), 2);   // the host unknown and the map

    void* unused = nullptr;
    EXPECT_EQ (host->CreateComponent (host->asUnknown(), AAXCompID_PropertyMap, IID_IAAXPropertyMapV1, &unused), ACF_E_INVALIDARG);

    EXPECT_EQ (map->AddRef(), 2u);
    EXPECT_EQ (map->Release(), 1u);
    EXPECT_EQ (map->Release(), 0u);
    EXPECT_EQ (context->getLiveObjectCount(), 1);
}

TEST_F (HostObjectTest, ComponentRefusesWhatCouldNeverRun)
{
    auto* component = create<AAX_IACFComponentDescriptor_V3> (AAXCompID_ComponentDescriptor, IID_IAAXComponentDescriptorV3);
    auto* map = create<AAX_IACFPropertyMap_V3> (AAXCompID_PropertyMap, IID_IAAXPropertyMapV3);
    ASSERT_NE (component, nullptr);
    ASSERT_NE (map, nullptr);

    EXPECT_EQ (component->AddAudioIn (0), AAX_SUCCESS);
    EXPECT_EQ (component->AddAudioOut (0), AAX_ERROR_INVALID_FIELD_INDEX);   // each field once
    EXPECT_EQ (component->AddAudioOut (-1), AAX_ERROR_INVALID_FIELD_INDEX);

    const auto process = [] (void* const[], const void* const) {};
    EXPECT_EQ (component->AddProcessProc_Native (nullptr, map, nullptr, nullptr, nullptr), AAX_ERROR_NULL_ARGUMENT);
    EXPECT_EQ (component->AddProcessProc_Native (process, nullptr, nullptr, nullptr, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (component->AddProcessProc_Native (process, component, nullptr, nullptr, nullptr), AAX_ERROR_INVALID_ARGUMENT);

    auto* effect = create<AAX_IACFEffectDescriptor> (AAXCompID_EffectDescriptor, IID_IAAXEffectDescriptorV1);
    ASSERT_NE (effect, nullptr);
    EXPECT_EQ (effect->AddComponent (nullptr), AAX_ERROR_NULL_COMPONENT);
    EXPECT_EQ (effect->AddComponent (map), AAX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ (effect->AddProcPtr (nullptr, 0), AAX_ERROR_NULL_ARGUMENT);

    auto* collection = create<AAX_IACFCollection> (AAXCompID_AAXCollection, IID_IAAXCollectionV1);
    ASSERT_NE (collection, nullptr);
    EXPECT_EQ (collection->AddEffect ("a", effect), AAX_SUCCESS);
    EXPECT_EQ (collection->AddEffect ("a", effect), AAX_ERROR_DUPLICATE_EFFECT_ID);
    EXPECT_EQ (collection->AddEffect ("b", component), AAX_ERROR_INVALID_ARGUMENT);

    for (IACFUnknown* object : { static_cast<IACFUnknown*> (component), static_cast<IACFUnknown*> (map),
                                 static_cast<IACFUnknown*> (effect), static_cast<IACFUnknown*> (collection) })
        object->Release();
}

TEST_F (HostObjectTest, PropertyDrivenRegistrationWritesTerminatedIdList)
{
    auto* component = create<AAX_IACFComponentDescriptor_V3> (AAXCompID_ComponentDescriptor, IID_IAAXComponentDescriptorV3);
    auto* map = create<AAX_IACFPropertyMap_V3> (AAXCompID_PropertyMap, IID_IAAXPropertyMapV3);
    ASSERT_NE (component, nullptr);
    ASSERT_NE (map, nullptr);

    // Nothing to register: success, and the list is just its end mark.
    AAX_CSelector ids[2] = { 7, 7 };
    EXPECT_EQ (component->AddProcessProc (map, ids, 2), AAX_SUCCESS);
    EXPECT_EQ (ids[0], 0u);

    static int process = 0;   // any address will do: the host never calls it here
    map->AddProperty (AAX_eProperty_PlugInID_Native, 1);
    map->AddProperty64 (AAX_eProperty_NativeProcessProc, reinterpret_cast<std::intptr_t> (&process));

    EXPECT_EQ (component->AddProcessProc (map, ids, 2), AAX_SUCCESS);
    EXPECT_NE (ids[0], 0u);
    EXPECT_EQ (ids[1], 0u);

    AAX_CSelector tooSmall[1] = { 7 };
    EXPECT_EQ (component->AddProcessProc (map, tooSmall, 1), AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW);
    EXPECT_EQ (tooSmall[0], 7u);

    const auto& record = HostObject::as<HostComponentDescriptor> (component)->getRecord();
    ASSERT_EQ (record.processProcs.size(), 2u);
    EXPECT_EQ (record.processProcs[0].processProc, &process);

    component->Release();
    map->Release();
}

TEST_F (HostObjectTest, StemFormatFeatureAnswersPerFormat)
{
    IACFUnknown* unknown = nullptr;
    EXPECT_EQ (host->AcquireFeatureProperties (AAX_UIDs::make (AAX_UIDs::featureKind, 0x7777), &unknown), AAX_ERROR_UNKNOWN_ID);
    EXPECT_EQ (unknown, nullptr);

    ASSERT_EQ (host->AcquireFeatureProperties (AAXATTR_ClientFeature_StemFormat, &unknown), AAX_SUCCESS);
    auto* feature = static_cast<AAX_IACFFeatureInfo*> (static_cast<void*> (unknown));

    AAX_ESupportLevel level = AAX_eSupportLevel_Uninitialized;
    EXPECT_EQ (feature->SupportLevel (&level), AAX_SUCCESS);
    EXPECT_EQ (level, AAX_eSupportLevel_ByProperty);

    IACFUnknown* formats = nullptr;
    ASSERT_EQ (feature->AcquireProperties (&formats), AAX_SUCCESS);
    auto* map = static_cast<AAX_IACFPropertyMap*> (static_cast<void*> (formats));

    const auto supportOf = [map] (AAX_EStemFormat format)
    {
        AAX_CPropertyValue support = 0;
        return map->GetProperty (static_cast<AAX_EProperty> (format), &support) != 0 ? support : -1;
    };

    EXPECT_EQ (supportOf (AAX_eStemFormat_Mono), AAX_eSupportLevel_Supported);
    EXPECT_EQ (supportOf (AAX_eStemFormat_Stereo), AAX_eSupportLevel_Supported);
    EXPECT_EQ (supportOf (AAX_eStemFormat_7_1_DTS), AAX_eSupportLevel_Supported);
    EXPECT_EQ (supportOf (AAX_eStemFormat_Ambi_1_ACN), AAX_eSupportLevel_Unsupported);

    map->Release();
    feature->Release();
}

TEST (HostOptionsParsing, AcceptsFamiliesAndVersionsOnly)
{
    HostOptions options;
    EXPECT_TRUE (options.offers (InterfaceFamily::componentDescriptor, 3));

    EXPECT_TRUE (options.parseOffer ("all=1"));
    EXPECT_FALSE (options.offers (InterfaceFamily::componentDescriptor, 2));
    EXPECT_TRUE (options.offers (InterfaceFamily::componentDescriptor, 1));

    EXPECT_TRUE (options.parseOffer ("property-map=9"));   // capped at what the host knows
    EXPECT_EQ (options.highestVersion (InterfaceFamily::propertyMap), 3);

    for (const auto* bad : { "property-map", "property-map=", "property-map=x", "nothing=1", "=1", "all=-1" })
        EXPECT_FALSE (options.parseOffer (bad)) << bad;

    EXPECT_EQ (options.highestVersion (InterfaceFamily::propertyMap), 3);
}
