#pragma once

#include "HostSupport.h"

#include <memory>
#include <vector>

namespace host_testing
{
    enum class Format { vst3, lv2 };

    const char* getFormatName (Format);

    /** What the format finds in the built bundle (the VST3 by its folder, the LV2 by its URI). */
    std::vector<juce::PluginDescription> findBuiltPlugin (Format);

    /** A new instance of the built plug-in, made by the format manager as a host makes one. */
    std::unique_ptr<juce::AudioPluginInstance> createBuiltPlugin (Format, double sampleRate, int blockSize);

    /** Lets go of the formats, and with them the LV2 world, while JUCE is still up. */
    void releaseFormats();

    /** A parameter found by its name, with the normalised value a test gives it. */
    struct Setting
    {
        const char* id;
        const char* name;
        float normalised;
    };

    /** Every parameter off its default, on the 0.01 grid so that every route lands on the same value. */
    std::vector<Setting> settingsWithCurveMode (int curveModeIndex);
}
