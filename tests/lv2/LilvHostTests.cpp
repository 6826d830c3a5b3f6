#include "LilvHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using lilv_testing::LilvHost;

namespace
{
    // The processor's one refresh of its working copies comes a second after it is made, on the
    // plug-in's own message thread. A change sent after it is heard only because the working
    // copies follow the parameters.
    constexpr std::chrono::milliseconds pastTheRefresh { 1500 };

    // Levels are compared to a hundredth of a dB: the sine's level is the same in every block.
    constexpr double tolerance = 0.01;

    struct Value
    {
        const char* id;
        float value;
    };

    // The parameters as a new instance has them.
    constexpr Value defaults[] { { "topValue", -18.0f }, { "midValue", -12.0f }, { "lowValue", 0.0f },
                                 { "gain", 0.0f }, { "curveMode", 1.0f }, { "backColor", 0.0f } };

    void expectReports (const LilvHost::Reports& reports, const Value (&expected)[6], const char* when)
    {
        EXPECT_EQ (reports.size(), 6u) << when;

        for (const auto& [id, value] : expected)
        {
            const auto found = reports.find (id);

            if (found == reports.end())
                ADD_FAILURE() << when << ": no report of " << id;
            else
                EXPECT_EQ (found->second, value) << when << ": " << id;
        }
    }

    std::unique_ptr<LilvHost> startHost()
    {
        auto host = std::make_unique<LilvHost>();
        EXPECT_EQ (host->getProblem(), "");
        return host->getProblem().empty() ? std::move (host) : nullptr;
    }

    double decibels (double gain) { return 20.0 * std::log10 (gain); }
}

// Reported with the first block, and not again: the refresh a second later, on the plug-in's
// message thread, may meet the host freeing the instance, so it reports nothing.
TEST (LilvHost, ReportsEveryParameterWithTheFirstBlockOnly)
{
    const auto host = startHost();
    ASSERT_NE (host, nullptr);

    host->runBlock();
    expectReports (host->getReports(), defaults, "first block");

    EXPECT_TRUE (host->runUntilAge (pastTheRefresh).empty()) << "blocks with reports until the refresh is past";
}

TEST (LilvHost, AChangeIsHeardInTheNextBlock)
{
    const auto host = startHost();
    ASSERT_NE (host, nullptr);
    host->runUntilAge (pastTheRefresh);

    // The Quadratic curve (the default) maps a settled envelope e, the sine's peak, to
    // T e^2 + (1 - e) K e with K = T + L M, so every sample is scaled by T + (1 - e) L M; the
    // output gain adds its decibels. Threshold -12 dB and Downlift 0 dB (L = 1) stay.
    const auto expectedDb = [] (double ceilingDb, double gainDb)
    {
        const auto e = (double) LilvHost::sinePeak;
        return decibels (std::pow (10.0, ceilingDb / 20.0) + (1.0 - e) * std::pow (10.0, -12.0 / 20.0)) + gainDb;
    };

    EXPECT_NEAR (host->runBlock(), expectedDb (-18.0, 0.0), tolerance) << "defaults";

    const struct { const char* id; float value; double ceilingDb, gainDb; } changes[] = {
        { "gain", 6.0f, -18.0, 6.0 },      { "gain", -6.0f, -18.0, -6.0 },      { "gain", 0.0f, -18.0, 0.0 },
        { "topValue", -6.0f, -6.0, 0.0 },  { "topValue", -30.0f, -30.0, 0.0 },  { "topValue", -18.0f, -18.0, 0.0 },
    };

    for (const auto& change : changes)
    {
        host->set (change.id, change.value);
        EXPECT_NEAR (host->runBlock(), expectedDb (change.ceilingDb, change.gainDb), tolerance) << change.id << " " << change.value;
    }
}

TEST (LilvHost, RestoredStateIsHeardAndReportedInTheNextBlock)
{
    const auto host = startHost();
    ASSERT_NE (host, nullptr);
    host->runUntilAge (pastTheRefresh);

    constexpr Value saved[] { { "topValue", -10.0f }, { "midValue", -12.0f }, { "lowValue", 0.0f },
                              { "gain", 4.0f }, { "curveMode", 1.0f }, { "backColor", 0.0f } };
    host->set ("topValue", -10.0f);
    host->set ("gain", 4.0f);
    host->runBlock();
    const auto savedLevel = host->runBlock();

    const std::unique_ptr<LilvState, decltype (&lilv_state_free)> state (host->saveState(), lilv_state_free);
    ASSERT_NE (state, nullptr);

    host->set ("topValue", -24.0f);
    host->set ("gain", -8.0f);
    host->set ("curveMode", 0.0f);
    host->set ("backColor", 3.0f);
    EXPECT_GT (std::abs (host->runBlock() - savedLevel), 6.0) << "the changed settings sound the same as the saved ones";

    host->restoreState (*state);
    EXPECT_NEAR (host->runBlock(), savedLevel, tolerance) << "first block after the restore";
    expectReports (host->getReports(), saved, "first block after the restore");
}
