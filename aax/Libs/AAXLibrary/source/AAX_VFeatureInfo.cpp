#include "AAX_VFeatureInfo.h"
#include "AAX_VPropertyMap.h"
#include "AAX_HostComponents.h"

AAX_VFeatureInfo::AAX_VFeatureInfo (IACFUnknown* featureObject, const AAX_Feature_UID& featureID)
    : mFeatureID (featureID),
      mFeatureInfo (AAX::QueryHostInterface<AAX_IACFFeatureInfo> (featureObject, IID_IAAXFeatureInfoV1))
{
}

AAX_VFeatureInfo::~AAX_VFeatureInfo() = default;

AAX_Result AAX_VFeatureInfo::SupportLevel (AAX_ESupportLevel& outLevel) const
{
    if (! mFeatureInfo)
        return AAX_ERROR_NULL_OBJECT;

    return mFeatureInfo->SupportLevel (&outLevel);
}

const AAX_IPropertyMap* AAX_VFeatureInfo::AcquireProperties() const
{
    if (! mFeatureInfo)
        return nullptr;

    ACFPtr<IACFUnknown> properties;

    if (ACFFAILED (mFeatureInfo->AcquireProperties (reinterpret_cast<IACFUnknown**> (properties.OutParameter()))))
    {
        properties.Detach();    // a refusal hands out no reference
        return nullptr;
    }

    if (! properties)
        return nullptr;

    return AAX_VPropertyMap::Acquire (properties.get());
}

const AAX_Feature_UID& AAX_VFeatureInfo::ID() const
{
    return mFeatureID;
}
