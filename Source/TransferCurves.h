#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace selvandrine
{
    /** One point of the Bezier transfer table: x is the envelope level, y the output level. */
    struct CurvePoint
    {
        float x = 0.0f;
        float y = 0.0f;
    };

    enum CurveMode
    {
        linearCurve    = 1,
        quadraticCurve = 2,
        bezierCurve    = 3
    };

    /** The gains of one block: Ceiling T, Threshold M, Downlift L, and the constants derived from them. */
    struct CurveConstants
    {
        float T = 0.0f, M = 0.0f, L = 0.0f;
        float A = 0.0f, B = 0.0f, R = 0.0f, S = 0.0f, K = 0.0f, D = 0.0f;

        static CurveConstants fromGains (float T, float M, float L) noexcept;
    };

    /**
        The three transfer curves for one block. The curve gains come from the three decibel
        controls; the constants and the Bezier table are rebuilt only when a gain differs bit for
        bit from the one they were made from, which gives the same table as rebuilding every block.
    */
    class TransferCurves
    {
    public:
        static constexpr int tableSize = 10000;

        /** Brings gains, constants and the Bezier table up to date with the controls (decibels). */
        void update (float topDb, float midDb, float lowDb, std::vector<CurvePoint>& table)
        {
            // Inline, because in nearly every block no control has changed.
            if (gainsValid && caching && ! table.empty() && std::bit_cast<std::uint32_t> (topDb) == topBits
                && std::bit_cast<std::uint32_t> (midDb) == midBits && std::bit_cast<std::uint32_t> (lowDb) == lowBits)
                return;

            updateFromControls (topDb, midDb, lowDb, table);
        }

        /** The output level for envelope level e (> 0) along the curve with the given 1-based id;
            `table` is the one that the last update wrote. */
        float map (int curveModeId, float e, const CurvePoint* table) const noexcept
        {
            switch (curveModeId)
            {
                case linearCurve:    return mapLinear (e);
                case quadraticCurve: return mapQuadratic (e);
                case bezierCurve:    return mapBezier (e, table);
                default:             return 1.0f;
            }
        }

        float mapLinear (float e) const noexcept
        {
            if (c.L * e > c.M)
                return ((e - c.R) * c.S) + c.M;

            return c.L * e;
        }

        float mapQuadratic (float e) const noexcept
        {
            if (e <= 1.0f)
            {
                // The two products stay single precision; the blend is summed in double.
                const float te = (c.T * e) * e;
                const float ke = c.K * e;
                return (float) ((double) te + ((1.0 - (double) e) * (double) ke));
            }

            return ((e - 1.0f) * c.D) + c.T;
        }

        float mapBezier (float e, const CurvePoint* table) const noexcept
        {
            if (e <= 1.0f)
            {
                auto k = (int) (e * 10000.0f);
                k = k < tableSize - 2 ? k : tableSize - 2;
                const auto& p = table[k];
                const auto& q = table[k + 1];
                return p.y + ((q.y - p.y) * ((e - p.x) / (q.x - p.x)));
            }

            return ((e - 1.0f) * tailSlope) + table[tableSize - 1].y;
        }

        const CurveConstants& constants() const noexcept { return c; }

        /** Counts table rebuilds; the benchmark reports it. */
        int getNumTableBuilds() const noexcept { return numTableBuilds; }

        /** With caching off every update rebuilds the table, as a plain per-block rebuild would. */
        void setCaching (bool shouldCache) noexcept { caching = shouldCache; }

    private:
        void updateFromControls (float topDb, float midDb, float lowDb, std::vector<CurvePoint>& table);
        void rebuildTable (std::vector<CurvePoint>& table);

        CurveConstants c;
        float tailSlope = 0.0f;

        std::uint32_t topBits = 0, midBits = 0, lowBits = 0;
        std::uint32_t tBits = 0, mBits = 0, lBits = 0;
        bool gainsValid = false;
        bool caching = true;
        int numTableBuilds = 0;
    };
}
