#include "OtherLookAndFeel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    // Drawings are made at four times their size, so that sampled points lie well inside or outside the shapes.
    constexpr float scale = 4.0f;

    struct Canvas
    {
        Canvas (int width, int height) : image (juce::Image::ARGB, width * (int) scale, height * (int) scale, true)
        {
            g.addTransform (juce::AffineTransform::scale (scale));
        }

        juce::Colour at (float x, float y) const { return image.getPixelAt ((int) (x * scale), (int) (y * scale)); }

        juce::Image image;
        juce::Graphics g { image };
    };

    // A knob point given by its distance from the centre and its angle clockwise from twelve o'clock,
    // moved sideways (clockwise) by `side`.
    juce::Colour knobAt (const Canvas& c, float r, float angle, float side = 0.0f)
    {
        return c.at (60.0f + r * std::sin (angle) + side * std::cos (angle), 60.0f - r * std::cos (angle) + side * std::sin (angle));
    }

    void drawKnob (Canvas& c, OtherLookAndFeel& laf, juce::Slider& slider, float position)
    {
        laf.drawRotarySlider (c.g, 0, 0, 120, 120, position, -2.5f, 2.5f, slider);
    }

    bool isBlank (const juce::Image& image)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return false;
        return true;
    }

    const juce::Colour azure (0xfff0ffff);
}

TEST (LookAndFeelColours, HoldTheEditorsColoursAndThePaletteWithATransparentOutOfRangeEntry)
{
    OtherLookAndFeel laf;
    juce::LookAndFeel_V4 plain;

    EXPECT_EQ (laf.currentColour.getARGB(), 0xff4682b4u);
    EXPECT_EQ (laf.panelColour.getARGB(), 0xfff5f5f5u);
    EXPECT_EQ (laf.originalBarColour.getARGB(), 0x6600008bu);
    EXPECT_EQ (laf.compressedBarColour.getARGB(), 0x808c0000u);

    const juce::uint32 palette[] = { 0xff4682b4, 0xff4682b4, 0xff663399, 0xffa52a2a, 0xffdaa520, 0xffff1493, 0xff5f9ea0 };
    ASSERT_EQ (laf.backgroundPalette.size(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (laf.backgroundPalette[i].getARGB(), palette[i]) << "entry " << i;
    EXPECT_EQ (laf.backgroundPalette[7].getARGB(), 0u);
    EXPECT_EQ (laf.backgroundPalette[-1].getARGB(), 0u);

    EXPECT_EQ (laf.findColour (juce::Slider::thumbColourId), azure);
    for (int id : std::initializer_list<int> { juce::Slider::trackColourId, juce::ComboBox::arrowColourId,
                                              juce::PopupMenu::textColourId, juce::PopupMenu::backgroundColourId })
        EXPECT_EQ (laf.findColour (id), plain.findColour (id)) << std::hex << id;
}

TEST (LookAndFeelKnob, DrawsTheArcsThumbAndPointerOfA120PixelKnob)
{
    // Bounds 100 x 100: radius 50, band 8 wide about arc radius 46, thumb 14.4 across, pointer 5.76 long.
    OtherLookAndFeel laf;
    juce::Slider slider;
    slider.setLookAndFeel (&laf);
    Canvas c (120, 120);
    drawKnob (c, laf, slider, 0.5f); // straight up

    EXPECT_EQ (knobAt (c, 46.0f, -1.5f), juce::Colours::black);                          // value arc
    EXPECT_EQ (knobAt (c, 42.4f, -1.5f), juce::Colours::black);
    EXPECT_EQ (knobAt (c, 41.5f, -1.5f).getAlpha(), 0);
    EXPECT_EQ (knobAt (c, 46.0f, 1.5f).getAlpha(), 0x33);                                // background arc
    EXPECT_EQ (knobAt (c, 49.6f, 1.5f).getAlpha(), 0x33);
    EXPECT_EQ (knobAt (c, 50.5f, 1.5f).getAlpha(), 0);
    EXPECT_EQ (knobAt (c, 46.0f, 2.9f).getAlpha(), 0);                                   // beyond the end angle

    EXPECT_EQ (knobAt (c, 46.0f, 0.0f), azure);                                          // thumb
    EXPECT_EQ (knobAt (c, 46.0f, 0.0f, 6.8f), azure);
    EXPECT_EQ (knobAt (c, 46.0f, 0.0f, 7.6f).getAlpha(), 0x33);

    EXPECT_EQ (knobAt (c, 54.0f, 0.0f, 0.3f), azure);                                    // pointer, past the thumb
    EXPECT_EQ (knobAt (c, 54.0f, 0.0f, 1.3f).getAlpha(), 0);
    EXPECT_EQ (knobAt (c, 55.2f, 0.0f, 0.05f), azure);
    EXPECT_EQ (knobAt (c, 56.3f, 0.0f).getAlpha(), 0);
}

TEST (LookAndFeelKnob, FollowsThePositionAndDropsTheValueArcWhenDisabled)
{
    OtherLookAndFeel laf;
    juce::Slider slider;
    slider.setLookAndFeel (&laf);
    Canvas atStart (120, 120);
    drawKnob (atStart, laf, slider, 0.0f);
    EXPECT_EQ (knobAt (atStart, 46.0f, -2.5f), azure);
    EXPECT_EQ (knobAt (atStart, 54.0f, -2.5f, 0.3f), azure);
    EXPECT_EQ (knobAt (atStart, 46.0f, 0.0f).getAlpha(), 0x33);

    slider.setEnabled (false);
    Canvas disabled (120, 120);
    drawKnob (disabled, laf, slider, 1.0f);
    EXPECT_EQ (knobAt (disabled, 46.0f, 2.5f), azure);
    EXPECT_EQ (knobAt (disabled, 46.0f, 0.0f).getAlpha(), 0x33);

    Canvas tiny (40, 40);
    laf.drawRotarySlider (tiny.g, 10, 10, 20, 20, 0.5f, -2.5f, 2.5f, slider);
    EXPECT_TRUE (isBlank (tiny.image)); // radius 0: nothing has a size
}

TEST (LookAndFeelComboBox, DrawsOnlyAChevronAtTheRightAndItsAlphaFollowsTheEnabledState)
{
    OtherLookAndFeel laf;
    juce::Component parent;
    juce::ComboBox box;
    parent.addAndMakeVisible (box);
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::red);

    Canvas c (100, 30);
    laf.drawComboBox (c.g, 100, 24, false, 0, 0, 100, 24, box); // (73, 10) - (80, 15) - (87, 10)
    const auto vertex = c.at (80.0f, 15.0f); // red, as set on the box, unpremultiplied within rounding
    EXPECT_EQ (vertex.getAlpha(), 0xe6);
    EXPECT_GE (vertex.getRed(), 0xfc);
    EXPECT_EQ (vertex.getGreen() + vertex.getBlue(), 0);
    EXPECT_EQ (c.at (76.5f, 12.5f).getAlpha(), 0xe6);
    EXPECT_EQ (c.at (83.5f, 12.5f).getAlpha(), 0xe6);
    for (auto [x, y] : { std::pair { 80.0f, 12.0f }, { 71.0f, 10.0f }, { 89.0f, 10.0f }, { 10.0f, 12.0f }, { 0.1f, 0.1f } })
        EXPECT_EQ (c.at (x, y).getAlpha(), 0) << x << ", " << y;

    Canvas odd (100, 30); // the centre line is truncated: height 25 draws as 24
    laf.drawComboBox (odd.g, 100, 25, false, 0, 0, 100, 25, box);
    for (int y = 0; y < 120; ++y)
        for (int x = 280; x < 360; ++x)
            ASSERT_EQ (odd.image.getPixelAt (x, y), c.image.getPixelAt (x, y)) << x << ", " << y;

    parent.setEnabled (false);
    Canvas disabled (100, 30);
    laf.drawComboBox (disabled.g, 100, 24, false, 0, 0, 100, 24, box);
    EXPECT_EQ (disabled.at (80.0f, 15.0f).getAlpha(), 0x33);
}

TEST (LookAndFeelPopups, MenuTakesTheCurrentColourWithAOnePixelFrameAndValuePopupsGoBelow)
{
    OtherLookAndFeel laf;
    laf.currentColour = laf.backgroundPalette[5];
    laf.setColour (juce::PopupMenu::textColourId, juce::Colours::black);

    juce::Image image (juce::Image::ARGB, 60, 40, true);
    juce::Graphics g (image);
    laf.drawPopupMenuBackground (g, 60, 40);
    const auto frame = laf.currentColour.overlaidWith (juce::Colours::black.withAlpha ((juce::uint8) 0x99));
    for (auto [x, y] : { std::pair { 0, 20 }, { 59, 20 }, { 30, 0 }, { 30, 39 } })
        EXPECT_NEAR (image.getPixelAt (x, y).getRed(), frame.getRed(), 2) << x << ", " << y;
    EXPECT_EQ (image.getPixelAt (1, 20), laf.currentColour);
    EXPECT_EQ (image.getPixelAt (30, 20), laf.currentColour);

    juce::Slider slider;
    EXPECT_EQ (laf.getSliderPopupPlacement (slider), juce::BubbleComponent::below);

    struct Bubble : juce::BubbleComponent
    {
        void getContentSize (int& w, int& h) override { w = h = 10; }
        void paintContent (juce::Graphics&, int, int) override {}
    } bubble;
    juce::Image bubbleImage (juce::Image::ARGB, 60, 40, true);
    juce::Graphics bubbleGraphics (bubbleImage);
    laf.drawBubble (bubbleGraphics, bubble, { 30.0f, 0.0f }, { 0.0f, 10.0f, 60.0f, 30.0f });
    EXPECT_TRUE (isBlank (bubbleImage));
}

TEST (LookAndFeelButton, DrawsNoBackgroundAndUnderlinedWhiteTextWhoseAlphaFollowsTheMouse)
{
    OtherLookAndFeel laf;
    juce::TextButton button ("www.tarvoaudio.com");
    button.setBounds (0, 0, 200, 30);

    auto render = [&] (bool highlighted)
    {
        juce::Image image (juce::Image::ARGB, 200, 30, true);
        juce::Graphics g (image);
        laf.drawButtonBackground (g, button, juce::Colours::red, highlighted, highlighted);
        laf.drawButtonText (g, button, highlighted, false);
        int maxAlpha = 0, longestRow = 0;
        for (int y = 0; y < 30; ++y)
        {
            int inked = 0;
            for (int x = 0; x < 200; ++x)
            {
                const auto pixel = image.getPixelAt (x, y);
                maxAlpha = std::max (maxAlpha, (int) pixel.getAlpha());
                inked += pixel.getAlpha() != 0 ? 1 : 0;
            }
            longestRow = std::max (longestRow, inked);
        }
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
        EXPECT_GT (longestRow, (int) (laf.buttonFont.getStringWidthFloat (button.getButtonText()) * 0.9f)); // the underline
        return maxAlpha;
    };

    EXPECT_EQ (render (false), 0x4c);
    EXPECT_EQ (render (true), 0x80);
    EXPECT_TRUE (laf.buttonFont.isUnderlined());
}

TEST (LookAndFeelFonts, EveryControlFontIsTheEmbeddedSulphurPointAtHeight14)
{
    OtherLookAndFeel laf, other;
    juce::ComboBox box;
    juce::Slider slider;

    const juce::Font fonts[] = { laf.buttonFont, laf.getPopupMenuFont(), laf.getComboBoxFont (box), laf.getSliderPopupFont (slider) };
    const auto defaultWidth = juce::Font (14.0f).getStringWidthFloat ("Selvandrine Compressor");

    for (const auto& font : fonts)
    {
        EXPECT_EQ (font.getTypefaceName(), "Sulphur Point");
        EXPECT_EQ (font.getTypefacePtr()->getStyle(), "Bold");
        EXPECT_FLOAT_EQ (font.getHeight(), 14.0f);
        EXPECT_GT (std::abs (font.getStringWidthFloat ("Selvandrine Compressor") - defaultWidth), 1.0f);
    }

    // The getters make their typeface once for the program, one each; every editor makes its own.
    EXPECT_EQ (other.getComboBoxFont (box).getTypefacePtr(), fonts[2].getTypefacePtr());
    EXPECT_NE (fonts[1].getTypefacePtr(), fonts[2].getTypefacePtr());
    EXPECT_NE (other.buttonFont.getTypefacePtr(), laf.buttonFont.getTypefacePtr());
}
