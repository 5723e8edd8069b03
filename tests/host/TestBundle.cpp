// A small bundle for the stand-in host's tests. It is linked with the plug-in's AAX library,
// so the host reaches it exactly as it will reach the real plug-in: through the exported
// entry points, which call the describe function below through the library's wrappers.
//
// One source makes several bundles, chosen by TEST_BUNDLE_VARIANT:
//   1  registers the product as the plug-in's real describe function does;
//   2  the same, but its process procedures go through the property-driven registration
//      (AddProcessProc), so that older hosts exercise the library's fallback;
//   3  fails its description as a describe function does without an effect descriptor.

#include <AAX_Errors.h>
#include <AAX_ICollection.h>
#include <AAX_Init.h>
#include <AAX_UIDs.h>

#include "TestEffect.h"

#include <memory>

#ifndef TEST_BUNDLE_VARIANT
 #define TEST_BUNDLE_VARIANT 1
#endif

namespace
{
    constexpr AAX_CTypeID manufacturerId = AAX_FourCharCode ('L', 'k', 's', 'p');
    constexpr AAX_CTypeID productId      = AAX_FourCharCode ('T', 'g', 'f', 'x');

    struct Layout
    {
        AAX_EStemFormat input;
        AAX_EStemFormat output;
        AAX_CTypeID nativeId;
        AAX_CTypeID audioSuiteId;
    };

    // The layouts the product accepts, in the order a describe function walks its formats.
    constexpr Layout layouts[] = {
        { AAX_eStemFormat_Mono,   AAX_eStemFormat_Mono,   AAX_FourCharCode ('j', 'c', 'a', 'c'), AAX_FourCharCode ('j', 'y', 'a', 'c') },
        { AAX_eStemFormat_Mono,   AAX_eStemFormat_Stereo, AAX_FourCharCode ('j', 'c', 'a', 'b'), AAX_FourCharCode ('j', 'y', 'a', 'b') },
        { AAX_eStemFormat_Stereo, AAX_eStemFormat_Stereo, AAX_FourCharCode ('j', 'c', 'a', 'a'), AAX_FourCharCode ('j', 'y', 'a', 'a') },
    };

    void AAX_CALLBACK processCallback (void* const[], const void* const) {}
    void* createEffectParameters()  { return TestEffect::Create(); }
    void* createEffectGui()         { return TestGui::Create(); }

    bool hostSupports (AAX_EStemFormat format, const AAX_IFeatureInfo* stemFormatInfo)
    {
        AAX_ESupportLevel level = AAX_eSupportLevel_Uninitialized;

        if (stemFormatInfo != nullptr && stemFormatInfo->SupportLevel (level) == AAX_SUCCESS
             && level == AAX_eSupportLevel_ByProperty)
        {
            const std::unique_ptr<const AAX_IPropertyMap> formats (stemFormatInfo->AcquireProperties());
            AAX_CPropertyValue support = 0;

            if (formats != nullptr && formats->GetProperty (static_cast<AAX_EProperty> (format), &support) != 0)
                return support == AAX_eSupportLevel_Supported;
        }

        return AAX_STEM_FORMAT_INDEX (format) <= AAX_eStemFormat_MaxUniversalIndex;
    }

    void registerProcessProc (AAX_IComponentDescriptor& component, AAX_IPropertyMap& properties)
    {
        if (TEST_BUNDLE_VARIANT == 2)
        {
            properties.AddPointerProperty (AAX_eProperty_NativeProcessProc, reinterpret_cast<const void*> (&processCallback));
            AAX_CSelector ids[2] = {};
            component.AddProcessProc (&properties, ids, 2);
        }
        else
        {
            component.AddProcessProc_Native (processCallback, &properties, nullptr, nullptr, nullptr);
        }
    }

    void describeComponent (AAX_IEffectDescriptor& effect, const Layout& layout)
    {
        auto* component = effect.NewComponentDescriptor();

        if (component == nullptr)
            return;

        component->AddAudioIn (0);
        component->AddAudioOut (1);
        component->AddAudioBufferLength (2);
        component->AddDataInPort (3, sizeof (int32_t), AAX_eDataInPortType_Buffered);
        component->AddPrivateData (4, 8, 0);
        component->AddPrivateData (5, sizeof (int32_t), 0);
        component->AddPrivateData (6, 8, 0);

        if (auto* properties = component->NewPropertyMap())
        {
            properties->AddProperty (AAX_eProperty_ManufacturerID, static_cast<AAX_CPropertyValue> (manufacturerId));
            properties->AddProperty (AAX_eProperty_ProductID, static_cast<AAX_CPropertyValue> (productId));
            properties->AddProperty (AAX_eProperty_CanBypass, 1);
            properties->AddProperty (AAX_eProperty_InputStemFormat, layout.input);
            properties->AddProperty (AAX_eProperty_OutputStemFormat, layout.output);
            properties->AddProperty (AAX_eProperty_PlugInID_Native, static_cast<AAX_CPropertyValue> (layout.nativeId));
            properties->AddProperty (AAX_eProperty_PlugInID_AudioSuite, static_cast<AAX_CPropertyValue> (layout.audioSuiteId));
            properties->AddProperty (AAX_eProperty_Constraint_MultiMonoSupport, 1);

            component->AddPrivateData (7, 8, 0);
            registerProcessProc (*component, *properties);
        }

        effect.AddComponent (component);
    }

    void describeEffect (AAX_IEffectDescriptor& effect, const AAX_IFeatureInfo* stemFormatInfo)
    {
        effect.AddName ("Tanglefix");
        effect.AddCategory (0x2020);
        effect.AddProcPtr (reinterpret_cast<void*> (&createEffectGui), kAAX_ProcPtrID_Create_EffectGUI);
        effect.AddProcPtr (reinterpret_cast<void*> (&createEffectParameters), kAAX_ProcPtrID_Create_EffectParameters);

        for (const auto& layout : layouts)
            if (hostSupports (layout.input, stemFormatInfo) && hostSupports (layout.output, stemFormatInfo))
                describeComponent (effect, layout);
    }
}

AAX_Result GetEffectDescriptions (AAX_ICollection* collection)
{
    if (TEST_BUNDLE_VARIANT == 3)
        return AAX_ERROR_NULL_OBJECT;

    std::unique_ptr<const AAX_IFeatureInfo> stemFormatInfo;

    if (const auto* host = collection->DescriptionHost())
        stemFormatInfo.reset (host->AcquireFeatureProperties (AAXATTR_ClientFeature_StemFormat));

    auto* effect = collection->NewDescriptor();

    if (effect == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    describeEffect (*effect, stemFormatInfo.get());

    collection->AddEffect ("com.Larkspan.Tanglefix", effect);
    collection->SetManufacturerName ("Larkspan");
    collection->AddPackageName ("Tanglefix");
    collection->AddPackageName ("Tanglefix");
    collection->SetPackageVersion (0x10206);
    return AAX_SUCCESS;
}
