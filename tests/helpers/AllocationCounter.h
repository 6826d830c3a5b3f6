#pragma once

namespace testing_support
{
    /** Counts heap allocations made on the calling thread while it is alive. */
    class ScopedAllocationCounter
    {
    public:
        ScopedAllocationCounter();
        ~ScopedAllocationCounter();

        int getCount() const;
    };
}
