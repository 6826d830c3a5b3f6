#include "PluginHost.h"

#include "HostSupport.h"
#include "PassTiming.h"

namespace host_bench
{
    namespace
    {
        juce::String describeBuses (const juce::AudioProcessor& processor)
        {
            juce::StringArray buses;

            for (const auto isInput : { true, false })
                for (int i = 0; i < processor.getBusCount (isInput); ++i)
                    buses.add (juce::String (isInput ? "in " : "out ") + processor.getBus (isInput, i)->getName() + " "
                               + processor.getBus (isInput, i)->getCurrentLayout().getDescription());

            return buses.joinIntoString (", ");
        }
    }

    PluginHost::PluginHost()
    {
        manager.addFormat (vst3 = new juce::VST3PluginFormat());
        manager.addFormat (lv2 = new juce::LV2PluginFormat());

        // The LV2 format reads the system folders as it starts; the built bundles are installed nowhere.
        lv2->searchPathsForPlugins (juce::FileSearchPath (getBuiltLv2Folders().joinIntoString (";")), false, false);
    }

    std::unique_ptr<juce::AudioPluginInstance> PluginHost::load (const Contender& contender, double sampleRate,
                                                                 int blockSize, juce::String& error)
    {
        auto& format = juce::String (contender.formatName) == "VST3" ? static_cast<juce::AudioPluginFormat&> (*vst3)
                                                                     : static_cast<juce::AudioPluginFormat&> (*lv2);
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, contender.identifier);

        if (found.size() != 1)
        {
            error = juce::String (found.size()) + " plug-ins found for " + contender.identifier;
            return {};
        }

        auto plugin = manager.createPluginInstance (*found[0], sampleRate, blockSize, error);

        if (plugin == nullptr)
            return {};

        // A side-chain input may share the main input bus after the two signal channels.
        if (plugin->getBusCount (true) < 1 || plugin->getChannelCountOfBus (true, 0) < 2
            || plugin->getBusCount (false) < 1 || plugin->getChannelCountOfBus (false, 0) != 2)
        {
            error = "its main buses do not take and give a stereo signal: " + describeBuses (*plugin);
            return {};
        }

        if (juce::jmax (plugin->getTotalNumInputChannels(), plugin->getTotalNumOutputChannels()) > PassTiming::maxChannels)
        {
            error = "it has more channels than the benchmark feeds: " + describeBuses (*plugin);
            return {};
        }

        return plugin;
    }

    bool applySettings (juce::AudioPluginInstance& plugin, const std::vector<Setting>& settings,
                        juce::StringArray& report, juce::String& error)
    {
        for (const auto& setting : settings)
        {
            auto* parameter = host_testing::findParameter (plugin, setting.name);

            if (parameter == nullptr)
            {
                error = "no control named \"" + juce::String (setting.name) + "\"";
                return false;
            }

            parameter->setValue (parameter->getValueForText (juce::String (setting.value)));
            report.add (juce::String (setting.name) + " = " + parameter->getText (parameter->getValue(), 64)
                        + " (" + setting.meaning + ")");
        }

        return true;
    }

    juce::StringArray describeParameters (juce::AudioPluginInstance& plugin)
    {
        juce::StringArray lines;

        for (auto* parameter : plugin.getParameters())
            lines.add ("\"" + parameter->getName (256) + "\" = " + parameter->getText (parameter->getValue(), 64)
                       + (parameter->isDiscrete() ? " (" + juce::String (parameter->getNumSteps()) + " steps)" : juce::String()));

        return lines;
    }

    bool isLoadedFromBuild (const Contender& contender, juce::String& error)
    {
        // Another build of the same plug-in may be loaded beside it, as a candidate.
        const auto mapped = host_testing::findMappedLibraries (contender.libraryFile);

        for (const auto& path : mapped)
            if (path.startsWith (contender.builtBundle + "/"))
                return true;

        error = contender.libraryFile + " is mapped from: " + mapped.joinIntoString (", ");
        return false;
    }
}
