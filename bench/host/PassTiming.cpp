#include "PassTiming.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace host_bench
{
    PassTiming::PassTiming (const juce::AudioBuffer<float>& signalToUse, int framesPerPass, int maxChannels)
        : signal (signalToUse), numFrames (framesPerPass), work (juce::jmax (2, maxChannels), framesPerPass)
    {
    }

    void PassTiming::refill (const juce::AudioPluginInstance& plugin)
    {
        const auto numChannels = juce::jmax (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
        workChannels = juce::jlimit (2, work.getNumChannels(), numChannels);

        for (int channel = 0; channel < workChannels; ++channel)
        {
            if (channel < 2)
                work.copyFrom (channel, 0, signal, channel, 0, numFrames);
            else
                work.clear (channel, 0, numFrames);
        }
    }

    double PassTiming::process (juce::AudioPluginInstance& plugin, int blockSize, int framesToProcess)
    {
        using Clock = std::chrono::steady_clock;

        juce::MidiBuffer midi;
        auto* const* channels = work.getArrayOfWritePointers();
        const auto start = Clock::now();

        for (int offset = 0; offset < framesToProcess; offset += blockSize)
        {
            // Refers to this stretch of the working buffer; nothing is copied or allocated.
            juce::AudioBuffer<float> block (channels, workChannels, offset, blockSize);
            plugin.processBlock (block, midi);
            midi.clear();
        }

        return std::chrono::duration<double> (Clock::now() - start).count();
    }

    OutputCheck PassTiming::checkOutput() const
    {
        double inputEnergy = 0.0, outputEnergy = 0.0;
        bool changed = false;

        for (int channel = 0; channel < 2; ++channel)
        {
            const auto* in = signal.getReadPointer (channel);
            const auto* out = work.getReadPointer (channel);
            changed = changed || std::memcmp (in, out, sizeof (float) * (size_t) numFrames) != 0;

            for (int i = 0; i < numFrames; ++i)
            {
                inputEnergy += (double) in[i] * in[i];
                outputEnergy += (double) out[i] * out[i];
            }
        }

        return { 10.0 * std::log10 (outputEnergy / inputEnergy), changed };
    }

    juce::AudioBuffer<float> PassTiming::processCopy (juce::AudioPluginInstance& plugin, int blockSize, int framesToProcess)
    {
        refill (plugin);
        process (plugin, blockSize, framesToProcess);

        juce::AudioBuffer<float> output (2, framesToProcess);

        for (int channel = 0; channel < 2; ++channel)
            output.copyFrom (channel, 0, work, channel, 0, framesToProcess);

        return output;
    }
}
