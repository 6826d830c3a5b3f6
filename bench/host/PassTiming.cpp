#include "PassTiming.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace host_bench
{
    namespace
    {
        constexpr int segmentFrames = 12 * 4096;

        int getNumChannels (const juce::AudioPluginInstance& plugin)
        {
            return juce::jlimit (2, PassTiming::maxChannels, juce::jmax (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels()));
        }

        void process (juce::AudioPluginInstance& plugin, juce::AudioBuffer<float>& audio, int channels, int blockSize, int numFrames)
        {
            juce::MidiBuffer midi;
            auto* const* pointers = audio.getArrayOfWritePointers();

            for (int offset = 0; offset < numFrames; offset += blockSize)
            {
                // Refers to this stretch of the buffer; nothing is copied or allocated.
                juce::AudioBuffer<float> block (pointers, channels, offset, blockSize);
                plugin.processBlock (block, midi);
                midi.clear();
            }
        }
    }

    OutputCheck Turn::getOutputCheck() const
    {
        return { 10.0 * std::log10 (outputEnergy / inputEnergy), changed };
    }

    PassTiming::PassTiming (const juce::AudioBuffer<float>& signalToUse)
        : signal (signalToUse), segment (maxChannels, segmentFrames)
    {
    }

    void PassTiming::fill (juce::AudioBuffer<float>& destination, int channels, int offset, int numFrames) const
    {
        for (int channel = 0; channel < channels; ++channel)
        {
            if (channel < 2)
                destination.copyFrom (channel, 0, signal, channel, offset, numFrames);
            else
                destination.clear (channel, 0, numFrames);
        }
    }

    void PassTiming::runPass (std::vector<Turn>& turns, int blockSize, int numFrames)
    {
        using Clock = std::chrono::steady_clock;

        for (auto& turn : turns)
            turn = { turn.plugin };

        const auto stride = segmentFrames / blockSize * blockSize;

        for (int offset = 0; offset < numFrames; offset += stride)
        {
            const auto frames = juce::jmin (stride, numFrames - offset);

            for (auto& turn : turns)
            {
                const auto channels = getNumChannels (*turn.plugin);
                fill (segment, channels, offset, frames);

                const auto start = Clock::now();
                process (*turn.plugin, segment, channels, blockSize, frames);
                turn.seconds += std::chrono::duration<double> (Clock::now() - start).count();

                for (int channel = 0; channel < 2; ++channel)
                {
                    const auto* in = signal.getReadPointer (channel, offset);
                    const auto* out = segment.getReadPointer (channel);
                    turn.changed = turn.changed || std::memcmp (in, out, sizeof (float) * (size_t) frames) != 0;

                    for (int i = 0; i < frames; ++i)
                    {
                        turn.inputEnergy += (double) in[i] * in[i];
                        turn.outputEnergy += (double) out[i] * out[i];
                    }
                }
            }
        }
    }

    juce::AudioBuffer<float> PassTiming::processCopy (juce::AudioPluginInstance& plugin, int blockSize, int numFrames) const
    {
        const auto channels = getNumChannels (plugin);
        juce::AudioBuffer<float> audio (channels, numFrames);
        fill (audio, channels, 0, numFrames);
        process (plugin, audio, channels, blockSize, numFrames);
        audio.setSize (2, numFrames, true);
        return audio;
    }
}
