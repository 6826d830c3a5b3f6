#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace bench
{
    /** A fixed, music-like stereo signal: a chord progression whose level changes from bar to
        bar, kick, snare and hi-hat bursts, and a noise floor; the same seed gives the same samples. */
    juce::AudioBuffer<float> makeTestSignal (double seconds, double sampleRate, juce::int64 seed);
}
