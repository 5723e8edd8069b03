#pragma once

#include "AAX_IDescriptionHost.h"
#include "AAX_IACFDescriptionHost.h"
#include "ACFPtr.h"

/** The host's self-description at registration, when the host offers one. */
class AAX_VDescriptionHost : public AAX_IDescriptionHost
{
public:
    explicit AAX_VDescriptionHost (IACFUnknown* hostUnknown);
    ~AAX_VDescriptionHost() override;

    const AAX_IFeatureInfo* AcquireFeatureProperties (const AAX_Feature_UID& featureID) const override;

    AAX_IACFDescriptionHost* DescriptionHost() const noexcept    { return mDescriptionHost.get(); }
    IACFDefinition* HostDefinition() const noexcept               { return mHostDefinition.get(); }

    AAX_VDescriptionHost (const AAX_VDescriptionHost&) = delete;
    AAX_VDescriptionHost& operator= (const AAX_VDescriptionHost&) = delete;

private:
    ACFPtr<AAX_IACFDescriptionHost> mDescriptionHost;
    ACFPtr<IACFDefinition> mHostDefinition;
};
