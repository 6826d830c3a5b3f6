#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace host_bench
{
    /** What a pass did to the signal: its level change and whether any bit changed. */
    struct OutputCheck
    {
        double levelChangeDb = 0.0;
        bool changed = false;
    };

    /** One plug-in's share of a pass: its processing time and what it made of the signal. */
    struct Turn
    {
        juce::AudioPluginInstance* plugin;
        double seconds = 0.0;
        double inputEnergy = 0.0, outputEnergy = 0.0;
        bool changed = false;

        OutputCheck getOutputCheck() const;
    };

    /**
        Runs hosted plug-ins over the stereo test signal as a host's audio callback would: in place,
        block by block. A pass goes through the signal a segment of about a second at a time, and
        every plug-in processes each segment in turn, so that a busy spell on a shared machine falls
        on all of them alike. Channels past the two of the signal (a side-chain input) get silence.
    */
    class PassTiming
    {
    public:
        /** The most channels a plug-in may have, side-chain inputs included. */
        static constexpr int maxChannels = 8;

        explicit PassTiming (const juce::AudioBuffer<float>& signal);

        /** One pass over the first numFrames of the signal (a multiple of the block size); the turns'
            times and checks start again from nothing. */
        void runPass (std::vector<Turn>&, int blockSize, int numFrames);

        /** The plug-in's output for the first numFrames of the signal, in one stretch. */
        juce::AudioBuffer<float> processCopy (juce::AudioPluginInstance&, int blockSize, int numFrames) const;

    private:
        void fill (juce::AudioBuffer<float>& destination, int channels, int offset, int numFrames) const;

        const juce::AudioBuffer<float>& signal;
        juce::AudioBuffer<float> segment;
    };
}
