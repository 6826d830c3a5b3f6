#include "MessageLoop.h"

#include <juce_events/juce_events.h>

namespace juce
{
    // JUCE's Linux message pump. The shared code is built without modal loops, so the tests
    // dispatch through the same function that JUCE's own loops call.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace testing_support
{
    void runMessageLoopFor (int milliseconds)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

        while (juce::Time::getMillisecondCounter() < end)
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
    }
}
