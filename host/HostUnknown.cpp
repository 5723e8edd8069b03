#include "HostUnknown.h"

#include "HostCollection.h"
#include "HostComponentDescriptor.h"
#include "HostEffectDescriptor.h"
#include "HostFeatureInfo.h"
#include "HostPageTable.h"
#include "HostPropertyMap.h"
#include "HostServices.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

HostUnknown::HostUnknown (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostUnknown::findInterface (const acfIID& iid)
{
    const auto& options = getContext().getOptions();

    if (iid == IID_IACFUnknown)
        return asUnknown();

    if (iid == IID_IACFComponentFactory)
        return static_cast<IACFComponentFactory*> (this);

    if (iid == IID_IAAXDescriptionHostV1 && options.offers (InterfaceFamily::descriptionHost, 1))
        return static_cast<AAX_IACFDescriptionHost*> (this);

    if (iid == IID_IACFDefinition && options.offers (InterfaceFamily::definition, 1))
        return static_cast<IACFDefinition*> (this);

    return nullptr;
}

HostObject* HostUnknown::makeComponent (const acfCLSID& componentID)
{
    const auto& context = getSharedContext();

    if (componentID == AAXCompID_HostServices)          return new HostServices (context);
    if (componentID == AAXCompID_AAXCollection)         return new HostCollection (context);
    if (componentID == AAXCompID_EffectDescriptor)      return new HostEffectDescriptor (context);
    if (componentID == AAXCompID_ComponentDescriptor)   return new HostComponentDescriptor (context);
    if (componentID == AAXCompID_PropertyMap)           return new HostPropertyMap (context);
    if (componentID == AAXCompID_PageTable)             return new HostPageTable (context);

    return nullptr;
}

ACFRESULT HostUnknown::CreateComponent (IACFUnknown* outerUnknown, const acfCLSID& componentID,
                                        const acfIID& interfaceID, void** outComponent)
{
    if (outComponent == nullptr)
        return ACF_E_POINTER;

    *outComponent = nullptr;

    // Host objects are never aggregated into the bundle's own.
    if (outerUnknown != nullptr)
        return ACF_E_INVALIDARG;

    auto* object = makeComponent (componentID);

    if (object == nullptr)
        return ACF_E_INVALIDARG;

    return handOut (object, interfaceID, outComponent);
}

AAX_Result HostUnknown::AcquireFeatureProperties (const AAX_Feature_UID& featureID, IACFUnknown** outFeatureInfo)
{
    return HostFeatureInfo::acquire (getSharedContext(), featureID, outFeatureInfo);
}

} // namespace tanglefix::host
