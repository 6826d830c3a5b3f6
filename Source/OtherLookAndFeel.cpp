#include "OtherLookAndFeel.h"

#include "BinaryData.h"

#include <cmath>

OtherLookAndFeel::OtherLookAndFeel()
{
    setColour (juce::Slider::thumbColourId, juce::Colours::azure);
}

juce::Typeface::Ptr OtherLookAndFeel::createEmbeddedTypeface()
{
    // The file's own size: the generated array ends in zero bytes that the file does not have.
    return juce::Typeface::createSystemTypefaceFor (BinaryData::SulphurPointBold_ttf,
                                                    (size_t) BinaryData::SulphurPointBold_ttfSize);
}

void OtherLookAndFeel::drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool)
{
}

void OtherLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted, bool)
{
    buttonFont.setUnderline (true);
    g.setFont (buttonFont);
    // JUCE passes "highlighted" for a pressed button too, so one flag covers over and down.
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) (shouldDrawButtonAsHighlighted ? 0x80 : 0x4c)));
    g.drawFittedText (button.getButtonText(), 0, 0, button.getWidth(), button.getHeight(),
                      juce::Justification::centred, 1, 0.0f);
}

void OtherLookAndFeel::drawBubble (juce::Graphics&, juce::BubbleComponent&,
                                   const juce::Point<float>&, const juce::Rectangle<float>&)
{
}

void OtherLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    // Read at every drawing, so a menu opened after a background change takes the new colour.
    g.fillAll (currentColour);
    g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha ((juce::uint8) 0x99));
    g.drawRect (juce::Rectangle<float> (0.0f, 0.0f, (float) width, (float) height), 1.0f);
}

juce::Font OtherLookAndFeel::getPopupMenuFont()
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

void OtherLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool,
                                     int, int, int, int, juce::ComboBox& box)
{
    const auto cy = (float) (height / 2);
    const auto w = (float) width;

    juce::Path chevron;
    chevron.startNewSubPath (w - 27.0f, cy - 2.0f);
    chevron.lineTo (w - 20.0f, cy + 3.0f);
    chevron.lineTo (w - 13.0f, cy - 2.0f);

    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha ((juce::uint8) (box.isEnabled() ? 0xe6 : 0x33)));
    g.strokePath (chevron, juce::PathStrokeType (2.0f));
}

juce::Font OtherLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

void OtherLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                         float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const auto bounds = juce::Rectangle<int> (x, y, width, height).toFloat().reduced (10.0f);
    const auto centre = bounds.getCentre();

    const auto radius = juce::jmin (bounds.getWidth(), bounds.getHeight()) * 0.5f;
    const auto lineW = juce::jmin (8.0f, radius * 0.5f);
    const auto arcRadius = radius - lineW * 0.5f;
    const auto toAngle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);

    const juce::PathStrokeType arcStroke (lineW, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    juce::Path backgroundArc;
    backgroundArc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x33));
    g.strokePath (backgroundArc, arcStroke);

    if (slider.isEnabled())
    {
        juce::Path valueArc;
        valueArc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, toAngle, true);
        g.setColour (juce::Colours::black);
        g.strokePath (valueArc, arcStroke);
    }

    g.setColour (slider.findColour (juce::Slider::thumbColourId));

    const auto thumbW = lineW * 1.8f;
    const auto thumbAngle = toAngle - juce::MathConstants<float>::halfPi;
    const juce::Point<float> thumbCentre (centre.x + arcRadius * std::cos (thumbAngle),
                                          centre.y + arcRadius * std::sin (thumbAngle));
    g.fillEllipse (juce::Rectangle<float> (thumbW, thumbW).withCentre (thumbCentre));

    // Built pointing up from the outer edge of the band, then turned with the value.
    const auto pointerLength = thumbW * 0.4f;
    juce::Path pointer;
    pointer.addTriangle (-pointerLength * 0.5f, -radius, pointerLength * 0.5f, -radius, 0.0f, -radius - pointerLength);
    pointer.applyTransform (juce::AffineTransform::rotation (toAngle).translated (centre.x, centre.y));
    g.fillPath (pointer);
}

juce::Font OtherLookAndFeel::getSliderPopupFont (juce::Slider&)
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

int OtherLookAndFeel::getSliderPopupPlacement (juce::Slider&)
{
    return juce::BubbleComponent::below;
}
