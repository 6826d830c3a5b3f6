#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <string>

namespace host_testing
{
    /**
        Gives the process a fresh, empty home folder and returns it (empty when none could be
        made); X keeps the user's authority file. JUCE's LV2 host also searches ~/.lv2, and lilv
        keeps the first bundle it meets for a URI, so an installed copy there would stand in for
        the build. The caller removes the folder.
    */
    std::string useEmptyHome();

    /** The mapped shared objects of this process whose path ends with the name. */
    juce::StringArray findMappedLibraries (const juce::String& fileName);

    /** A layout with one input bus and one output bus. */
    juce::AudioProcessor::BusesLayout makeLayout (const juce::AudioChannelSet& input, const juce::AudioChannelSet& output);

    /** The parameter a host lists under the name, or null. */
    juce::AudioProcessorParameter* findParameter (juce::AudioProcessor&, const juce::String& name);
}
