#include "HostedPlugins.h"

#include <gtest/gtest.h>

namespace host_testing
{
    namespace
    {
        struct Formats
        {
            Formats()
            {
                manager.addFormat (vst3 = new juce::VST3PluginFormat());
                manager.addFormat (lv2 = new juce::LV2PluginFormat());

                // lilv knows only the bundles on its search path, and the built one is installed nowhere.
                const auto builtFolder = juce::File (SELVANDRINE_LV2_BUNDLE).getParentDirectory();
                lv2->searchPathsForPlugins (juce::FileSearchPath (builtFolder.getFullPathName()), false, false);
            }

            juce::AudioPluginFormatManager manager;
            juce::VST3PluginFormat* vst3 = nullptr;
            juce::LV2PluginFormat* lv2 = nullptr;
        };

        std::unique_ptr<Formats> formats;

        Formats& getFormats()
        {
            if (formats == nullptr)
                formats = std::make_unique<Formats>();

            return *formats;
        }
    }

    const char* getFormatName (Format format)
    {
        return format == Format::vst3 ? "VST3" : "LV2";
    }

    std::vector<juce::PluginDescription> findBuiltPlugin (Format format)
    {
        auto& f = getFormats();
        juce::OwnedArray<juce::PluginDescription> found;

        if (format == Format::vst3)
            f.vst3->findAllTypesForFile (found, SELVANDRINE_VST3_BUNDLE);
        else
            f.lv2->findAllTypesForFile (found, SELVANDRINE_LV2_URI);

        std::vector<juce::PluginDescription> result;

        for (auto* description : found)
            result.push_back (*description);

        return result;
    }

    std::unique_ptr<juce::AudioPluginInstance> createBuiltPlugin (Format format, double sampleRate, int blockSize)
    {
        const auto found = findBuiltPlugin (format);

        if (found.size() != 1)
        {
            ADD_FAILURE() << getFormatName (format) << ": " << found.size() << " plug-ins found in the built bundle";
            return {};
        }

        juce::String error;
        auto instance = getFormats().manager.createPluginInstance (found.front(), sampleRate, blockSize, error);

        if (instance == nullptr)
            ADD_FAILURE() << getFormatName (format) << " did not load: " << error;

        return instance;
    }

    void releaseFormats()
    {
        formats.reset();
    }

    std::vector<Setting> settingsWithCurveMode (int curveModeIndex)
    {
        return { { "topValue", "Ceiling", (-9.5f + 33.0f) / 33.0f },
                 { "midValue", "Threshold", (-20.25f + 36.0f) / 33.0f },
                 { "lowValue", "Downlift", 2.5f / 6.0f },
                 { "gain", "Gain", (3.75f + 12.0f) / 24.0f },
                 { "curveMode", "CurveMode", (float) curveModeIndex / 2.0f },
                 { "backColor", "BackColor", 3.0f / 5.0f } };
    }
}
