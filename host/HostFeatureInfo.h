#pragma once

#include "HostObject.h"

#include <AAX_Enums.h>
#include <AAX_IACFFeatureInfo.h>

namespace tanglefix::host
{

/** What the host says about one of its features: a support level and, when the level is
    "by property", a property map with one entry per item (for stem formats: per format).
*/
class HostFeatureInfo final : public HostObjectWith<AAX_IACFFeatureInfo>
{
public:
    HostFeatureInfo (std::shared_ptr<HostContext> context, AAX_ESupportLevel level, PropertyList details);

    /** The host's answer for a feature id, as a new reference; fails for a feature it doesn't know. */
    static ACFRESULT acquire (std::shared_ptr<HostContext> context, const AAX_Feature_UID& featureID, IACFUnknown** outFeatureInfo);

    // AAX_IACFFeatureInfo
    AAX_Result SupportLevel (AAX_ESupportLevel* outLevel) const override;
    AAX_Result AcquireProperties (IACFUnknown** outPropertyMap) override;

private:
    void* findInterface (const acfIID& iid) override;

    const AAX_ESupportLevel level;
    const PropertyList details;
};

} // namespace tanglefix::host
