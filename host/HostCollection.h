#pragma once

#include "HostAttributes.h"
#include "HostObject.h"

#include <AAX_IACFCollection.h>

namespace tanglefix::host
{

/** The host's record of one bundle's registration. It is also the plug-in definition that
    ACFRegisterPlugin hands back, which is how the host finds the record again.
*/
class HostCollection final : public HostObjectWith<AAX_IACFCollection, HostDefinition<IACFPluginDefinition>>
{
public:
    explicit HostCollection (std::shared_ptr<HostContext> context);

    const PluginRecord& getRecord() const noexcept { return record; }

    // AAX_IACFCollection
    AAX_Result AddEffect (const char* effectID, IACFUnknown* effectDescriptor) override;
    AAX_Result SetManufacturerName (const char* name) override;
    AAX_Result AddPackageName (const char* name) override;
    AAX_Result SetPackageVersion (uint32_t version) override;
    AAX_Result SetProperties (IACFUnknown* propertyMap) override;

private:
    void* findInterface (const acfIID& iid) override;

    PluginRecord record;
};

} // namespace tanglefix::host
