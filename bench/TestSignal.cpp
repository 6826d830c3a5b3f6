#include "TestSignal.h"

#include <cmath>

namespace bench
{
    juce::AudioBuffer<float> makeTestSignal (double seconds, double sampleRate, juce::int64 seed)
    {
        constexpr double twoPi = juce::MathConstants<double>::twoPi;
        constexpr double beat = 0.5, bar = 4 * beat; // 120 bpm, one chord per bar
        constexpr double chords[4][4] = { { 220.00, 261.63, 329.63, 440.00 },    // A minor
                                          { 174.61, 220.00, 261.63, 349.23 },    // F
                                          { 196.00, 246.94, 293.66, 392.00 },    // G
                                          { 164.81, 207.65, 246.94, 329.63 } };  // E
        constexpr double barLevels[] = { 0.25, 0.6, 1.0, 0.4, 0.8, 0.15 };

        const auto numFrames = (int) (seconds * sampleRate);
        juce::AudioBuffer<float> signal (2, numFrames);
        juce::Random random (seed);
        double phases[2][4][3] = {};
        double kickPhase = 0.0;

        for (int i = 0; i < numFrames; ++i)
        {
            const auto t = i / sampleRate;
            const auto barIndex = (int) (t / bar);
            const auto inBar = t - barIndex * bar;
            const auto inBeat = std::fmod (t, beat);
            const auto inEighth = std::fmod (t, beat / 2);
            const auto beatInBar = (int) (inBar / beat);

            // Chord swell: quick attack, decay towards a sustain, and a level that changes per bar.
            const auto swell = std::min (1.0, inBar / 0.02) * (0.6 + 0.4 * std::exp (-inBar / 0.3));
            const auto level = 0.12 * barLevels[barIndex % 6] * swell;

            // Kick on one and three, snare on two and four, hi-hat on every eighth.
            const auto kickFrequency = 45.0 + 75.0 * std::exp (-inBeat / 0.03);
            kickPhase += twoPi * kickFrequency / sampleRate;
            const auto kick = beatInBar % 2 == 0 ? 0.9 * std::exp (-inBeat / 0.08) * std::sin (kickPhase) : 0.0;
            const auto snareEnvelope = beatInBar % 2 == 1 ? std::exp (-inBeat / 0.06) : 0.0;
            const auto hatEnvelope = 0.15 * std::exp (-inEighth / 0.015);

            for (int channel = 0; channel < 2; ++channel)
            {
                double chord = 0.0;

                for (int note = 0; note < 4; ++note)
                {
                    // Slight detune between the channels keeps them from being identical.
                    const auto frequency = chords[barIndex % 4][note] * (channel == 0 ? 1.0 : 1.0007);

                    for (int harmonic = 0; harmonic < 3; ++harmonic)
                    {
                        auto& phase = phases[channel][note][harmonic];
                        phase = std::fmod (phase + twoPi * frequency * (harmonic + 1) / sampleRate, twoPi);
                        chord += std::sin (phase) / (harmonic + 1);
                    }
                }

                const auto noise = random.nextFloat() * 2.0 - 1.0;
                const auto snare = snareEnvelope * (0.4 * noise + 0.2 * std::sin (twoPi * 180.0 * t));
                const auto hat = hatEnvelope * (random.nextFloat() * 2.0 - 1.0);
                const auto floor = 0.001 * (random.nextFloat() * 2.0 - 1.0); // about -60 dBFS

                signal.setSample (channel, i, (float) (0.6 * (level * chord + kick + snare + hat) + floor));
            }
        }

        return signal;
    }
}
