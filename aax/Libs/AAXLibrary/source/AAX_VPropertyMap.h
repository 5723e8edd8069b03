#pragma once

#include "AAX_IPropertyMap.h"
#include "AAX_IACFPropertyMap.h"
#include "AAX_IACFDescriptionHost.h"
#include "ACFPtr.h"

#include <map>
#include <memory>
#include <vector>

/** A host property map, whichever versions of it the host offers. Without the host's
    pointer-sized properties (version 3) the procedure pointers are kept here instead. */
class AAX_VPropertyMap : public AAX_IPropertyMap
{
public:
    /** A new map made by the host's component factory; null for a null host or a host
        without a factory. When the host refuses to make the map, the map has no host
        interface and its operations report AAX_ERROR_NULL_OBJECT. */
    static AAX_VPropertyMap* Create (IACFUnknown* hostUnknown);

    /** A map over a property map that the host already made. */
    static AAX_VPropertyMap* Acquire (IACFUnknown* hostPropertyMap);

    ~AAX_VPropertyMap() override;

    AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* outValue) const override;
    AAX_CBoolean GetPointerProperty (AAX_EProperty property, const void** outValue) const override;
    AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) override;
    AAX_Result AddPointerProperty (AAX_EProperty property, const void* value) override;
    AAX_Result AddPointerProperty (AAX_EProperty property, const char* value) override;
    AAX_Result RemoveProperty (AAX_EProperty property) override;
    AAX_Result AddPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad* pluginIDs,
                                       uint32_t numPluginIDs) override;
    AAX_CBoolean GetPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad** outPluginIDs,
                                         uint32_t* outNumPluginIDs) const override;
    IACFUnknown* GetIUnknown() override;

    /** False when the host refused to make the map, so that nothing can be stored in it. */
    bool HasHostInterface() const     { return mPropertyMapV1.get() != nullptr; }

    /** True when an input or output stem-format value can be given to a host that does not
        describe its stem-format support: the two wildcard values, or a layout every host knows. */
    static bool IsUniversalStemFormat (AAX_CPropertyValue value);

    AAX_VPropertyMap (const AAX_VPropertyMap&) = delete;
    AAX_VPropertyMap& operator= (const AAX_VPropertyMap&) = delete;

private:
    AAX_VPropertyMap() = default;

    void TakeVersionsFrom (IACFUnknown* object);
    void FindDescriptionHost (IACFUnknown* object);

    ACFPtr<AAX_IACFPropertyMap> mPropertyMapV1;
    ACFPtr<AAX_IACFPropertyMap_V2> mPropertyMapV2;
    ACFPtr<AAX_IACFPropertyMap_V3> mPropertyMapV3;
    ACFPtr<AAX_IACFDescriptionHost> mDescriptionHost;
    std::map<int32_t, const void*> mLocalPointerProperties;
};

namespace AAX
{
    /** A new map that `owner` keeps. A host that cannot make one is reported by throwing
        AAX::Exception::ResultError (AAX_ERROR_NULL_OBJECT), never by handing out null. */
    AAX_VPropertyMap* NewOwnedPropertyMap (IACFUnknown* hostUnknown, std::vector<std::unique_ptr<AAX_VPropertyMap>>& owner);
}
