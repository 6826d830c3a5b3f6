#include "TransferCurves.h"
#include "Decibels.h"

#include <algorithm>
#include <bit>

namespace selvandrine
{
    CurveConstants CurveConstants::fromGains (float T, float M, float L) noexcept
    {
        CurveConstants c;
        c.T = T;
        c.M = M;
        c.L = L;
        c.A = M + ((1.0f - L) * M);
        c.B = M - ((1.0f - L) * M);
        c.R = M / L;
        c.S = (T - M) / (1.0f - c.R);
        c.K = ((T / M) + L) * M;
        c.D = ((((T * 0.99f) * 0.99f) + ((c.K * 0.99f) * 0.01f)) - T) / 0.01f;
        return c;
    }

    TransferCurves::TransferCurves()
        : segments ((std::size_t) tableSize + 1)
    {
    }

    void TransferCurves::updateFromControls (float topDb, float midDb, float lowDb) noexcept
    {
        const auto top = std::bit_cast<std::uint32_t> (topDb);
        const auto mid = std::bit_cast<std::uint32_t> (midDb);
        const auto low = std::bit_cast<std::uint32_t> (lowDb);

        // A gain is a function of its own control alone: only a control that moved is converted.
        const auto reuse = gainsValid && caching;
        const auto T = reuse && top == topBits ? topGain : decibelsToGain (topDb);
        const auto M = reuse && mid == midBits ? midGain : decibelsToGain (midDb);
        const auto L = reuse && low == lowBits ? lowGain : decibelsToGain (lowDb * 0.5f);

        const auto sameGains = reuse
                               && std::bit_cast<std::uint32_t> (T) == std::bit_cast<std::uint32_t> (topGain)
                               && std::bit_cast<std::uint32_t> (M) == std::bit_cast<std::uint32_t> (midGain)
                               && std::bit_cast<std::uint32_t> (L) == std::bit_cast<std::uint32_t> (lowGain);

        topBits = top;
        midBits = mid;
        lowBits = low;
        topGain = T;
        midGain = M;
        lowGain = L;
        gainsValid = true;

        if (sameGains)
            return;

        c = CurveConstants::fromGains (T, M, L);
        ++currentTable;
    }

    CurvePoint TransferCurves::point (int index) const noexcept
    {
        const auto t = (float) index / 10000.0f;
        const auto u = 1.0f - t;
        const auto w = t + t;
        return { (t * t) + ((c.A * w) * u),
                 ((c.T * t) * t) + ((w * c.B) * u) };
    }

    void TransferCurves::makeTail() noexcept
    {
        const auto y = point (tableSize - 2);
        const auto z = point (tableSize - 1);
        tailSlope = (z.y - y.y) / (z.x - y.x);
        tailEnd = z.y;
        tailTable = currentTable;
    }

    void TransferCurves::makeSegments (std::size_t slot) noexcept
    {
        // The envelope moves a segment or a few at a time: the neighbours are made with the one
        // read, so that the next readings find theirs made.
        constexpr std::size_t reach = 2;
        constexpr auto lastSegment = (std::size_t) tableSize - 2;
        const auto first = std::min (slot > reach ? slot - reach : 0, lastSegment);
        const auto last = std::min (slot + reach, (std::size_t) tableSize);

        auto p = point ((int) first);

        for (auto i = first; i <= std::min (last, lastSegment); ++i)
        {
            const auto q = point ((int) i + 1);
            segments[i] = { p.x, p.y, q.x - p.x, q.y - p.y, currentTable };
            p = q;
        }

        for (auto i = lastSegment + 1; i <= last; ++i)
            segments[i] = segments[lastSegment];
    }
}
