#include "ProcessorTick.h"
#include "ProcessorTickTesting.h"
#include "PluginProcessor.h"

#include <atomic>

namespace selvandrine
{
    namespace
    {
        std::atomic<void (*) (testing::TickPoint)> tickHook { nullptr };

        void reach (testing::TickPoint point)
        {
            if (auto* hook = tickHook.load (std::memory_order_acquire))
                hook (point);
        }
    }

    ProcessorTick::ProcessorTick (CompressorAudioProcessor& processorToTick)
        : processor (&processorToTick)
    {
        startTimer (1000);
    }

    void ProcessorTick::timerCallback()
    {
        reach (testing::TickPoint::beforeBody);
        stopTimer();

        const std::lock_guard held (bodyLock);

        if (processor != nullptr)
        {
            reach (testing::TickPoint::insideBody);
            processor->timerCallback();
        }
    }

    void ProcessorTick::release (std::unique_ptr<ProcessorTick> tick)
    {
        {
            const std::lock_guard held (tick->bodyLock);
            tick->processor = nullptr;
        }

        tick->stopTimer();

        // On the message thread, or with it held, no call of the tick is under way. Elsewhere
        // JUCE may have picked the tick to call it, so it is deleted on the message thread, after
        // that call; posting does not wait for the message loop.
        auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

        if (messageManager == nullptr || messageManager->currentThreadHasLockedMessageManager())
            return;

        juce::MessageManager::callAsync ([released = std::shared_ptr<ProcessorTick> (std::move (tick))] {});
    }

    void testing::setTickHook (void (*hook) (TickPoint))
    {
        tickHook.store (hook, std::memory_order_release);
    }
}
