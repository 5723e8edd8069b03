#pragma once

#include "ACFTypes.h"

#include <utility>

/** A counted reference to a host or plug-in interface. It releases what it holds when it is
    replaced, cleared or destroyed. Using it while it is null throws ACF_E_POINTER (as a
    plain integer): callers test it first, so the throw only guards against a slip. */
template <typename Interface>
class ACFPtr
{
public:
    ACFPtr() noexcept = default;

    /** Asks the unknown for the interface and throws the failing result as an integer
        (ACF_E_INVALIDARG for a null unknown). */
    ACFPtr (const acfIID& interfaceID, IACFUnknown* unknown)
    {
        if (unknown == nullptr)
            throw static_cast<ACFRESULT> (ACF_E_INVALIDARG);

        const ACFRESULT result = unknown->QueryInterface (interfaceID, OutParameter());

        if (ACFFAILED (result))
            throw result;
    }

    ACFPtr (const ACFPtr& other) noexcept : mInterface (other.mInterface)
    {
        if (mInterface != nullptr)
            mInterface->AddRef();
    }

    ACFPtr (ACFPtr&& other) noexcept : mInterface (std::exchange (other.mInterface, nullptr)) {}

    ~ACFPtr()    { Clear(); }

    ACFPtr& operator= (ACFPtr other) noexcept
    {
        std::swap (mInterface, other.mInterface);
        return *this;
    }

    /** Releases the held interface, if any. */
    void Clear() noexcept
    {
        if (auto* old = std::exchange (mInterface, nullptr))
            old->Release();
    }

    /** Takes over a reference that the caller already holds (a factory's or query's result). */
    void Attach (Interface* existingReference) noexcept
    {
        Clear();
        mInterface = existingReference;
    }

    /** Gives up the held interface without releasing it. */
    Interface* Detach() noexcept    { return std::exchange (mInterface, nullptr); }

    /** Releases the held interface and gives the address to receive a new one, as an
        interface query or a component factory writes it. */
    void** OutParameter() noexcept
    {
        Clear();
        return reinterpret_cast<void**> (&mInterface);
    }

    /** Asks the unknown for the interface; a null unknown or a refusal leaves this null. */
    ACFRESULT QueryFrom (IACFUnknown* unknown, const acfIID& interfaceID) noexcept
    {
        Clear();

        if (unknown == nullptr)
            return ACF_E_INVALIDARG;

        const ACFRESULT result = unknown->QueryInterface (interfaceID, OutParameter());

        if (ACFFAILED (result))
            mInterface = nullptr;

        return result;
    }

    Interface* get() const noexcept                  { return mInterface; }
    explicit operator bool() const noexcept          { return mInterface != nullptr; }
    bool operator== (std::nullptr_t) const noexcept  { return mInterface == nullptr; }
    bool operator!= (std::nullptr_t) const noexcept  { return mInterface != nullptr; }

    Interface* operator->() const
    {
        if (mInterface == nullptr)
            throw static_cast<ACFRESULT> (ACF_E_POINTER);

        return mInterface;
    }

private:
    Interface* mInterface = nullptr;
};
