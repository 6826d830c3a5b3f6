#pragma once

#include "PluginProcessor.h"

namespace testing_support
{
    /** Sets a parameter by its plain value, as a host's automation does: inside a change gesture. */
    inline void setParameter (CompressorAudioProcessor& p, const char* id, float plain)
    {
        auto* parameter = p.valueTreeState.getParameter (id);
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
        parameter->endChangeGesture();
    }

    /** A parameter's plain value as the store holds it. */
    inline float parameter (CompressorAudioProcessor& p, const char* id)
    {
        return p.valueTreeState.getRawParameterValue (id)->load();
    }
}
