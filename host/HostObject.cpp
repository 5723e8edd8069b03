#include "HostObject.h"

#include <AAX_UIDs.h>

namespace tanglefix::host
{

// Not an id the bundle could know: it lets the host recognise its own objects when the
// bundle passes them back (a property map given to a component, a descriptor given to the
// collection).
const acfIID HostObject::privateInterfaceId = { 0x7a3c91e4, 0x5b20, 0x4d8f, { 0x9e, 0x61, 0x0c, 0x42, 0xd7, 0x18, 0xa5, 0x3b } };

HostObject::HostObject (std::shared_ptr<HostContext> c)
    : context (std::move (c))
{
    context->objectCreated();
}

HostObject::~HostObject()
{
    context->objectDestroyed();
}

HostObject* HostObject::fromUnknown (IACFUnknown* unknown)
{
    if (unknown == nullptr)
        return nullptr;

    void* object = nullptr;

    if (ACFFAILED (unknown->QueryInterface (privateInterfaceId, &object)) || object == nullptr)
        return nullptr;

    auto* hostObject = static_cast<HostObject*> (object);
    hostObject->releaseReference();   // the caller's own reference keeps the object alive
    return hostObject;
}

ACFRESULT HostObject::handOut (HostObject* newObject, const acfIID& iid, void** outInterface)
{
    const auto result = newObject->queryInterface (iid, outInterface);

    if (ACFFAILED (result))
        delete newObject;

    return result;
}

void* HostObject::findOfferedVersion (const acfIID& iid, InterfaceFamily family,
                                      std::initializer_list<InterfaceVersion> versions) const
{
    int version = 1;

    for (const auto& entry : versions)
    {
        const auto matches = iid == entry.id || (version == 1 && iid == IID_IACFUnknown);

        if (matches)
            return context->getOptions().offers (family, version) ? entry.pointer : nullptr;

        ++version;
    }

    return nullptr;
}

acfUInt32 HostObject::addReference() noexcept
{
    return ++referenceCount;
}

acfUInt32 HostObject::releaseReference() noexcept
{
    // A bundle that releases more often than it retained is a fault worth seeing rather than
    // a crash: the count stays at zero and the object is not deleted twice.
    auto count = referenceCount.load();

    do
    {
        if (count == 0)
            return 0;
    }
    while (! referenceCount.compare_exchange_weak (count, count - 1));

    if (count == 1)
        delete this;

    return count - 1;
}

} // namespace tanglefix::host
