#include "AAX_VDescriptionHost.h"
#include "AAX_VFeatureInfo.h"
#include "AAX_HostComponents.h"

AAX_VDescriptionHost::AAX_VDescriptionHost (IACFUnknown* hostUnknown)
    : mDescriptionHost (AAX::QueryHostInterface<AAX_IACFDescriptionHost> (hostUnknown, IID_IAAXDescriptionHostV1)),
      mHostDefinition (AAX::QueryHostInterface<IACFDefinition> (hostUnknown, IID_IACFDefinition))
{
}

AAX_VDescriptionHost::~AAX_VDescriptionHost() = default;

const AAX_IFeatureInfo* AAX_VDescriptionHost::AcquireFeatureProperties (const AAX_Feature_UID& featureID) const
{
    if (! mDescriptionHost)
        return nullptr;

    ACFPtr<IACFUnknown> answer;

    if (ACFFAILED (mDescriptionHost->AcquireFeatureProperties (featureID, reinterpret_cast<IACFUnknown**> (answer.OutParameter()))))
    {
        answer.Detach();    // a refusal hands out no reference
        return nullptr;
    }

    if (! answer)
        return nullptr;

    return new AAX_VFeatureInfo (answer.get(), featureID);
}
