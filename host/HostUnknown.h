#pragma once

#include "HostAttributes.h"
#include "HostObject.h"

#include <AAX_IACFDescriptionHost.h>

namespace tanglefix::host
{

/** The host unknown that every entry point receives. Through it the bundle reaches the
    host's component factory (collections, descriptors, property maps, host services), the
    description host with its feature queries, and the host's own definition.
*/
class HostUnknown final : public HostObjectWith<IACFComponentFactory, AAX_IACFDescriptionHost, HostDefinition<IACFDefinition>>
{
public:
    explicit HostUnknown (std::shared_ptr<HostContext> context);

    /** The object as the plain IACFUnknown handed to the bundle. */
    IACFUnknown* asUnknown() noexcept { return static_cast<IACFComponentFactory*> (this); }

    // IACFComponentFactory
    ACFRESULT CreateComponent (IACFUnknown* outerUnknown, const acfCLSID& componentID,
                               const acfIID& interfaceID, void** outComponent) override;

    // AAX_IACFDescriptionHost
    AAX_Result AcquireFeatureProperties (const AAX_Feature_UID& featureID, IACFUnknown** outFeatureInfo) override;

private:
    void* findInterface (const acfIID& iid) override;

    /** A new host object for a component id, not yet referenced; null for an unknown id. */
    HostObject* makeComponent (const acfCLSID& componentID);

};

} // namespace tanglefix::host
