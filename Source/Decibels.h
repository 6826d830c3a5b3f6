#pragma once

#include <cmath>

namespace selvandrine
{
    /** Decibels to linear gain in single precision; -100 dB or less is silence. */
    inline float decibelsToGain (float decibels) noexcept
    {
        return decibels > -100.0f ? ::exp10f (decibels * 0.05f) : 0.0f;
    }
}
