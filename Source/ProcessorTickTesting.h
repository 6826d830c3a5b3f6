#pragma once

// For the tests only: holds a processor's tick at the points where a host may free the instance.
namespace selvandrine::testing
{
    enum class TickPoint
    {
        beforeBody, // JUCE has called the tick; it has not yet looked for its processor
        insideBody  // the tick holds its processor and is about to refresh it
    };

    /** Called on the message thread at each point of every processor's tick; nullptr removes it. */
    void setTickHook (void (*hook) (TickPoint));
}
