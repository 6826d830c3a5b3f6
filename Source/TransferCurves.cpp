#include "TransferCurves.h"
#include "Decibels.h"

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

    void TransferCurves::updateFromControls (float topDb, float midDb, float lowDb, std::vector<CurvePoint>& table)
    {
        topBits = std::bit_cast<std::uint32_t> (topDb);
        midBits = std::bit_cast<std::uint32_t> (midDb);
        lowBits = std::bit_cast<std::uint32_t> (lowDb);
        gainsValid = true;

        const auto T = decibelsToGain (topDb);
        const auto M = decibelsToGain (midDb);
        const auto L = decibelsToGain (lowDb * 0.5f);

        const auto newT = std::bit_cast<std::uint32_t> (T);
        const auto newM = std::bit_cast<std::uint32_t> (M);
        const auto newL = std::bit_cast<std::uint32_t> (L);

        if (caching && ! table.empty() && newT == tBits && newM == mBits && newL == lBits)
            return;

        tBits = newT;
        mBits = newM;
        lBits = newL;
        c = CurveConstants::fromGains (T, M, L);
        rebuildTable (table);
    }

    void TransferCurves::rebuildTable (std::vector<CurvePoint>& table)
    {
        // Only the first call allocates; later resizes to the same size keep the storage.
        table.resize ((size_t) tableSize);

        for (int i = 0; i < tableSize; ++i)
        {
            const auto t = (float) i / 10000.0f;
            const auto u = 1.0f - t;
            const auto w = t + t;
            table[(size_t) i] = { (t * t) + ((c.A * w) * u),
                                  ((c.T * t) * t) + ((w * c.B) * u) };
        }

        const auto& z = table[tableSize - 1];
        const auto& y = table[tableSize - 2];
        tailSlope = (z.y - y.y) / (z.x - y.x);
        ++numTableBuilds;
    }
}
