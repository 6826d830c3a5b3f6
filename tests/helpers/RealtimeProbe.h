#pragma once

namespace testing_support
{
    /**
        Counts, on the calling thread while it is alive, the calls that have no place on an audio
        thread: heap allocations and frees (operator new and delete, malloc, calloc, realloc, free)
        and mutex locks. The counting functions replace the C library's in the test binary that
        links RealtimeProbe.cpp; sanitizer runtimes replace the same functions, so that binary is
        built only without sanitizers.
    */
    class ScopedRealtimeProbe
    {
    public:
        ScopedRealtimeProbe();
        ~ScopedRealtimeProbe();

        int getAllocations() const;
        int getFrees() const;
        int getLocks() const;
    };
}
