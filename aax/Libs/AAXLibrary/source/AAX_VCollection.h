#pragma once

#include "AAX_ICollection.h"
#include "AAX_IACFCollection.h"
#include "AAX_VDescriptionHost.h"
#include "ACFPtr.h"

#include <memory>
#include <vector>

class AAX_VEffectDescriptor;
class AAX_VPropertyMap;

/** The host's collection for one registration. It owns the effect descriptors and
    property maps it makes, which live as long as it does. */
class AAX_VCollection : public AAX_ICollection
{
public:
    explicit AAX_VCollection (IACFUnknown* hostUnknown);
    ~AAX_VCollection() override;

    AAX_IEffectDescriptor* NewDescriptor() override;
    AAX_Result AddEffect (const char* effectID, AAX_IEffectDescriptor* effectDescriptor) override;
    AAX_Result SetManufacturerName (const char* name) override;
    AAX_Result AddPackageName (const char* name) override;
    AAX_Result SetPackageVersion (uint32_t version) override;

    /** A new map; throws AAX::Exception::ResultError when the host cannot make one. */
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;
    AAX_IDescriptionHost* DescriptionHost() override;
    const AAX_IDescriptionHost* DescriptionHost() const override;
    IACFDefinition* HostDefinition() const override;

    /** The host's collection object, null when the host could not make one. */
    AAX_IACFCollection* GetIUnknown() const noexcept    { return mCollection.get(); }

    AAX_VCollection (const AAX_VCollection&) = delete;
    AAX_VCollection& operator= (const AAX_VCollection&) = delete;

private:
    // Declared in construction order: the objects made later are destroyed first, and the
    // host unknown is released last.
    ACFPtr<IACFUnknown> mHostUnknown;
    ACFPtr<AAX_IACFCollection> mCollection;
    AAX_VDescriptionHost mDescriptionHost;
    std::vector<std::unique_ptr<AAX_VEffectDescriptor>> mEffectDescriptors;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};
