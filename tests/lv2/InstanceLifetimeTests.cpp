// The LV2 version's instances freed at the wrong moment, through the LV2 interface, with JUCE's LV2
// client in this program as it is in the plug-in: an LV2 host frees an instance on a thread of its
// own, whatever JUCE's message thread is doing.
#include "UridMap.h"
#include "helpers/TickWatch.h"

#include <juce_events/juce_events.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>

#include <gtest/gtest.h>

#include <thread>

using testing_support::TickWatch;
using namespace std::chrono_literals;

namespace
{
    constexpr auto patience = 10s;

    /** Makes an instance with the features that JUCE's client requires, as an LV2 host does. */
    LV2_Handle instantiate()
    {
        static lv2_testing::UridMap urids;
        static const std::int32_t maxBlockLength = 512;
        static const LV2_Options_Option options[] {
            { LV2_OPTIONS_INSTANCE, 0, urids.map (LV2_BUF_SIZE__maxBlockLength), sizeof (std::int32_t), urids.map (LV2_ATOM__Int), &maxBlockLength },
            { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr }
        };
        static const LV2_Feature map { LV2_URID__map, &urids.mapFeature }, bounded { LV2_BUF_SIZE__boundedBlockLength, nullptr },
                                 optionsFeature { LV2_OPTIONS__options, (void*) options };
        static const LV2_Feature* const features[] { &map, &bounded, &optionsFeature, nullptr };

        return lv2_descriptor (0)->instantiate (lv2_descriptor (0), 48000.0, "", features);
    }

    void cleanup (LV2_Handle instance) { lv2_descriptor (0)->cleanup (instance); }

    /** Frees the instance on a thread of its own; the future's value is how long the free took. */
    std::future<std::chrono::steady_clock::duration> freeOnAnotherThread (LV2_Handle instance)
    {
        return std::async (std::launch::async, [instance]
        {
            const auto start = std::chrono::steady_clock::now();
            cleanup (instance);
            return std::chrono::steady_clock::now() - start;
        });
    }

    /** Waits until the ticks have run `count` bodies, then until every message posted so far (a
        freed tick's among them) has been handled; returns the bodies run by then. */
    int bodiesOnceSettledAt (const TickWatch& watch, int count)
    {
        for (auto waited = 0ms; watch.bodies() < count && waited < patience; waited += 5ms)
            std::this_thread::sleep_for (5ms);

        std::promise<void> handled;
        juce::MessageManager::callAsync ([&handled] { handled.set_value(); });
        EXPECT_EQ (handled.get_future().wait_for (patience), std::future_status::ready) << "the message thread is stuck";
        return watch.bodies();
    }
}

// In both tests the instance to free is made first, so that its tick comes first. The other one
// keeps JUCE's message thread running after the free, as any other instance in a host does, and
// its own tick, a moment later, shows that the message thread went on.
TEST (Lv2InstanceLifetime, AFreeDuringTheTickWaitsOnlyForABodyThatHasBegun)
{
    const struct { TickWatch::TickPoint point; bool freeWaits; int bodiesOfBoth; } rows[] {
        { TickWatch::TickPoint::beforeBody, false, 1 },
        { TickWatch::TickPoint::insideBody, true, 2 },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.freeWaits ? "held inside the body" : "held before the body");
        TickWatch watch (row.point);
        auto* young = instantiate();
        auto* other = instantiate();
        ASSERT_TRUE (young != nullptr && other != nullptr);
        ASSERT_TRUE (watch.isHeldWithin (patience));

        auto freed = freeOnAnotherThread (young);
        EXPECT_EQ (freed.wait_for (row.freeWaits ? 200ms : patience) == std::future_status::ready, ! row.freeWaits)
            << (row.freeWaits ? "the free did not wait for the tick's body" : "the free waits for a tick that has not begun");

        watch.release();
        EXPECT_EQ (freed.wait_for (patience), std::future_status::ready) << "the free never returned";
        EXPECT_EQ (bodiesOnceSettledAt (watch, row.bodiesOfBoth), row.bodiesOfBoth);
        cleanup (other);
    }
}

TEST (Lv2InstanceLifetime, AFreeNeverWaitsForTheMessageThread)
{
    const TickWatch watch;
    auto* young = instantiate();
    auto* other = instantiate();
    ASSERT_TRUE (young != nullptr && other != nullptr);

    std::promise<void> blocking, unblock;
    juce::MessageManager::callAsync ([&]
    {
        blocking.set_value();
        unblock.get_future().wait();
    });
    ASSERT_EQ (blocking.get_future().wait_for (patience), std::future_status::ready);

    auto freed = freeOnAnotherThread (young);
    const auto returned = freed.wait_for (2s) == std::future_status::ready;
    unblock.set_value();

    ASSERT_TRUE (returned) << "the free waits for the message thread";
    EXPECT_LT (freed.get(), 100ms);

    // Only the other instance's tick runs, the freed one's never.
    EXPECT_EQ (bodiesOnceSettledAt (watch, 1), 1);
    cleanup (other);
}
