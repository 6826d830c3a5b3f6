#pragma once

#include <cmath>

namespace selvandrine
{
    /** 10^x by the C library's single-precision base-10 exponential; every level is made with it. */
    inline float exp10Single (float x) noexcept
    {
       #if defined (__APPLE__)
        return ::__exp10f (x);
       #else
        return ::exp10f (x);
       #endif
    }

    /** Decibels to linear gain in single precision; -100 dB or less is silence. */
    inline float decibelsToGain (float decibels) noexcept
    {
        return decibels > -100.0f ? exp10Single (decibels * 0.05f) : 0.0f;
    }
}
