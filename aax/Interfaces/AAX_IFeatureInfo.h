#pragma once

#include "AAX_IPropertyMap.h"

/** What a host says about its support of one feature. */
class AAX_IFeatureInfo
{
public:
    virtual ~AAX_IFeatureInfo() = default;

    virtual AAX_Result SupportLevel (AAX_ESupportLevel& outLevel) const = 0;

    /** The feature's details as a new property map that the caller owns, or null. */
    virtual const AAX_IPropertyMap* AcquireProperties() const = 0;

    virtual const AAX_Feature_UID& ID() const = 0;
};
