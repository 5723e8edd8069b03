#pragma once

#include "HostContext.h"

#include <ACFTypes.h>

#include <atomic>
#include <initializer_list>
#include <memory>

namespace tanglefix::host
{

/** The bookkeeping every host object shares: its reference count, and its place in the
    session's count of live host objects. The object deletes itself when the last reference
    goes, like any COM-style object.
*/
class HostObject
{
public:
    virtual ~HostObject();

    HostObject (const HostObject&) = delete;
    HostObject& operator= (const HostObject&) = delete;

    /** The host's own object behind an interface pointer that the bundle handed back, or null
        when the pointer is null or is not one of this host's objects.
    */
    static HostObject* fromUnknown (IACFUnknown* unknown);

    template <typename ObjectType>
    static ObjectType* as (IACFUnknown* unknown)
    {
        return dynamic_cast<ObjectType*> (fromUnknown (unknown));
    }

    /** Hands out a new object's interface with its first reference. When the object doesn't
        offer that interface nobody holds it, so it is deleted again.
    */
    static ACFRESULT handOut (HostObject* newObject, const acfIID& iid, void** outInterface);

    /** An interface id that only this host answers, with the HostObject itself. */
    static const acfIID privateInterfaceId;

protected:
    explicit HostObject (std::shared_ptr<HostContext> context);

    acfUInt32 addReference() noexcept;
    acfUInt32 releaseReference() noexcept;

    virtual ACFRESULT queryInterface (const acfIID& iid, void** outInterface) = 0;

    /** One version of an interface: its id and this object as that interface. */
    struct InterfaceVersion
    {
        const acfIID& id;
        void* pointer;
    };

    /** The version asked for, when the host offers it; versions are listed from 1 upwards,
        and the first also answers for IACFUnknown.
    */
    void* findOfferedVersion (const acfIID& iid, InterfaceFamily family,
                              std::initializer_list<InterfaceVersion> versions) const;

    HostContext& getContext() const noexcept { return *context; }
    const std::shared_ptr<HostContext>& getSharedContext() const noexcept { return context; }

private:
    const std::shared_ptr<HostContext> context;
    std::atomic<acfUInt32> referenceCount { 0 };
};

//==============================================================================
/** A host object implementing one or more interfaces. Each interface's IACFUnknown operations
    end up here; the derived class says which interface ids it answers with findInterface().
*/
template <typename... Interfaces>
class HostObjectWith : public Interfaces..., public HostObject
{
public:
    ACFRESULT QueryInterface (const acfIID& iid, void** outInterface) override
    {
        if (outInterface == nullptr)
            return ACF_E_POINTER;

        *outInterface = iid == privateInterfaceId ? static_cast<HostObject*> (this) : findInterface (iid);

        if (*outInterface == nullptr)
            return ACF_E_NOINTERFACE;

        addReference();
        return ACF_OK;
    }

    acfUInt32 AddRef() override    { return addReference(); }
    acfUInt32 Release() override   { return releaseReference(); }

protected:
    using HostObject::HostObject;

    ACFRESULT queryInterface (const acfIID& iid, void** outInterface) override
    {
        return QueryInterface (iid, outInterface);
    }

    /** The interface for an id, without adding a reference; null when not offered. */
    virtual void* findInterface (const acfIID& iid) = 0;
};

} // namespace tanglefix::host
