#pragma once

#include "AAX_IFeatureInfo.h"
#include "AAX_IACFFeatureInfo.h"
#include "ACFPtr.h"

/** What the host says about one feature. */
class AAX_VFeatureInfo : public AAX_IFeatureInfo
{
public:
    AAX_VFeatureInfo (IACFUnknown* featureObject, const AAX_Feature_UID& featureID);
    ~AAX_VFeatureInfo() override;

    AAX_Result SupportLevel (AAX_ESupportLevel& outLevel) const override;
    const AAX_IPropertyMap* AcquireProperties() const override;
    const AAX_Feature_UID& ID() const override;

    AAX_VFeatureInfo (const AAX_VFeatureInfo&) = delete;
    AAX_VFeatureInfo& operator= (const AAX_VFeatureInfo&) = delete;

private:
    const AAX_Feature_UID mFeatureID;
    ACFPtr<AAX_IACFFeatureInfo> mFeatureInfo;
};
