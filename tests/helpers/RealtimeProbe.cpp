#include "RealtimeProbe.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cstdlib>
#include <new>

// glibc's own entry points, which its malloc, calloc, realloc and free are aliases of.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);
    void __libc_free (void*);
}

namespace
{
    // Thread-local storage of the executable itself: reading it neither allocates nor locks.
    thread_local bool counting = false;
    thread_local int allocations = 0;
    thread_local int frees = 0;
    thread_local int locks = 0;

    void* countAllocation (void* p) noexcept
    {
        if (counting)
            ++allocations;

        return p;
    }

    void countFree (void* p) noexcept
    {
        if (counting && p != nullptr)
            ++frees;
    }

    void* allocateOrThrow (void* p)
    {
        if (p == nullptr)
            throw std::bad_alloc();

        return p;
    }

    std::size_t atLeastOne (std::size_t size) noexcept
    {
        return size == 0 ? 1 : size;
    }

    using MutexLock = int (*) (pthread_mutex_t*);

    MutexLock nextMutexLock()
    {
        // Looked up once, before any test thread exists; dlsym takes only the loader's own locks.
        static const auto next = reinterpret_cast<MutexLock> (dlsym (RTLD_NEXT, "pthread_mutex_lock"));
        return next;
    }

    [[maybe_unused]] const auto resolvedAtStart = nextMutexLock();
}

extern "C"
{
    void* malloc (std::size_t size) noexcept                { return countAllocation (__libc_malloc (size)); }
    void* calloc (std::size_t n, std::size_t size) noexcept { return countAllocation (__libc_calloc (n, size)); }
    void* realloc (void* p, std::size_t size) noexcept      { return countAllocation (__libc_realloc (p, size)); }

    void free (void* p) noexcept
    {
        countFree (p);
        __libc_free (p);
    }

    int pthread_mutex_lock (pthread_mutex_t* mutex) noexcept
    {
        if (counting)
            ++locks;

        return nextMutexLock() (mutex);
    }
}

void* operator new (std::size_t size)   { return allocateOrThrow (countAllocation (__libc_malloc (atLeastOne (size)))); }
void* operator new[] (std::size_t size) { return allocateOrThrow (countAllocation (__libc_malloc (atLeastOne (size)))); }

void* operator new (std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow (countAllocation (__libc_memalign ((std::size_t) alignment, atLeastOne (size))));
}

void* operator new[] (std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow (countAllocation (__libc_memalign ((std::size_t) alignment, atLeastOne (size))));
}

void operator delete (void* p) noexcept                                       { free (p); }
void operator delete[] (void* p) noexcept                                     { free (p); }
void operator delete (void* p, std::size_t) noexcept                          { free (p); }
void operator delete[] (void* p, std::size_t) noexcept                        { free (p); }
void operator delete (void* p, std::align_val_t) noexcept                     { free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept                   { free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept        { free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept      { free (p); }

namespace testing_support
{
    ScopedRealtimeProbe::ScopedRealtimeProbe()
    {
        allocations = 0;
        frees = 0;
        locks = 0;
        counting = true;
    }

    ScopedRealtimeProbe::~ScopedRealtimeProbe() { counting = false; }

    int ScopedRealtimeProbe::getAllocations() const { return allocations; }
    int ScopedRealtimeProbe::getFrees() const       { return frees; }
    int ScopedRealtimeProbe::getLocks() const       { return locks; }
}
