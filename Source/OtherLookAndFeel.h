#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The editor's look-and-feel: arc knobs, chevron-only selectors, a bare underlined link button,
    value popups without a bubble, and the embedded font for every control's text. It also holds
    the colours that the editor paints with, so that one object decides the window's colours.
*/
class OtherLookAndFeel : public juce::LookAndFeel_V4
{
public:
    OtherLookAndFeel();

    /** A new typeface on the compiled-in font; every caller gets an object of its own. */
    static juce::Typeface::Ptr createEmbeddedTypeface();

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawBubble (juce::Graphics&, juce::BubbleComponent&,
                     const juce::Point<float>& tip, const juce::Rectangle<float>& body) override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    juce::Font getSliderPopupFont (juce::Slider&) override;
    int getSliderPopupPlacement (juce::Slider&) override;

    /** Fill of the pop-up menus and colour of the editor's grid; the editor copies a palette entry here. */
    juce::Colour currentColour { juce::Colours::steelblue };

    /** Indexed by the background selector's item id; index 0 repeats index 1. */
    juce::Array<juce::Colour> backgroundPalette { juce::Colours::steelblue,
                                                  juce::Colours::steelblue,
                                                  juce::Colours::rebeccapurple,
                                                  juce::Colours::brown,
                                                  juce::Colours::goldenrod,
                                                  juce::Colours::deeppink,
                                                  juce::Colours::cadetblue };

    juce::Colour panelColour { juce::Colours::whitesmoke };
    juce::Colour originalBarColour { juce::Colours::darkblue.withAlpha ((juce::uint8) 0x66) };
    juce::Colour compressedBarColour { 0x808c0000 };

    /** The link button's font; drawing the button underlines it. */
    juce::Font buttonFont { createEmbeddedTypeface() };
};
