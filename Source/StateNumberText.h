#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace selvandrine
{
    /**
        The value of a number text on which JUCE's number reader would overflow a 32-bit integer:
        one whose exponent, alone or with the digits after the eighteenth, passes that range, such
        as "1e9999999999". Such a number lies far outside any floating-point range, so its value is
        an infinity or a zero with the text's sign. Nothing when JUCE reads the text safely; the
        text is then read as JUCE reads it.
    */
    std::optional<double> valueJuceCannotRead (const juce::String& text) noexcept;
}
