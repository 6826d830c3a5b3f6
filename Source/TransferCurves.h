#pragma once

#include <bit>
#include <cstddef>
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
        controls; a gain is converted again only when its control differs bit for bit from the
        one it was made from, and the constants only when a gain does.

        The Bezier curve interpolates between the 10,000 points of a table, segment k running from
        point k to point k + 1. A segment is a pure function of k and the block's A, B and T: made
        with the same single-precision operations in the same order, it has the same bits whenever
        it is made. So a segment is made when the mapping first reads it after the gains changed
        (with its near neighbours) and kept until they change again: each carries the number of the
        table it was made for, and a change of gains begins a new table. The tail beyond full scale
        (the slope through the last two points) is made the same way. The envelope moves slowly,
        so a block reads only a few segments; a change costs next to nothing, and nothing at all
        to the other two curves.
    */
    class TransferCurves
    {
    public:
        static constexpr int tableSize = 10000;

        /** Gives the table its storage: nothing is allocated after construction. */
        TransferCurves();

        /** Brings gains, constants and the Bezier table up to date with the controls (decibels). */
        void update (float topDb, float midDb, float lowDb) noexcept
        {
            // Inline, because in nearly every block no control has changed.
            if (gainsValid && caching && std::bit_cast<std::uint32_t> (topDb) == topBits
                && std::bit_cast<std::uint32_t> (midDb) == midBits && std::bit_cast<std::uint32_t> (lowDb) == lowBits)
                return;

            updateFromControls (topDb, midDb, lowDb);
        }

        /** The output level for envelope level e (> 0) along the curve with the given 1-based id. */
        float map (int curveModeId, float e) noexcept
        {
            switch (curveModeId)
            {
                case linearCurve:    return mapLinear (e);
                case quadraticCurve: return mapQuadratic (e);
                case bezierCurve:    return mapBezier (e);
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

        float mapBezier (float e) noexcept
        {
            if (e <= 1.0f)
            {
                // 0 < e <= 1 reads slot 0 to 10,000; the slots past the last segment repeat it,
                // which spares a bound check.
                const auto k = (std::size_t) (e * 10000.0f);
                const auto& s = segments[k];

                if (s.table != currentTable) [[unlikely]]
                    makeSegments (k);

                return s.y + (s.dy * ((e - s.x) / s.dx));
            }

            if (tailTable != currentTable) [[unlikely]]
                makeTail();

            return ((e - 1.0f) * tailSlope) + tailEnd;
        }

        /** Point `index` of the current table, made afresh. */
        CurvePoint point (int index) const noexcept;

        const CurveConstants& constants() const noexcept { return c; }

        /** Counts the tables begun, one for each change of the curve gains; the benchmark reports it. */
        int getNumTableBuilds() const noexcept { return (int) currentTable; }

        /** With caching off every update converts the gains and begins a new table, as a plain
            per-block rebuild would. */
        void setCaching (bool shouldCache) noexcept { caching = shouldCache; }

    private:
        /** Segment k of the Bezier table: point k, the differences to point k + 1, and the table it was made for. */
        struct Segment
        {
            float x = 0.0f, y = 0.0f, dx = 0.0f, dy = 0.0f;
            std::uint64_t table = 0; // 0: never made; tables count from 1 and never wrap
        };

        void updateFromControls (float topDb, float midDb, float lowDb) noexcept;
        void makeSegments (std::size_t slot) noexcept;
        void makeTail() noexcept;

        CurveConstants c;
        std::vector<Segment> segments;
        std::uint64_t currentTable = 0, tailTable = 0;
        float tailSlope = 0.0f, tailEnd = 0.0f;

        std::uint32_t topBits = 0, midBits = 0, lowBits = 0;
        float topGain = 0.0f, midGain = 0.0f, lowGain = 0.0f;
        bool gainsValid = false;
        bool caching = true;
    };
}
