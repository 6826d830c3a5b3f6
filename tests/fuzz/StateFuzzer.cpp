#include "PluginProcessor.h"

#include <cmath>
#include <cstdlib>

namespace
{
    void check (bool condition)
    {
        if (! condition)
            std::abort();
    }

    std::vector<float> valuesOf (CompressorAudioProcessor& p)
    {
        std::vector<float> values;

        for (auto* parameter : p.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
            const auto plain = p.valueTreeState.getRawParameterValue (ranged->paramID)->load();
            const auto& range = ranged->getNormalisableRange();

            // Every restored value must be one that the host could have set.
            check (std::isfinite (plain) && plain >= range.start && plain <= range.end);
            check (std::isfinite (parameter->getValue()));
            values.push_back (plain);
        }

        return values;
    }
}

// libFuzzer's entry points; it declares them itself, this file has no header of its own.
extern "C" int LLVMFuzzerInitialize (int*, char***);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::MessageManager::getInstance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // JUCE's pool of names sheds unused ones on a clock; shedding them before every input keeps
    // each run's path independent of time, so that a fixed seed gives one result.
    juce::StringPool::getGlobalPool().garbageCollect();

    CompressorAudioProcessor restored;
    restored.setStateInformation (data, (int) size);
    const auto values = valuesOf (restored);

    juce::MemoryBlock saved;
    restored.getStateInformation (saved);

    CompressorAudioProcessor reopened;
    reopened.setStateInformation (saved.getData(), (int) saved.getSize());
    check (valuesOf (reopened) == values);
    return 0;
}
