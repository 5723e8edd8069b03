#pragma once

#include "AAX_IFeatureInfo.h"

/** The host as it describes itself at registration. */
class AAX_IDescriptionHost
{
public:
    virtual ~AAX_IDescriptionHost() = default;

    /** The host's support of a feature as a new object that the caller owns, or null when
        the host cannot tell. */
    virtual const AAX_IFeatureInfo* AcquireFeatureProperties (const AAX_Feature_UID& featureID) const = 0;
};
