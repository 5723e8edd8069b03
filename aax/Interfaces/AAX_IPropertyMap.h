#pragma once

#include "AAX.h"

/** A set of properties (32-bit values, pointers and plug-in id lists by property id) that
    describes an effect, a component, a meter or a host feature. */
class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;

    virtual AAX_CBoolean GetProperty (AAX_EProperty property, AAX_CPropertyValue* outValue) const = 0;
    virtual AAX_CBoolean GetPointerProperty (AAX_EProperty property, const void** outValue) const = 0;
    virtual AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) = 0;
    virtual AAX_Result AddPointerProperty (AAX_EProperty property, const void* value) = 0;
    virtual AAX_Result AddPointerProperty (AAX_EProperty property, const char* value) = 0;
    virtual AAX_Result RemoveProperty (AAX_EProperty property) = 0;
    virtual AAX_Result AddPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad* pluginIDs,
                                               uint32_t numPluginIDs) = 0;
    virtual AAX_CBoolean GetPropertyWithIDArray (AAX_EProperty property, const AAX_SPlugInIdentifierTriad** outPluginIDs,
                                                 uint32_t* outNumPluginIDs) const = 0;

    /** The host object behind the map, the newest version it offers; null when there is none. */
    virtual IACFUnknown* GetIUnknown() = 0;
};
