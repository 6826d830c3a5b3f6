#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace host_bench
{
    /** A control set by the name the host lists it under, to a value in the plug-in's own units. */
    struct Setting
    {
        const char* name;
        float value;
        const char* meaning; // how the value reads, for the printed list of settings
    };

    // A candidate is another build of a plug-in, named on the command line, set beside the compressor.
    enum class Role { compressor, floor, peer, candidate };

    /** One plug-in the benchmark loads, with the settings it gets. */
    struct Contender
    {
        juce::String name;
        const char* formatName;  // "VST3" or "LV2"
        juce::String identifier; // the VST3 bundle's path or the LV2 URI
        Role role;
        std::vector<Setting> settings;
        const char* note = "";         // what a plug-in without settings runs with
        const char* package = "";      // the Debian package a peer comes in
        juce::String builtBundle = {}; // for the built plug-ins: where their code must be loaded from
        juce::String libraryFile = {};
    };

    /** This project's compressor and pass-through floor in both formats, then Debian's peers. */
    std::vector<Contender> getContenders();

    /** The folders holding the built LV2 bundles, for the LV2 host to search. */
    juce::StringArray getBuiltLv2Folders();
}
