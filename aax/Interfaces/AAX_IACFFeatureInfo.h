#pragma once

#include "AAX.h"

/** The host's support of one feature. */
class AAX_IACFFeatureInfo : public IACFUnknown
{
public:
    virtual AAX_Result SupportLevel (AAX_ESupportLevel* outLevel) const = 0;

    /** Hands out a new reference to a property map (AAX_IACFPropertyMap) with the details. */
    virtual AAX_Result AcquireProperties (IACFUnknown** outPropertyMap) = 0;

protected:
    ~AAX_IACFFeatureInfo() = default;
};
