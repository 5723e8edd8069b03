#pragma once

#include "AAX.h"

/** The host's record of everything one plug-in bundle registers. */
class AAX_IACFCollection : public IACFUnknown
{
public:
    virtual AAX_Result AddEffect (const char* effectID, IACFUnknown* effectDescriptor) = 0;
    virtual AAX_Result SetManufacturerName (const char* name) = 0;
    virtual AAX_Result AddPackageName (const char* name) = 0;
    virtual AAX_Result SetPackageVersion (uint32_t version) = 0;
    virtual AAX_Result SetProperties (IACFUnknown* propertyMap) = 0;

protected:
    ~AAX_IACFCollection() = default;
};
