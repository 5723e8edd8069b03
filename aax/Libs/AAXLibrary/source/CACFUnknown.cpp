#include "CACFUnknown.h"
#include "AAX_UIDs.h"

namespace
{
    std::atomic<acfUInt32> activeObjectCount { 0 };
}

CACFUnknown::CACFUnknown()
    : mOuterUnknown (&mInnerUnknown),
      mInnerUnknown (*this)
{
    activeObjectCount.fetch_add (1);
}

CACFUnknown::~CACFUnknown()
{
    activeObjectCount.fetch_sub (1);
}

ACFRESULT CACFUnknown::FinalConstruct()
{
    return ACF_OK;
}

void CACFUnknown::FinalRelease()
{
}

void CACFUnknown::DeleteThis()
{
    delete this;
}

ACFRESULT CACFUnknown::InternalQueryInterface (const acfIID& interfaceID, void** outInterface)
{
    if (outInterface == nullptr)
        return ACF_E_POINTER;

    *outInterface = nullptr;

    if (interfaceID == IID_IACFUnknown)
    {
        *outInterface = static_cast<IACFUnknown*> (&mInnerUnknown);
        mInnerUnknown.AddRef();
        return ACF_OK;
    }

    return ACF_E_NOINTERFACE;
}

acfUInt32 CACFUnknown::InternalAddRef()
{
    return mReferenceCount.fetch_add (1) + 1;
}

acfUInt32 CACFUnknown::InternalRelease()
{
    const acfUInt32 newCount = mReferenceCount.fetch_sub (1) - 1;

    if (newCount == 0)
    {
        FinalRelease();
        DeleteThis();
    }

    return newCount;
}

acfUInt32 CACFUnknown::GetActiveObjectCount()
{
    return activeObjectCount.load();
}

//==============================================================================
ACFRESULT CACFUnknown::PrivateUnknown::QueryInterface (const acfIID& interfaceID, void** outInterface)
{
    return mOwner.InternalQueryInterface (interfaceID, outInterface);
}

acfUInt32 CACFUnknown::PrivateUnknown::AddRef()
{
    return mOwner.InternalAddRef();
}

acfUInt32 CACFUnknown::PrivateUnknown::Release()
{
    return mOwner.InternalRelease();
}
