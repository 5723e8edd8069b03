#include "AAX_VPropertyMap.h"
#include "AAX_HostComponents.h"
#include "AAX_Exception.h"

#include <set>

namespace
{
    /** The procedure and file-name properties, which hold pointers. */
    bool isPointerProperty (AAX_EProperty property)
    {
        static const std::set<int32_t> pointerProperties
        {
            AAX_eProperty_NativeProcessProc, AAX_eProperty_NativeInstanceInitProc, AAX_eProperty_NativeBackgroundProc,
            AAX_eProperty_TIDLLFileName, AAX_eProperty_TIProcessProc, AAX_eProperty_TIInstanceInitProc,
            AAX_eProperty_TIBackgroundProc
        };

        return pointerProperties.count (property) != 0;
    }

    bool isStemFormatProperty (AAX_EProperty property)
    {
        return property == AAX_eProperty_InputStemFormat || property == AAX_eProperty_OutputStemFormat;
    }
}

AAX_VPropertyMap* AAX_VPropertyMap::Create (IACFUnknown* hostUnknown)
{
    if (hostUnknown == nullptr)
        return nullptr;

    const auto factory = AAX::QueryHostInterface<IACFComponentFactory> (hostUnknown, IID_IACFComponentFactory);

    if (! factory)
        return nullptr;

    auto* map = new AAX_VPropertyMap();
    map->mPropertyMapV1 = AAX::CreateHostComponent<AAX_IACFPropertyMap> (hostUnknown, AAXCompID_PropertyMap, IID_IAAXPropertyMapV1);

    if (map->mPropertyMapV1)
    {
        map->mPropertyMapV2 = AAX::QueryHostInterface<AAX_IACFPropertyMap_V2> (map->mPropertyMapV1.get(), IID_IAAXPropertyMapV2);
        map->mPropertyMapV3 = AAX::QueryHostInterface<AAX_IACFPropertyMap_V3> (map->mPropertyMapV1.get(), IID_IAAXPropertyMapV3);
    }

    // A host that describes itself may offer the description host on any of these objects.
    for (IACFUnknown* candidate : { hostUnknown,
                                    static_cast<IACFUnknown*> (factory.get()),
                                    static_cast<IACFUnknown*> (map->mPropertyMapV2.get()),
                                    static_cast<IACFUnknown*> (map->mPropertyMapV3.get()),
                                    static_cast<IACFUnknown*> (map->mPropertyMapV1.get()) })
    {
        map->FindDescriptionHost (candidate);
    }

    return map;
}

AAX_VPropertyMap* AAX_VPropertyMap::Acquire (IACFUnknown* hostPropertyMap)
{
    auto* map = new AAX_VPropertyMap();
    map->TakeVersionsFrom (hostPropertyMap);
    map->FindDescriptionHost (hostPropertyMap);
    return map;
}

AAX_VPropertyMap::~AAX_VPropertyMap() = default;

void AAX_VPropertyMap::TakeVersionsFrom (IACFUnknown* object)
{
    mPropertyMapV1 = AAX::QueryHostInterface<AAX_IACFPropertyMap> (object, IID_IAAXPropertyMapV1);
    mPropertyMapV2 = AAX::QueryHostInterface<AAX_IACFPropertyMap_V2> (object, IID_IAAXPropertyMapV2);
    mPropertyMapV3 = AAX::QueryHostInterface<AAX_IACFPropertyMap_V3> (object, IID_IAAXPropertyMapV3);
}

void AAX_VPropertyMap::FindDescriptionHost (IACFUnknown* object)
{
    if (! mDescriptionHost)
        mDescriptionHost = AAX::QueryHostInterface<AAX_IACFDescriptionHost> (object, IID_IAAXDescriptionHostV1);
}

//==============================================================================
AAX_CBoolean AAX_VPropertyMap::GetProperty (AAX_EProperty property, AAX_CPropertyValue* outValue) const
{
    if (! mPropertyMapV1)
        return false;

    return mPropertyMapV1->GetProperty (property, outValue);
}

AAX_CBoolean AAX_VPropertyMap::GetPointerProperty (AAX_EProperty property, const void** outValue) const
{
    if (mPropertyMapV3)
    {
        AAX_CPropertyValue64 value = 0;
        const AAX_CBoolean found = mPropertyMapV3->GetProperty64 (property, &value);

        if (found && outValue != nullptr)
            *outValue = reinterpret_cast<const void*> (static_cast<intptr_t> (value));

        return found;
    }

    if (outValue == nullptr)
        return false;

    const auto entry = mLocalPointerProperties.find (property);

    if (entry == mLocalPointerProperties.end())
        return false;

    *outValue = entry->second;
    return true;
}

bool AAX_VPropertyMap::IsUniversalStemFormat (AAX_CPropertyValue value)
{
    if (value == AAX_eStemFormat_None || value == AAX_eStemFormat_Any)
        return true;

    const int16_t layoutIndex = AAX_StemFormatIndex (value);
    return layoutIndex >= 0 && layoutIndex <= AAX_eStemFormat_MaxUniversalIndex;
}

AAX_Result AAX_VPropertyMap::AddProperty (AAX_EProperty property, AAX_CPropertyValue value)
{
    // A host that cannot describe its stem-format support is only given the layouts that
    // every host understands.
    if (isStemFormatProperty (property) && ! mDescriptionHost && ! IsUniversalStemFormat (value))
        return AAX_ERROR_PROPERTY_UNDEFINED;

    if (! mPropertyMapV1)
        return AAX_ERROR_NULL_OBJECT;

    return mPropertyMapV1->AddProperty (property, value);
}

AAX_Result AAX_VPropertyMap::AddPointerProperty (AAX_EProperty property, const void* value)
{
    if (mPropertyMapV3)
        return mPropertyMapV3->AddProperty64 (property, static_cast<AAX_CPropertyValue64> (reinterpret_cast<intptr_t> (value)));

    if (! isPointerProperty (property))
        return AAX_ERROR_UNIMPLEMENTED;

    mLocalPointerProperties[property] = value;
    return AAX_SUCCESS;
}

AAX_Result AAX_VPropertyMap::AddPointerProperty (AAX_EProperty property, const char* value)
{
    return AddPointerProperty (property, static_cast<const void*> (value));
}

AAX_Result AAX_VPropertyMap::RemoveProperty (AAX_EProperty property)
{
    if (! mPropertyMapV1)
        return AAX_ERROR_NULL_OBJECT;

    return mPropertyMapV1->RemoveProperty (property);
}

AAX_Result AAX_VPropertyMap::AddPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad* pluginIDs,
                                                     uint32_t numPluginIDs)
{
    if (! mPropertyMapV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPropertyMapV2->AddPropertyWithIDArray (property, pluginIDs, numPluginIDs);
}

AAX_CBoolean AAX_VPropertyMap::GetPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad** outPluginIDs,
                                                       uint32_t* outNumPluginIDs) const
{
    if (! mPropertyMapV2)
        return false;

    return mPropertyMapV2->GetPropertyWithIDArray (property, outPluginIDs, outNumPluginIDs);
}

IACFUnknown* AAX_VPropertyMap::GetIUnknown()
{
    if (mPropertyMapV3)
        return mPropertyMapV3.get();

    if (mPropertyMapV2)
        return mPropertyMapV2.get();

    return mPropertyMapV1.get();
}

//==============================================================================
AAX_VPropertyMap* AAX::NewOwnedPropertyMap (IACFUnknown* hostUnknown, std::vector<std::unique_ptr<AAX_VPropertyMap>>& owner)
{
    std::unique_ptr<AAX_VPropertyMap> map (AAX_VPropertyMap::Create (hostUnknown));

    // A map the host refused to make would silently drop every property and procedure put
    // into it, and the registration would still look successful, so it is an error too.
    if (map == nullptr || ! map->HasHostInterface())
        AAX_CheckedResult { AAX_ERROR_NULL_OBJECT };    // traces and throws

    owner.push_back (std::move (map));
    return owner.back().get();
}
