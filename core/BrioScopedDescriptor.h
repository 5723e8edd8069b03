#pragma once

#include <unistd.h>

//==============================================================================
/**
    Owns a file descriptor and closes it on every way out of a scope. Plain C++, so that
    the stand-in host's share of the core can use it too. A negative descriptor (a failed
    open) is held and closed as nothing.
*/
struct BrioScopedDescriptor
{
    explicit BrioScopedDescriptor (int descriptorToOwn) noexcept  : descriptor (descriptorToOwn) {}
    ~BrioScopedDescriptor()                                        { if (descriptor >= 0) ::close (descriptor); }

    BrioScopedDescriptor (const BrioScopedDescriptor&) = delete;
    BrioScopedDescriptor& operator= (const BrioScopedDescriptor&) = delete;

    const int descriptor;
};
