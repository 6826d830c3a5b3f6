#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace host_bench
{
    /** What a pass did to the signal: its level change and whether any bit changed. */
    struct OutputCheck
    {
        double levelChangeDb = 0.0;
        bool changed = false;
    };

    /**
        Runs hosted plug-ins over the stereo test signal in place, block by block, as a host's audio
        callback would. Channels past the two of the signal (a side-chain input) get silence.
    */
    class PassTiming
    {
    public:
        PassTiming (const juce::AudioBuffer<float>& signal, int numFrames, int maxChannels);

        /** Puts the signal back into the working buffer, on as many channels as the plug-in has. */
        void refill (const juce::AudioPluginInstance&);

        /** Processes the first numFrames of the working buffer in blocks; returns the seconds taken. */
        double process (juce::AudioPluginInstance&, int blockSize, int numFrames);

        /** Compares the two signal channels of the working buffer with the signal. */
        OutputCheck checkOutput() const;

        /** The plug-in's output for the first numFrames of the signal. */
        juce::AudioBuffer<float> processCopy (juce::AudioPluginInstance&, int blockSize, int numFrames);

    private:
        const juce::AudioBuffer<float>& signal;
        const int numFrames;
        juce::AudioBuffer<float> work;
        int workChannels = 2;
    };
}
