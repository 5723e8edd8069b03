#pragma once

#include "ACFTypes.h"

#include <atomic>

/** The reference-counting base of every object that the plug-in hands to the host. Its
    public unknown operations go to an outer unknown, which is the object's own inner
    unknown (objects are never aggregated). Every live object is counted, so that the
    bundle can tell the host whether it may be unloaded. */
class CACFUnknown
{
public:
    CACFUnknown();
    virtual ~CACFUnknown();

    virtual ACFRESULT FinalConstruct();
    virtual void FinalRelease();
    virtual void DeleteThis();
    virtual ACFRESULT InternalQueryInterface (const acfIID& interfaceID, void** outInterface);
    virtual acfUInt32 InternalAddRef();
    virtual acfUInt32 InternalRelease();

    /** The number of CACFUnknown objects alive in the process. */
    static acfUInt32 GetActiveObjectCount();

    CACFUnknown (const CACFUnknown&) = delete;
    CACFUnknown& operator= (const CACFUnknown&) = delete;

protected:
    IACFUnknown* GetOuterUnknown() const noexcept    { return mOuterUnknown; }

private:
    /** The unknown that the object hands out for IACFUnknown; it calls back into its owner. */
    class PrivateUnknown : public IACFUnknown
    {
    public:
        explicit PrivateUnknown (CACFUnknown& owner) noexcept : mOwner (owner) {}

        ACFRESULT QueryInterface (const acfIID& interfaceID, void** outInterface) override;
        acfUInt32 AddRef() override;
        acfUInt32 Release() override;

    private:
        CACFUnknown& mOwner;
    };

    std::atomic<acfUInt32> mReferenceCount { 0 };
    IACFUnknown* mOuterUnknown;
    PrivateUnknown mInnerUnknown;
};
