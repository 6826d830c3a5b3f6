#pragma once

#include "Contenders.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace host_bench
{
    /** Loads plug-ins as a host does: through JUCE's format manager, with the VST3 and LV2 formats. */
    class PluginHost
    {
    public:
        PluginHost();

        /** A new instance for the sample rate and block size; null, with the reason, when the plug-in
            is missing or does not take and give a stereo signal. */
        std::unique_ptr<juce::AudioPluginInstance> load (const Contender&, double sampleRate, int blockSize, juce::String& error);

    private:
        juce::AudioPluginFormatManager manager;
        juce::VST3PluginFormat* vst3 = nullptr;
        juce::LV2PluginFormat* lv2 = nullptr;
    };

    /** Sets each control through the host's parameter objects, by name and from text in the plug-in's
        units; returns "name = value as the plug-in reads it back" for each, or fails naming the
        missing control. The values reach the plug-in with the next block. */
    bool applySettings (juce::AudioPluginInstance&, const std::vector<Setting>&, juce::StringArray& report, juce::String& error);

    /** Every control the host lists, with its value as text, one per line. */
    juce::StringArray describeParameters (juce::AudioPluginInstance&);

    /** Whether a built plug-in's code was mapped from its bundle in the build tree, rather than from
        a copy installed elsewhere. */
    bool isLoadedFromBuild (const Contender&, juce::String& error);
}
