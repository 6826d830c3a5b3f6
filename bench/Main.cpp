// Prints the processor's cost per stereo frame and its realtime factor at 48 kHz.

#include "PluginProcessor.h"
#include "TestSignal.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int chunk = 4096; // a multiple of every block size, so all rows cover the same audio

    struct Options
    {
        double seconds = 15.0; // length of the test signal
        int passes = 7;        // timed passes per row, after one warm-up
        double budget = 0.5;   // seconds of processing a pass may take; slow rows use less audio
        bool cached = true, uncached = true;
    };

    struct Result
    {
        double nsPerFrame, bestNsPerFrame, realtime, audioSeconds, buildsPerBlock;
    };

    using Clock = std::chrono::steady_clock;

    Result measure (const juce::AudioBuffer<float>& signal, juce::AudioBuffer<float>& work, const Options& options,
                    bool caching, bool sweepCeiling, int curveModeId, int blockSize)
    {
        CompressorAudioProcessor processor;
        processor.stopTimer(); // its one-off refresh would overwrite the working copies set below
        processor.setPlayConfigDetails (2, 2, sampleRate, blockSize);
        processor.prepareToPlay (sampleRate, blockSize);
        processor.setCurveTableCaching (caching);
        processor.topDb = -6.0f;
        processor.midDb = -18.0f;
        processor.lowDb = 3.0f;
        processor.gainDb = 2.0f;
        processor.curveModeId = curveModeId;

        juce::MidiBuffer midi;
        float* const channels[] = { work.getWritePointer (0), work.getWritePointer (1) };
        int sweepStep = 0;

        // In place over the work copy: each block refers to its stretch of it, so nothing is copied.
        auto process = [&] (int begin, int end)
        {
            for (int start = begin; start < end; start += blockSize)
            {
                if (sweepCeiling)
                {
                    // -12 dB up to -6 dB and back in 0.01 dB steps: a new Ceiling every block.
                    const auto step = sweepStep++ % 1200;
                    processor.topDb.store ((float) (step < 600 ? step - 1200 : -step) / 100.0f, std::memory_order_relaxed);
                }

                juce::AudioBuffer<float> block (channels, 2, start, blockSize);
                processor.processBlock (block, midi);
            }
        };

        auto refill = [&] (int frames)
        {
            for (int channel = 0; channel < 2; ++channel)
                work.copyFrom (channel, 0, signal, channel, 0, frames);
        };

        // The warm-up also decides how much audio a timed pass covers: as much as fits the budget.
        const auto totalFrames = signal.getNumSamples() / chunk * chunk;
        refill (totalFrames);
        int frames = 0;

        for (const auto start = Clock::now(); frames < totalFrames
                                              && std::chrono::duration<double> (Clock::now() - start).count() < options.budget;
             frames += chunk)
            process (frames, frames + chunk);

        const auto buildsBefore = processor.getTransferCurves().getNumTableBuilds();
        std::vector<double> seconds;

        for (int pass = 0; pass < options.passes; ++pass)
        {
            refill (frames);
            const auto start = Clock::now();
            process (0, frames);
            seconds.push_back (std::chrono::duration<double> (Clock::now() - start).count());
        }

        std::sort (seconds.begin(), seconds.end());
        const auto median = seconds[seconds.size() / 2];
        const auto builds = processor.getTransferCurves().getNumTableBuilds() - buildsBefore;
        return { median * 1e9 / frames, seconds.front() * 1e9 / frames, frames / sampleRate / median, frames / sampleRate,
                 (double) builds / ((double) options.passes * frames / blockSize) };
    }

    void printTable (const juce::AudioBuffer<float>& signal, juce::AudioBuffer<float>& work, const Options& options, bool caching)
    {
        static const char* const curveNames[] = { "", "Linear", "Quadratic", "Bezier" };

        std::printf ("\nCurve table cache %s; Ceiling -6, Threshold -18, Downlift 3, Gain 2 dB;"
                     " median (and fastest) of %d passes after a warm-up\n",
                     caching ? "ON" : "OFF", options.passes);
        std::printf ("%-15s %-10s %6s %10s %9s %12s %9s %14s\n", "Parameters", "Curve", "Block", "ns/frame",
                     "fastest", "x realtime", "audio s", "builds/block");

        for (const bool sweep : { false, true })
            for (int mode = 1; mode <= 3; ++mode)
                for (const int blockSize : { 1, 32, 64, 512, 4096 })
                {
                    const auto r = measure (signal, work, options, caching, sweep, mode, blockSize);
                    std::printf ("%-15s %-10s %6d %10.2f %9.2f %12.1f %9.2f %14.2f\n", sweep ? "Ceiling sweep" : "static",
                                 curveNames[mode], blockSize, r.nsPerFrame, r.bestNsPerFrame, r.realtime, r.audioSeconds,
                                 r.buildsPerBlock);
                    std::fflush (stdout);
                }
    }

    bool parse (int argc, char** argv, Options& options)
    {
        for (int i = 1; i < argc; ++i)
        {
            const auto has = [&] (const char* name) { return std::strcmp (argv[i], name) == 0; };
            const auto value = [&] { return i + 1 < argc ? std::atof (argv[++i]) : 0.0; };

            if (has ("--seconds"))       options.seconds = value();
            else if (has ("--passes"))   options.passes = (int) value();
            else if (has ("--budget"))   options.budget = value();
            else if (has ("--no-cache")) options.cached = false;
            else if (has ("--cache"))    options.uncached = false;
            else return false;
        }

        return options.seconds >= 0.1 && options.passes >= 1 && options.budget > 0.0 && (options.cached || options.uncached);
    }
}

int main (int argc, char** argv)
{
    Options options;

    if (! parse (argc, argv, options))
    {
        std::fprintf (stderr, "usage: %s [--seconds S (15)] [--passes N (7)] [--budget S (0.5)] [--no-cache | --cache]\n"
                              "  --seconds  length of the test signal; fewer for a quick run\n"
                              "  --budget   processing time one pass may take; slower rows time a shorter stretch\n"
                              "  --no-cache only the table with the curve table cache off; --cache only with it on\n",
                      argv[0]);
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce; // the processor starts a Timer
    const auto signal = bench::makeTestSignal (options.seconds, sampleRate, 20240611);
    juce::AudioBuffer<float> work (2, signal.getNumSamples());

    std::printf ("Selvandrine Compressor: %.2f s stereo test signal at 48 kHz; ns per stereo frame;"
                 " x realtime = audio seconds / processing seconds\n",
                 (signal.getNumSamples() / chunk * chunk) / sampleRate);

    if (options.cached)
        printTable (signal, work, options, true);

    if (options.uncached)
        printTable (signal, work, options, false);

    return 0;
}
