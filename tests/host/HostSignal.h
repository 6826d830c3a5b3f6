#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace host_testing
{
    /**
        A deterministic music-like signal: a chord that swells bar by bar, drum-like noise bursts,
        a bass line, a noise floor, a stretch of silence and a few peaks above full scale. The
        channels differ; the same seed gives the same bits.
    */
    juce::AudioBuffer<float> makeMusicLikeSignal (int numChannels, int numFrames, juce::int64 seed);

    /** Whether two buffers hold the same bits. */
    bool sameBits (const juce::AudioBuffer<float>&, const juce::AudioBuffer<float>&);

    /** Where the buffers first differ, as "channel c, frame f: a vs b", for failure messages. */
    juce::String firstDifference (const juce::AudioBuffer<float>&, const juce::AudioBuffer<float>&);
}
