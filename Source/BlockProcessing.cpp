#include "Decibels.h"
#include "PluginProcessor.h"

#include <bit>
#include <cmath>

namespace
{
    // A broken upstream plug-in may hand us NaN or infinity; every step takes such a sample as silence.
    inline float finiteOrZero (float x) noexcept
    {
        return (std::bit_cast<std::uint32_t> (x) & 0x7f800000u) == 0x7f800000u ? 0.0f : x;
    }

    // The level rises to a larger magnitude at once, else falls by a thousandth of the difference.
    // Written as the larger of the magnitude and the fallen level, which needs no branch: the
    // fallen level lies below the magnitude exactly when the magnitude exceeds the level, and is
    // the rule's result otherwise, bit for bit (zeros and NaN included), as long as the level is
    // no denormal and a denormal magnitude meets no negative level. Both hold here: levels are
    // made in flush-to-zero mode, the input level never falls below zero and the shaped sample
    // is a product.
    inline float followLevel (float level, float magnitude) noexcept
    {
        const auto fallen = level + (level - magnitude) * -0.001f;
        return magnitude > fallen ? magnitude : fallen;
    }
}

void CompressorAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // First of all: the floating-point mode is read back through memory, and stores just
    // before it made it wait in some builds, by 50 ns per block and more.
    const juce::ScopedNoDenormals noDenormals;

    blockProcessed.store (true, std::memory_order_relaxed);
    freezeHistory.store (false, std::memory_order_relaxed);

    const auto numSamples = buffer.getNumSamples();
    const auto numBufferChannels = buffer.getNumChannels();
    const auto numInputs = juce::jmin (getTotalNumInputChannels(), numBufferChannels);
    const auto numOutputs = juce::jmin (getTotalNumOutputChannels(), numBufferChannels);

    for (auto channel = numInputs; channel < numOutputs; ++channel)
        buffer.clear (channel, 0, numSamples);

    curves.update (topDb.load(), midDb.load(), lowDb.load());

    if (numInputs == 0)
        return;

    // The detector runs on locals and publishes its levels once per block: the values the
    // editor can see are the same, without an atomic store per sample. So does the output
    // gain's conversion, kept while the Gain working copy keeps its bits.
    auto envelope = envelopeLevel.load();
    auto inputFollower = inputLevel.load();
    auto outputFollower = outputLevel.load();
    auto previous = lastSample;
    auto peak = cyclePeak;
    auto length = cycleLength;
    auto gainDbBits = convertedGainDbBits;
    auto gain = convertedGain;

    // Two of the detector's tests pass only in rare stretches: the half-cycle length is 0 until
    // the first upward crossing, and the envelope is 0 (to be lifted to 1e-20) only after it
    // fell below 1e-37, since between samples it never falls by more than a factor of
    // 1 - 3.01e-5. So a stretch of up to 4,096 samples that starts with a known length and an
    // envelope of 1e-37 or more runs without them, with the same results.
    constexpr int stretchSize = 4096;

    auto processStretch = [&]<bool checked> (float* data, int begin, int end)
    {
        for (int j = begin; j < end; ++j)
        {
            const auto x = finiteOrZero (data[j]);
            // One test of x's sign: a negative sample never starts a half-cycle.
            auto sign = 1.0f;
            auto magnitude = x;

            if (x < 0.0f)
            {
                sign = -1.0f;
                magnitude = -x;
            }
            else if (previous < 0.0f)
            {
                // Upward crossing: the half-cycle runs up to and including the first negative sample.
                peak = 0.0f;
                length = numSamples - j;

                for (int l = 0; l < numSamples - j; ++l)
                {
                    const auto w = finiteOrZero (data[j + l]);
                    const auto wMagnitude = w < 0.0f ? -w : w;
                    peak = wMagnitude > peak ? wMagnitude : peak;

                    if (w < 0.0f)
                    {
                        length = l + 1;
                        break;
                    }
                }
            }

            previous = x;

            if (! checked || length > 0)
            {
                if (peak > envelope)
                {
                    const auto attacked = envelope + (peak - envelope) / (float) length;
                    envelope = attacked > peak ? peak : attacked;
                }
                else
                {
                    envelope = envelope + (peak - envelope) * 3e-5f;
                }
            }

            inputFollower = followLevel (inputFollower, magnitude);

            if (checked && envelope == 0.0f)
                envelope = 1e-20f;

            const auto target = curves.map (curveModeId.load (std::memory_order_relaxed), envelope);
            auto shaped = (x * target) / envelope;
            shaped = shaped > 1.5f ? 1.5f : (shaped < -1.5f ? -1.5f : shaped);

            outputFollower = followLevel (outputFollower, sign * shaped);

            const auto newGainDb = gainDb.load (std::memory_order_relaxed);

            if (std::bit_cast<std::uint32_t> (newGainDb) != gainDbBits) [[unlikely]]
            {
                gainDbBits = std::bit_cast<std::uint32_t> (newGainDb);
                gain = selvandrine::decibelsToGain (newGainDb);
            }

            data[j] = shaped * gain;
        }
    };

    for (int channel = 0; channel < numInputs; ++channel)
    {
        auto* data = buffer.getWritePointer (channel);

        for (int begin = 0; begin < numSamples; begin += stretchSize)
        {
            const auto end = juce::jmin (begin + stretchSize, numSamples);

            if (length > 0 && envelope >= 1e-37f)
                processStretch.template operator()<false> (data, begin, end);
            else
                processStretch.template operator()<true> (data, begin, end);
        }
    }

    lastSample = previous;
    cyclePeak = peak;
    cycleLength = length;
    convertedGainDbBits = gainDbBits;
    convertedGain = gain;
    envelopeLevel.store (envelope);
    inputLevel.store (inputFollower);
    outputLevel.store (outputFollower);
}
