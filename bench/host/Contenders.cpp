#include "Contenders.h"

namespace host_bench
{
    namespace
    {
        // About -18 dB as a linear gain, for the peers whose threshold is linear.
        constexpr float minus18Db = 0.125893f;
    }

    std::vector<Contender> getContenders()
    {
        // The compressor keeps its defaults: it has no ratio, attack or release to match.
        constexpr auto defaults = "its defaults: Ceiling -18 dB, Threshold -12 dB, Downlift 0 dB, Gain 0 dB, CurveMode Quadratic";
        constexpr auto nothing = "nothing to set";

        return {
            { "Selvandrine Compressor", "VST3", SELVANDRINE_VST3_BUNDLE, Role::compressor, {}, defaults, "",
              SELVANDRINE_VST3_BUNDLE, "Selvandrine Compressor.so" },
            { "Selvandrine Compressor", "LV2", SELVANDRINE_LV2_URI, Role::compressor, {}, defaults, "",
              SELVANDRINE_LV2_BUNDLE, "libSelvandrine Compressor.so" },
            { "Pass-through floor", "VST3", PASSTHROUGH_VST3_BUNDLE, Role::floor, {}, nothing, "",
              PASSTHROUGH_VST3_BUNDLE, "Selvandrine Pass-Through.so" },
            { "Pass-through floor", "LV2", PASSTHROUGH_LV2_URI, Role::floor, {}, nothing, "",
              PASSTHROUGH_LV2_BUNDLE, "libSelvandrine Pass-Through.so" },
            { "x42 darc stereo", "LV2", "http://gareus.org/oss/lv2/darc#stereo", Role::peer,
              { { "Threshold", -18.0f, "-18 dB" },
                { "Ratio", 0.75f, "4:1, its scale being 1 - 1/ratio" },
                { "Attack Time", 0.002f, "2 ms" },
                { "Release Time", 0.1f, "100 ms" } },
              "", "x42-plugins" },
            { "LSP Compressor Stereo", "LV2", "http://lsp-plug.in/plugins/lv2/compressor_stereo", Role::peer,
              { { "Attack threshold", minus18Db, "-18 dB" },
                { "Ratio", 4.0f, "4:1" },
                { "Attack time", 2.0f, "2 ms" },
                { "Release time", 100.0f, "100 ms" } },
              "", "lsp-plugins-lv2" },
            { "Calf Compressor", "LV2", "http://calf.sourceforge.net/plugins/Compressor", Role::peer,
              { { "Threshold", minus18Db, "-18 dB" },
                { "Ratio", 4.0f, "4:1" },
                { "Attack", 2.0f, "2 ms" },
                { "Release", 100.0f, "100 ms" } },
              "", "calf-plugins" },
            { "ZamCompX2", "LV2", "urn:zamaudio:ZamCompX2", Role::peer,
              { { "Threshold", -18.0f, "-18 dB" },
                { "Ratio", 4.0f, "4:1" },
                { "Attack", 2.0f, "2 ms" },
                { "Release", 100.0f, "100 ms" } },
              "", "zam-plugins" },
        };
    }

    juce::StringArray getBuiltLv2Folders()
    {
        return { juce::File (SELVANDRINE_LV2_BUNDLE).getParentDirectory().getFullPathName(),
                 juce::File (PASSTHROUGH_LV2_BUNDLE).getParentDirectory().getFullPathName() };
    }
}
