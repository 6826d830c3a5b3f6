#pragma once

#include <juce_core/juce_core.h>

#include <string>

namespace testing_support
{
    /** A saved-state block around the given text: "VC2!", the length field, the text, a zero byte. */
    inline juce::MemoryBlock stateBlock (const std::string& text, int lengthField)
    {
        juce::MemoryOutputStream out;
        out.write ("VC2!", 4);
        out.writeInt (lengthField);
        out.write (text.data(), text.size());
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    inline juce::MemoryBlock stateBlock (const std::string& text)
    {
        return stateBlock (text, (int) text.size());
    }

    inline std::string paramsXml (const std::string& children, const std::string& root = "PARAMETERS")
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <" + root + ">" + children + "</" + root + ">";
    }
}
