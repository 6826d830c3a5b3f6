#include "TransferCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace selvandrine;

namespace
{
    struct Curves
    {
        Curves (float topDb, float midDb, float lowDb)  { curves.update (topDb, midDb, lowDb); }

        // Mapping may make Bezier segments; the curves stay the same.
        float operator() (int mode, float e) const      { return curves.map (mode, e); }

        mutable TransferCurves curves;
    };

    /** The Bezier table built whole, as the plain rules build it, and its mapping. */
    struct EagerBezier
    {
        explicit EagerBezier (const CurveConstants& c)
        {
            for (int i = 0; i < TransferCurves::tableSize; ++i)
            {
                const float t = (float) i / 10000.0f, u = 1.0f - t, w = t + t;
                table.push_back ({ (t * t) + ((c.A * w) * u), ((c.T * t) * t) + ((w * c.B) * u) });
            }
        }

        float operator() (float e) const
        {
            const auto& z = table[9999];
            const auto& y = table[9998];

            if (e > 1.0f)
                return ((e - 1.0f) * ((z.y - y.y) / (z.x - y.x))) + z.y;

            const auto k = std::min ((size_t) (e * 10000.0f), (size_t) 9998);
            const auto& p = table[k];
            const auto& q = table[k + 1];
            return p.y + ((q.y - p.y) * ((e - p.x) / (q.x - p.x)));
        }

        std::vector<CurvePoint> table;
    };

    // Worked values are printed to five significant figures: allow half a unit of the last one.
    void expectFiveFigures (double expected, float actual)
    {
        const auto unit = std::pow (10.0, std::floor (std::log10 (std::abs (expected))) - 4.0);
        EXPECT_NEAR (actual, expected, 0.5 * unit + 1e-9) << "expected " << expected;
    }
}

TEST (TransferCurves, WorkedConstantsForCeilingMinus6ThresholdMinus12Downlift6)
{
    const Curves c (-6.0f, -12.0f, 6.0f);
    const auto& k = c.curves.constants();

    expectFiveFigures (0.50119, k.T);
    expectFiveFigures (0.25119, k.M);
    expectFiveFigures (1.41254, k.L);
    expectFiveFigures (0.14756, k.A);
    expectFiveFigures (0.35481, k.B);
    expectFiveFigures (0.17783, k.R);
    expectFiveFigures (0.30407, k.S);
    expectFiveFigures (0.85600, k.K);
    expectFiveFigures (-0.14992, k.D);
}

TEST (TransferCurves, WorkedValuesOfAllThreeCurves)
{
    const Curves c (-6.0f, -12.0f, 6.0f);

    struct Row { float e; double linear, quadratic, bezier; };
    const Row rows[] = { { 0.1f, 0.14125, 0.082052, 0.16602 },
                         { 0.5f, 0.34915, 0.33930,  0.39102 },
                         { 1.0f, 0.50119, 0.50119,  0.50119 },
                         { 1.5f, 0.65322, 0.42623,  0.58706 },
                         { 2.0f, 0.80526, 0.35127,  0.67296 } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.e);
        expectFiveFigures (row.linear, c (linearCurve, row.e));
        expectFiveFigures (row.quadratic, c (quadraticCurve, row.e));
        expectFiveFigures (row.bezier, c (bezierCurve, row.e));
    }
}

TEST (TransferCurves, QuadraticBlendsInDoubleAndMeetsTheCeilingExactlyAtFullScale)
{
    const Curves c (-6.0f, -12.0f, 6.0f);
    const auto& k = c.curves.constants();

    EXPECT_EQ (c (quadraticCurve, 1.0f), k.T);
    EXPECT_EQ (c (quadraticCurve, 0.0f), 0.0f);

    // A level where a single-precision blend would round differently.
    for (float e = 0.001f; e < 1.0f; e += 0.0137f)
    {
        const float te = (k.T * e) * e;
        const float ke = k.K * e;
        const auto expected = (float) ((double) te + (1.0 - (double) e) * (double) ke);
        ASSERT_EQ (c (quadraticCurve, e), expected) << e;
    }
}

TEST (TransferCurves, BezierTableRunsFromOriginTowardTheCeilingPoint)
{
    const Curves c (-6.0f, -12.0f, 6.0f);
    std::vector<CurvePoint> table;

    for (int i = 0; i < TransferCurves::tableSize; ++i)
        table.push_back (c.curves.point (i));

    EXPECT_EQ (table.front().x, 0.0f);
    EXPECT_EQ (table.front().y, 0.0f);

    for (size_t i = 1; i < table.size(); ++i)
        ASSERT_GT (table[i].x, table[i - 1].x) << i;

    // The parameter stops at 0.9999: the last point lies just short of (1, T).
    EXPECT_LT (table.back().x, 1.0f);
    EXPECT_NEAR (table.back().x, 1.0f, 1e-3f);
    EXPECT_NEAR (table.back().y, c.curves.constants().T, 1e-3f);

    // At full scale the last segment is extended to e = 1 and beyond it is anchored at its end.
    const auto& y = table[9998];
    const auto& z = table[9999];
    const auto slope = (z.y - y.y) / (z.x - y.x);
    EXPECT_EQ (c (bezierCurve, 1.0f), y.y + ((z.y - y.y) * ((1.0f - y.x) / (z.x - y.x))));
    EXPECT_EQ (c (bezierCurve, 3.0f), (2.0f * slope) + z.y);
}

TEST (TransferCurves, NoCompressionWithCeilingAtZeroAndNoDownlift)
{
    for (const float midDb : { -36.0f, -12.0f, -3.0f })
    {
        const Curves c (0.0f, midDb, 0.0f);

        for (float e = 0.0005f; e < 1.0f; e += 0.0173f)
        {
            EXPECT_NEAR (c (linearCurve, e), e, 1e-6f) << midDb << " " << e;
            EXPECT_NEAR (c (bezierCurve, e), e, 1e-5f) << midDb << " " << e;
        }
    }
}

TEST (TransferCurves, DefaultsPutTheCeilingBelowTheThreshold)
{
    const Curves c (-18.0f, -12.0f, 0.0f);

    EXPECT_LT (c.curves.constants().S, 0.0f);
    EXPECT_LT (c (linearCurve, 2.0f), 0.0f);
    EXPECT_GT (c.curves.constants().D, 0.0f);
    EXPECT_GT (c (quadraticCurve, 2.0f), c (quadraticCurve, 1.0f));
}

TEST (TransferCurves, UnknownCurveIdsMapEveryLevelToOne)
{
    const Curves c (-6.0f, -12.0f, 6.0f);

    for (const int id : { 0, 4, -1 })
        for (const float e : { 1e-20f, 0.3f, 1.0f, 7.0f })
            EXPECT_EQ (c (id, e), 1.0f);
}

TEST (TransferCurves, CachedTableEqualsAFreshBuildAfterEveryChange)
{
    TransferCurves cached;

    const float settings[][3] = { { -6.0f, -12.0f, 6.0f }, { -6.0f, -12.0f, 6.0f }, { -6.01f, -12.0f, 6.0f },
                                  { -6.01f, -20.0f, 6.0f }, { -6.01f, -20.0f, 0.5f }, { 0.0f, -3.0f, 0.0f },
                                  { -6.0f, -12.0f, 6.0f } };

    for (const auto& s : settings)
    {
        cached.update (s[0], s[1], s[2]);
        const Curves fresh (s[0], s[1], s[2]);
        const EagerBezier eager (cached.constants());

        // Every segment, the odd ones read downward and the even ones upward (each reading finds
        // a segment that the table before had made), the last level below full scale and full
        // scale itself (both read the last segment), and the tail beyond.
        for (int k = TransferCurves::tableSize - 1; k >= 0; k -= 2)
        {
            const auto e = ((float) k + 0.5f) / 10000.0f;
            ASSERT_EQ (cached.mapBezier (e), eager (e)) << k;
        }

        for (int k = 0; k < TransferCurves::tableSize; k += 2)
        {
            const auto e = ((float) k + 0.5f) / 10000.0f;
            ASSERT_EQ (cached.mapBezier (e), eager (e)) << k;
        }

        for (const float e : { std::nextafter (1.0f, 0.0f), 1.0f, 1.7f })
            ASSERT_EQ (cached.mapBezier (e), eager (e)) << e;

        for (int mode = 1; mode <= 3; ++mode)
            for (const float e : { 0.01f, 0.4f, 1.0f, 1.7f })
                ASSERT_EQ (cached.map (mode, e), fresh (mode, e));
    }

    EXPECT_EQ (cached.getNumTableBuilds(), 6);
}
