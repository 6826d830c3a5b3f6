#include "HostSignal.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace host_testing
{
    juce::AudioBuffer<float> makeMusicLikeSignal (int numChannels, int numFrames, juce::int64 seed)
    {
        constexpr double sampleRate = 48000.0, twoPi = juce::MathConstants<double>::twoPi;
        constexpr double chord[] = { 220.0, 277.18, 329.63 };
        constexpr double barLevels[] = { 0.2, 0.7, 1.1, 0.05, 0.5 };
        constexpr int barLength = 12000;

        juce::AudioBuffer<float> signal (numChannels, numFrames);
        juce::Random random (seed);

        for (int i = 0; i < numFrames; ++i)
        {
            const auto t = i / sampleRate;
            const auto bar = i / barLength, inBar = i % barLength;
            const auto swell = std::min (1.0, inBar / 400.0) * (0.5 + 0.5 * std::exp (-inBar / 6000.0));
            const auto level = barLevels[bar % 5] * swell;
            const auto burstEnvelope = (inBar % 3000) < 900 ? std::exp (-(inBar % 3000) / 150.0) : 0.0;
            const auto burst = burstEnvelope * (random.nextDouble() * 2.0 - 1.0);
            const auto bass = 0.3 * std::sin (twoPi * (bar % 2 == 0 ? 55.0 : 73.42) * t);
            const auto floorNoise = 0.002 * (random.nextDouble() * 2.0 - 1.0);
            const auto silent = bar % 7 == 6 && inBar > 2000 && inBar < 5000;

            for (int channel = 0; channel < numChannels; ++channel)
            {
                double tones = 0.0;

                for (int k = 0; k < 3; ++k)
                    tones += std::sin (twoPi * chord[k] * t + channel * (k + 1) * 0.7) / 3.0;

                const auto pan = channel == 0 ? 1.0 : 0.8;
                const auto sample = level * (0.6 * tones + bass) * pan + 0.8 * burst * (channel == 0 ? 1.0 : 0.6) + floorNoise;
                signal.setSample (channel, i, silent ? 0.0f : (float) sample);
            }
        }

        return signal;
    }

    bool sameBits (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
            return false;

        for (int channel = 0; channel < a.getNumChannels(); ++channel)
            if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * (size_t) a.getNumSamples()) != 0)
                return false;

        return true;
    }

    juce::String firstDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
            return "shapes differ";

        for (int channel = 0; channel < a.getNumChannels(); ++channel)
            for (int i = 0; i < a.getNumSamples(); ++i)
            {
                const auto x = std::bit_cast<juce::uint32> (a.getSample (channel, i));
                const auto y = std::bit_cast<juce::uint32> (b.getSample (channel, i));

                if (x != y)
                    return "channel " + juce::String (channel) + ", frame " + juce::String (i) + ": "
                           + juce::String (a.getSample (channel, i), 9) + " (0x" + juce::String::toHexString (x) + ") vs "
                           + juce::String (b.getSample (channel, i), 9) + " (0x" + juce::String::toHexString (y) + ")";
            }

        return "none";
    }
}
