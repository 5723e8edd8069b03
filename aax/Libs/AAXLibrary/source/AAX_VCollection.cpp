#include "AAX_VCollection.h"
#include "AAX_VEffectDescriptor.h"
#include "AAX_VPropertyMap.h"
#include "AAX_HostComponents.h"

AAX_VCollection::AAX_VCollection (IACFUnknown* hostUnknown)
    : mHostUnknown (AAX::Retain (hostUnknown)),
      mCollection (AAX::CreateHostComponent<AAX_IACFCollection> (hostUnknown, AAXCompID_AAXCollection, IID_IAAXCollectionV1)),
      mDescriptionHost (hostUnknown)
{
}

AAX_VCollection::~AAX_VCollection() = default;

AAX_IEffectDescriptor* AAX_VCollection::NewDescriptor()
{
    mEffectDescriptors.push_back (std::make_unique<AAX_VEffectDescriptor> (mHostUnknown.get()));
    return mEffectDescriptors.back().get();
}

AAX_Result AAX_VCollection::AddEffect (const char* effectID, AAX_IEffectDescriptor* effectDescriptor)
{
    const auto* descriptor = dynamic_cast<AAX_VEffectDescriptor*> (effectDescriptor);

    if (! mCollection || descriptor == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return mCollection->AddEffect (effectID, descriptor->GetIUnknown());
}

AAX_Result AAX_VCollection::SetManufacturerName (const char* name)
{
    if (! mCollection)
        return AAX_ERROR_NULL_OBJECT;

    return mCollection->SetManufacturerName (name);
}

AAX_Result AAX_VCollection::AddPackageName (const char* name)
{
    if (! mCollection)
        return AAX_ERROR_NULL_OBJECT;

    return mCollection->AddPackageName (name);
}

AAX_Result AAX_VCollection::SetPackageVersion (uint32_t version)
{
    if (! mCollection)
        return AAX_ERROR_NULL_OBJECT;

    return mCollection->SetPackageVersion (version);
}

AAX_IPropertyMap* AAX_VCollection::NewPropertyMap()
{
    return AAX::NewOwnedPropertyMap (mHostUnknown.get(), mPropertyMaps);
}

AAX_Result AAX_VCollection::SetProperties (AAX_IPropertyMap* properties)
{
    if (! mCollection)
        return AAX_ERROR_NULL_OBJECT;

    return mCollection->SetProperties (properties != nullptr ? properties->GetIUnknown() : nullptr);
}

AAX_IDescriptionHost* AAX_VCollection::DescriptionHost()
{
    return mDescriptionHost.DescriptionHost() != nullptr ? &mDescriptionHost : nullptr;
}

const AAX_IDescriptionHost* AAX_VCollection::DescriptionHost() const
{
    return mDescriptionHost.DescriptionHost() != nullptr ? &mDescriptionHost : nullptr;
}

IACFDefinition* AAX_VCollection::HostDefinition() const
{
    return mDescriptionHost.HostDefinition();
}
