#pragma once

#include "ProcessorTickTesting.h"

#include <atomic>
#include <chrono>
#include <future>
#include <optional>

namespace testing_support
{
    /** While it exists, counts the bodies of every processor's tick, and holds the first tick to
        reach the given point on the message thread until it is released. */
    class TickWatch
    {
    public:
        using TickPoint = selvandrine::testing::TickPoint;

        explicit TickWatch (std::optional<TickPoint> pointToHold = {})
        {
            bodiesRun = 0;
            holdAt = pointToHold.has_value() ? (int) *pointToHold : -1;
            reached = {};
            releasing = {};
            selvandrine::testing::setTickHook (onTick);
        }

        ~TickWatch() { selvandrine::testing::setTickHook (nullptr); }

        int bodies() const { return bodiesRun; }

        bool isHeldWithin (std::chrono::milliseconds limit) { return reached.get_future().wait_for (limit) == std::future_status::ready; }
        void release() { releasing.set_value(); }

    private:
        static void onTick (TickPoint point)
        {
            if (point == TickPoint::insideBody)
                ++bodiesRun;

            if (auto expected = (int) point; holdAt.compare_exchange_strong (expected, -1))
            {
                reached.set_value();
                releasing.get_future().wait();
            }
        }

        static inline std::atomic<int> bodiesRun { 0 }, holdAt { -1 };
        static inline std::promise<void> reached, releasing;
    };
}
