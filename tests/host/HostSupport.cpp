#include "HostSupport.h"

#include <cstdlib>
#include <filesystem>

namespace host_testing
{
    std::string useEmptyHome()
    {
        const auto* home = std::getenv ("HOME");

        if (std::getenv ("XAUTHORITY") == nullptr && home != nullptr)
            setenv ("XAUTHORITY", (std::string (home) + "/.Xauthority").c_str(), 1);

        std::string folder = (std::filesystem::temp_directory_path() / "selvandrine-host-XXXXXX").string();

        if (mkdtemp (folder.data()) == nullptr)
            return {};

        setenv ("HOME", folder.c_str(), 1);
        return folder;
    }

    juce::StringArray findMappedLibraries (const juce::String& fileName)
    {
        juce::StringArray paths;

        for (const auto& line : juce::StringArray::fromLines (juce::File ("/proc/self/maps").loadFileAsString()))
        {
            // The path is the sixth field and may itself hold spaces.
            const auto slash = line.indexOfChar ('/');

            if (slash >= 0 && line.endsWith ("/" + fileName))
                paths.addIfNotAlreadyThere (line.substring (slash));
        }

        return paths;
    }

    juce::AudioProcessor::BusesLayout makeLayout (const juce::AudioChannelSet& input, const juce::AudioChannelSet& output)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (input);
        layout.outputBuses.add (output);
        return layout;
    }

    juce::AudioProcessorParameter* findParameter (juce::AudioProcessor& processor, const juce::String& name)
    {
        for (auto* parameter : processor.getParameters())
            if (parameter->getName (256) == name)
                return parameter;

        return nullptr;
    }
}
