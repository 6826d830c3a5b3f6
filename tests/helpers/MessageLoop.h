#pragma once

namespace testing_support
{
    /** Runs the message loop on the calling (message) thread for the given time. */
    void runMessageLoopFor (int milliseconds);
}
