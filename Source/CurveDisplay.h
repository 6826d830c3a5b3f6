#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cmath>

/**
    The pure parts of the editor's drawing: the level histories' arithmetic and the sampling of
    the transfer curve for the curve panel. Message thread only.
*/
namespace selvandrine
{
    using LevelHistory = std::array<float, 200>;

    /** Drops the oldest value (index 0) and appends the newest at the end. */
    inline void pushHistory (LevelHistory& history, float newestPixels) noexcept
    {
        std::copy (history.begin() + 1, history.end(), history.begin());
        history.back() = newestPixels;
    }

    /** A bar's height in whole pixels: truncated and limited to the panel; non-finite values draw nothing. */
    inline int barHeight (float pixels) noexcept
    {
        return std::isfinite (pixels) ? (int) juce::jlimit (0.0f, 200.0f, pixels) : 0;
    }

    /** Which of the two alphas a bar takes: bands of two bars each that travel with the values. */
    inline bool isBaseBand (int phase, int barIndex) noexcept
    {
        return ((phase + barIndex) & 3) < 2;
    }

    /** "Compressed <zoom> : 1", the zoom written as JUCE writes a double: 1.1 reads "1.1", 12 reads "12". */
    inline juce::String compressedReadout (float zoom)
    {
        return "Compressed " + juce::String ((double) zoom) + " : 1";
    }

    /**
        Calls point (x, y), in level units, for each displayed point of the chosen curve, given the
        gains of Ceiling (a), Threshold (b) and half the Downlift (c). The parameter steps by 0.005 in
        single precision while below 1, which gives 201 points, the last at t = 0.9999992. Any id
        other than 1, 2 or 3 gives no point.
    */
    template <typename PointFunction>
    void forEachCurvePoint (int curveModeId, float a, float b, float c, PointFunction&& point)
    {
        const auto knee = b / c;
        const auto slope = (a - b) / (1.0f - knee);
        const auto k = ((a / b) + c) * b;
        const auto d = (1.0f - c) * b;
        const auto controlX = b + d;
        const auto controlY = b - d;

        for (float t = 0.0f; t < 1.0f; t += 0.005f)
        {
            switch (curveModeId)
            {
                case 1:
                    point (t, c * t <= b ? c * t : b + ((t - knee) * slope));
                    break;

                case 2:
                    // The two products stay single precision; the blend is summed in double.
                    point (t, (float) ((1.0 - (double) t) * (double) (k * t) + (double) ((a * t) * t)));
                    break;

                case 3:
                {
                    const auto w = (2.0f * t) * (1.0f - t);
                    point ((t * t) + (w * controlX), ((a * t) * t) + (w * controlY));
                    break;
                }

                default:
                    return;
            }
        }
    }
}
