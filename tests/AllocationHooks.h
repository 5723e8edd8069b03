#pragma once

// Counts heap allocations made on threads that ask for it. malloc and its relatives are
// replaced for the whole process (operator new, JUCE's heap blocks and every library loaded
// later end there); only calls made while the calling thread has switched counting on are
// counted, so other threads and the test framework are left alone.
//
// The replacements are definitions: include this header in exactly one file of a test binary.

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void  __libc_free (void*);
}

namespace allocation_hooks
{
    inline thread_local bool countingOnThisThread = false;
    inline std::atomic<long> allocationCount { 0 };

    inline void noteAllocation() noexcept
    {
        if (countingOnThisThread)
            allocationCount.fetch_add (1, std::memory_order_relaxed);
    }

    /** Counts this thread's allocations from construction to destruction. */
    struct ScopedAllocationCounter
    {
        ScopedAllocationCounter()   { allocationCount = 0; countingOnThisThread = true; }
        ~ScopedAllocationCounter()  { countingOnThisThread = false; }
        long count() const          { return allocationCount.load(); }
    };
}

extern "C"
{
    void* malloc (size_t size)                 { allocation_hooks::noteAllocation(); return __libc_malloc (size); }
    void* calloc (size_t n, size_t size)       { allocation_hooks::noteAllocation(); return __libc_calloc (n, size); }
    void* realloc (void* p, size_t size)       { allocation_hooks::noteAllocation(); return __libc_realloc (p, size); }
    void  free (void* p)                       { __libc_free (p); }
    void* memalign (size_t align, size_t size) { allocation_hooks::noteAllocation(); return __libc_memalign (align, size); }
    void* aligned_alloc (size_t align, size_t size) { allocation_hooks::noteAllocation(); return __libc_memalign (align, size); }

    int posix_memalign (void** result, size_t align, size_t size)
    {
        allocation_hooks::noteAllocation();
        *result = __libc_memalign (align, size);
        return *result != nullptr ? 0 : ENOMEM;
    }
}
