#pragma once

#include "PluginProcessor.h"

#include <vector>

namespace testing_support
{
    using Channels = std::vector<std::vector<float>>;

    /** Sets the processor to mono or stereo in and out and prepares it. */
    inline void prepare (CompressorAudioProcessor& processor, int numChannels, int blockSize = 512)
    {
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        processor.setBusesLayout (layout);
        processor.prepareToPlay (48000.0, blockSize);
    }

    /** Processes one block in place and returns it. */
    inline Channels process (CompressorAudioProcessor& processor, Channels block)
    {
        std::vector<float*> pointers;
        for (auto& channel : block)
            pointers.push_back (channel.data());

        juce::AudioBuffer<float> buffer (pointers.data(), (int) block.size(), block.empty() ? 0 : (int) block[0].size());
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
        return block;
    }

    inline std::vector<float> processMono (CompressorAudioProcessor& processor, std::vector<float> samples)
    {
        return process (processor, { std::move (samples) })[0];
    }

    /** A deterministic music-like signal: two partials with a level change, bursts and a noise floor. */
    inline std::vector<float> musicLike (int numSamples, int seed, float level = 0.7f)
    {
        juce::Random random (seed);
        std::vector<float> samples ((size_t) numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = (double) i / 48000.0;
            const auto swell = 0.4 + 0.6 * std::abs (std::sin (juce::MathConstants<double>::pi * t * 1.3));
            const auto burst = (i % 9000) < 600 ? std::exp (-(double) (i % 9000) / 120.0) * (random.nextFloat() * 2.0f - 1.0f) : 0.0;
            const auto tone = 0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * 220.0 * t)
                              + 0.3 * std::sin (2.0 * juce::MathConstants<double>::pi * 330.0 * t);
            const auto noise = 0.01 * (random.nextFloat() * 2.0f - 1.0f);
            samples[(size_t) i] = (float) (level * (swell * tone + burst + noise));
        }

        return samples;
    }
}
