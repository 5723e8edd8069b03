#pragma once

#include "AAX.h"

/** What a host tells about itself at description time. */
class AAX_IACFDescriptionHost : public IACFUnknown
{
public:
    /** Hands out a new reference to the host's information about the feature, an object
        that offers AAX_IACFFeatureInfo. */
    virtual AAX_Result AcquireFeatureProperties (const AAX_Feature_UID& featureID, IACFUnknown** outFeatureInfo) = 0;

protected:
    ~AAX_IACFDescriptionHost() = default;
};
