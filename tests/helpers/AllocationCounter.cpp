#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
    thread_local bool counting = false;
    thread_local int count = 0;

    void* allocate (std::size_t size)
    {
        if (counting)
            ++count;

        if (auto* p = std::malloc (size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }
}

void* operator new (std::size_t size)   { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void operator delete (void* p) noexcept                 { std::free (p); }
void operator delete[] (void* p) noexcept               { std::free (p); }
void operator delete (void* p, std::size_t) noexcept    { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept  { std::free (p); }

namespace testing_support
{
    ScopedAllocationCounter::ScopedAllocationCounter()  { count = 0; counting = true; }
    ScopedAllocationCounter::~ScopedAllocationCounter() { counting = false; }
    int ScopedAllocationCounter::getCount() const       { return count; }
}
