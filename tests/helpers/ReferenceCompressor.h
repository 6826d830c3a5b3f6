#pragma once

#include <cmath>
#include <vector>

namespace testing_support
{
    /**
        The compressor's rules written out plainly, one sample at a time: a new table every block,
        a new gain every sample, and the crossing scan in its general form. The processor must
        produce the same bits.
    */
    struct ReferenceCompressor
    {
        float topDb = 0.0f, midDb = -3.0f, lowDb = 0.0f, gainDb = 0.0f;
        int curveModeId = 1;

        float envelope = 1e-20f, inputLevel = 1e-20f, outputLevel = 1e-20f;
        float lastSample = 0.0f, cyclePeak = 0.0f;
        int cycleLength = 0;

        static float gain (float db) { return db > -100.0f ? ::exp10f (db * 0.05f) : 0.0f; }

        void processBlock (std::vector<std::vector<float>>& block)
        {
            const float T = gain (topDb), M = gain (midDb), L = gain (lowDb * 0.5f);
            const float A = M + ((1.0f - L) * M), B = M - ((1.0f - L) * M);
            const float R = M / L, S = (T - M) / (1.0f - R);
            const float K = ((T / M) + L) * M;
            const float D = ((((T * 0.99f) * 0.99f) + ((K * 0.99f) * 0.01f)) - T) / 0.01f;

            std::vector<float> tx (10000), ty (10000);
            for (int i = 0; i < 10000; ++i)
            {
                const float t = (float) i / 10000.0f, u = 1.0f - t, w = t + t;
                tx[(size_t) i] = (t * t) + ((A * w) * u);
                ty[(size_t) i] = ((T * t) * t) + ((w * B) * u);
            }

            auto curve = [&] (float e) -> float
            {
                switch (curveModeId)
                {
                    case 1: return L * e > M ? ((e - R) * S) + M : L * e;
                    case 2: return e <= 1.0f ? (float) ((double) ((T * e) * e) + (1.0 - (double) e) * (double) (K * e))
                                             : ((e - 1.0f) * D) + T;
                    case 3:
                        if (e <= 1.0f)
                        {
                            int k = (int) (e * 10000.0f);
                            if (k > 9998) k = 9998;
                            return ty[(size_t) k] + ((ty[(size_t) k + 1] - ty[(size_t) k]) * ((e - tx[(size_t) k]) / (tx[(size_t) k + 1] - tx[(size_t) k])));
                        }
                        return ((e - 1.0f) * ((ty[9999] - ty[9998]) / (tx[9999] - tx[9998]))) + ty[9999];
                    default: return 1.0f;
                }
            };

            for (auto& channel : block)
            {
                const int n = (int) channel.size();

                for (int j = 0; j < n; ++j)
                {
                    float x = channel[(size_t) j];
                    if (! std::isfinite (x)) x = 0.0f;
                    const float s = x < 0.0f ? -1.0f : 1.0f;
                    const float a = x * s;

                    if (x >= 0.0f && lastSample < 0.0f)
                    {
                        cyclePeak = 0.0f;
                        float prev = 0.0f;
                        bool found = false;

                        for (int l = 0; l < n - j; ++l)
                        {
                            float w = channel[(size_t) (j + l)];
                            if (! std::isfinite (w)) w = 0.0f;
                            const float m = w < 0.0f ? -w : w;
                            if (m > cyclePeak) cyclePeak = m;
                            if ((w >= 0.0f && prev < 0.0f) || (w < 0.0f && prev >= 0.0f)) { cycleLength = l + 1; found = true; break; }
                            prev = w;
                        }

                        if (! found) cycleLength = n - j;
                    }

                    lastSample = x;

                    if (cycleLength > 0)
                    {
                        if (cyclePeak > envelope)
                        {
                            envelope = envelope + (cyclePeak - envelope) / (float) cycleLength;
                            if (envelope > cyclePeak) envelope = cyclePeak;
                        }
                        else
                        {
                            envelope = envelope + (cyclePeak - envelope) * 3e-5f;
                        }
                    }

                    if (a > inputLevel) inputLevel = a; else inputLevel = inputLevel + (inputLevel - a) * (-0.001f);
                    if (envelope == 0.0f) envelope = 1e-20f;

                    const float y = curve (envelope);
                    float v = (x * y) / envelope;
                    if (v > 1.5f) v = 1.5f;
                    if (v < -1.5f) v = -1.5f;

                    const float b = s * v;
                    if (b > outputLevel) outputLevel = b; else outputLevel = outputLevel + (outputLevel - b) * (-0.001f);

                    channel[(size_t) j] = v * gain (gainDb);
                }
            }
        }
    };
}
