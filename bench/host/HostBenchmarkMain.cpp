// Times processBlock of this project's compressor, an empty plug-in built the same way, and
// Debian's compressor plug-ins, all loaded through JUCE's format manager, on one test signal.

#include "../TestSignal.h"
#include "Contenders.h"
#include "HostSupport.h"
#include "PassTiming.h"
#include "PluginHost.h"
#include "ResultTable.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace
{
    using namespace host_bench;

    constexpr double sampleRate = 48000.0;
    constexpr int chunk = 4096; // the signal is cut to a multiple of it, so every default row covers the same audio

    struct Options
    {
        double seconds = 60.0;
        int passes = 9;
        double warmUpSeconds = 5.0;
        std::vector<int> blockSizes { 1, 32, 64, 512, 4096 };
        std::vector<Contender> candidates;
        juce::StringArray only; // when given, just the plug-ins whose "name (format)" holds one of these
        bool listParameters = false;
    };

    struct Entry
    {
        const Contender* contender;
        std::unique_ptr<juce::AudioPluginInstance> plugin;
        std::vector<double> seconds;
    };

    /** Whether the settings reach the plug-in: the first seconds of the signal come out differently
        from a fresh instance left at its defaults. */
    bool settingsTakeEffect (PluginHost& host, const Contender& contender, juce::AudioPluginInstance& plugin,
                             PassTiming& timing, int blockSize)
    {
        juce::String error;
        auto withDefaults = host.load (contender, sampleRate, blockSize, error);

        if (withDefaults == nullptr)
            return false;

        withDefaults->prepareToPlay (sampleRate, blockSize);
        const auto frames = (int) (2.0 * sampleRate) / blockSize * blockSize;
        const auto expected = timing.processCopy (*withDefaults, blockSize, frames);
        const auto actual = timing.processCopy (plugin, blockSize, frames);

        for (int channel = 0; channel < 2; ++channel)
            if (std::memcmp (expected.getReadPointer (channel), actual.getReadPointer (channel), sizeof (float) * (size_t) frames) != 0)
                return true;

        return false;
    }

    /** Loads, sets and prepares every plug-in for the block size; false when a built one fails. */
    bool loadAll (PluginHost& host, const std::vector<Contender>& contenders, int blockSize, bool report,
                  PassTiming& timing, std::vector<Entry>& entries)
    {
        entries.clear();

        for (const auto& contender : contenders)
        {
            juce::String error;
            auto plugin = host.load (contender, sampleRate, blockSize, error);

            if (plugin == nullptr)
            {
                std::fprintf (stderr, "%s (%s) did not load: %s\n", contender.name.toRawUTF8(), contender.formatName, error.toRawUTF8());

                if (contender.role != Role::peer)
                    return false;

                std::fprintf (stderr, "  left out; it comes in Debian's %s\n", contender.package);
                continue;
            }

            // JUCE's LV2 host makes a new instance in prepareToPlay and gives it the old one's control
            // port values, so the controls are set afterwards, as on a plug-in that is running.
            plugin->prepareToPlay (sampleRate, blockSize);
            juce::StringArray settings;

            if (! applySettings (*plugin, contender.settings, settings, error))
            {
                std::fprintf (stderr, "%s (%s): %s; it lists:\n  %s\n", contender.name.toRawUTF8(), contender.formatName, error.toRawUTF8(),
                              describeParameters (*plugin).joinIntoString ("\n  ").toRawUTF8());
                return false;
            }

            if ((contender.role == Role::compressor || contender.role == Role::floor) && ! isLoadedFromBuild (contender, error))
            {
                std::fprintf (stderr, "%s (%s) is not the build's: %s\n", contender.name.toRawUTF8(), contender.formatName, error.toRawUTF8());
                return false;
            }

            if (report)
            {
                if (settings.isEmpty())
                    settings.add (contender.note);
                else if (! settingsTakeEffect (host, contender, *plugin, timing, blockSize))
                    settings.add ("SETTINGS NOT TAKEN: the output is that of its defaults");

                std::printf ("  %s (%s): %s\n", contender.name.toRawUTF8(), contender.formatName, settings.joinIntoString ("; ").toRawUTF8());
            }

            entries.push_back ({ &contender, std::move (plugin), {} });
        }

        return true;
    }

    std::vector<Row> measure (std::vector<Entry>& entries, PassTiming& timing, const Options& options, int blockSize, int numFrames)
    {
        const auto frames = numFrames / blockSize * blockSize;
        const auto warmUpFrames = std::min (frames, (int) (options.warmUpSeconds * sampleRate) / blockSize * blockSize);

        std::vector<Turn> turns;

        for (auto& entry : entries)
            turns.push_back ({ entry.plugin.get() });

        timing.runPass (turns, blockSize, warmUpFrames);

        for (int pass = 0; pass < options.passes; ++pass)
        {
            timing.runPass (turns, blockSize, frames);

            for (size_t i = 0; i < entries.size(); ++i)
                entries[i].seconds.push_back (turns[i].seconds);
        }

        std::vector<Row> rows;

        for (size_t i = 0; i < entries.size(); ++i)
        {
            auto& seconds = entries[i].seconds;
            std::sort (seconds.begin(), seconds.end());
            rows.push_back ({ entries[i].contender, blockSize, seconds[seconds.size() / 2] * 1e9 / frames, seconds.front() * 1e9 / frames,
                              turns[i].getOutputCheck() });
        }

        return rows;
    }

    bool isChosen (const Contender& contender, const juce::StringArray& only)
    {
        if (only.isEmpty())
            return true;

        const auto label = contender.name + " (" + contender.formatName + ")";

        for (const auto& part : only)
            if (label.contains (part))
                return true;

        return false;
    }

    int listParameters (PluginHost& host, const std::vector<Contender>& contenders)
    {
        for (const auto& contender : contenders)
        {
            juce::String error;
            const auto plugin = host.load (contender, sampleRate, 512, error);
            std::printf ("%s (%s, %s):\n  %s\n", contender.name.toRawUTF8(), contender.formatName, contender.identifier.toRawUTF8(),
                         plugin != nullptr ? describeParameters (*plugin).joinIntoString ("\n  ").toRawUTF8() : error.toRawUTF8());
        }

        return 0;
    }

    int run (const Options& options)
    {
        const auto signal = bench::makeTestSignal (options.seconds, sampleRate, 20240611);
        const auto numFrames = std::max (chunk, signal.getNumSamples() / chunk * chunk);
        std::vector<Contender> contenders;

        for (const auto& contender : getContenders())
            if (isChosen (contender, options.only))
                contenders.push_back (contender);

        contenders.insert (contenders.end(), options.candidates.begin(), options.candidates.end());

        PluginHost host;

        if (options.listParameters)
            return listParameters (host, contenders);

        std::printf ("Hosted through JUCE's AudioPluginFormatManager: %.2f s stereo test signal at 48 kHz, processed in place;\n"
                     "median (and fastest) of %d passes after %.1f s of warm-up, the plug-ins taking turns second by second;\n"
                     "ns per stereo frame; x realtime = audio seconds / processing seconds; x ours = ns / the compressor's ns\n"
                     "in the same format; over floor = ns - the pass-through floor's ns in the same format;\n"
                     "out/in dB = output level against input level over the last pass (the floor must show 0.00, unchanged).\n\n"
                     "Settings, as each plug-in reads them back:\n",
                     numFrames / sampleRate, options.passes, options.warmUpSeconds);

        PassTiming timing (signal);
        std::vector<Row> rows;
        std::vector<Entry> entries;

        for (size_t i = 0; i < options.blockSizes.size(); ++i)
        {
            const auto blockSize = options.blockSizes[i];

            if (! loadAll (host, contenders, blockSize, i == 0, timing, entries))
                return 1;

            if (i == 0)
            {
                std::printf ("\n");
                printHeader();
            }

            const auto measured = measure (entries, timing, options, blockSize, numFrames);
            printRows (measured, sampleRate);
            rows.insert (rows.end(), measured.begin(), measured.end());
            entries.clear();
        }

        printVerdict (rows);
        return 0;
    }

    bool parse (int argc, char** argv, Options& options)
    {
        for (int i = 1; i < argc; ++i)
        {
            const auto has = [&] (const char* name) { return std::strcmp (argv[i], name) == 0; };
            const auto value = [&] { return i + 1 < argc ? juce::String (argv[++i]) : juce::String(); };

            if (has ("--seconds"))
                options.seconds = value().getDoubleValue();
            else if (has ("--passes"))
                options.passes = value().getIntValue();
            else if (has ("--warm-up"))
                options.warmUpSeconds = value().getDoubleValue();
            else if (has ("--blocks"))
            {
                options.blockSizes.clear();

                for (const auto& size : juce::StringArray::fromTokens (value(), ",", {}))
                    options.blockSizes.push_back (size.getIntValue());
            }
            else if (has ("--vst3"))
            {
                const auto given = value();

                if (! given.contains ("="))
                    return false;

                options.candidates.push_back ({ given.upToFirstOccurrenceOf ("=", false, false), "VST3",
                                                given.fromFirstOccurrenceOf ("=", false, false), Role::candidate, {},
                                                "its defaults" });
            }
            else if (has ("--only"))
                options.only = juce::StringArray::fromTokens (value(), ",", {});
            else if (has ("--list"))
                options.listParameters = true;
            else
                return false;
        }

        return options.seconds >= 0.1 && options.passes >= 1 && options.warmUpSeconds >= 0.0 && ! options.blockSizes.empty()
               && std::all_of (options.blockSizes.begin(), options.blockSizes.end(), [] (int size) { return size >= 1 && size <= chunk; });
    }
}

int main (int argc, char** argv)
{
    Options options;

    if (! parse (argc, argv, options))
    {
        std::fprintf (stderr, "usage: %s [--seconds S (60)] [--passes N (9)] [--warm-up S (5)] [--blocks 1,32,64,512,4096]\n"
                              "          [--only NAME,...] [--vst3 NAME=BUNDLE]... [--list]\n"
                              "  --only  just the plug-ins whose \"name (format)\" holds one of the parts, e.g. \"Selvandrine,floor (LV2)\"\n"
                              "  --vst3  also time this VST3 bundle under the name, e.g. another build of the compressor\n"
                              "  --list  print the controls each plug-in offers, as the host names them, and stop\n",
                      argv[0]);
        return 2;
    }

    // The LV2 host must meet the plug-ins just built, not copies installed in the user's ~/.lv2.
    const auto home = host_testing::useEmptyHome();
    int result = 1;
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        result = run (options);
    }

    if (! home.empty())
        std::filesystem::remove_all (home);

    return result;
}
