#pragma once

#include <juce_events/juce_events.h>

#include <memory>
#include <mutex>

class CompressorAudioProcessor;

namespace selvandrine
{
    /**
        The processor's one tick, about a second after it is made: runs the processor's
        `timerCallback` once on the message thread.

        JUCE calls a timer through a pointer of its own, and a host may free an instance on any
        thread at any moment (an LV2 host frees it on its own), so the timer is this object and
        not the processor: it lives on until the message thread is done with it. The tick's body
        runs under `bodyLock`, and `release` takes it too, so freeing an instance waits at most
        for a body that has begun, never for the message loop, and a tick that has not begun finds
        no processor.
    */
    class ProcessorTick : private juce::Timer
    {
    public:
        explicit ProcessorTick (CompressorAudioProcessor& processorToTick);

        /** Called by the processor's destructor, on any thread: once it returns no tick touches
            the processor, and the tick is deleted where no call of it can be under way. */
        static void release (std::unique_ptr<ProcessorTick> tick);

    private:
        void timerCallback() override;

        std::mutex bodyLock;
        CompressorAudioProcessor* processor;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessorTick)
    };
}
