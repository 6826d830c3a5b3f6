#include "Decibels.h"
#include "PluginEditor.h"

// The whole window is drawn here, in one fixed order; the children are placed here as well.
namespace
{
    constexpr int panelSize = 200;
    constexpr float pixelsPerUnit = 200.0f; // a level of 1.0 (full scale) is a full panel
    constexpr float gridThickness = 0.5f;

    const juce::Colour dimWhite { 0x4cffffff };

    void drawCentredText (juce::Graphics& g, const juce::String& text, int x, int y, int width, int height)
    {
        g.drawFittedText (text, x, y, width, height, juce::Justification::centred, 1, 0.0f);
    }
}

void CompressorAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (otherLookAndFeel.backgroundPalette[audioProcessor.backColorId.load (std::memory_order_relaxed)]);
    drawTitle (g);
    drawReadouts (g);
    drawCompressedPanel (g);
    drawOriginalPanel (g);
    drawOriginalOverlay (g);
    drawCaptions (g);
    drawMappingLines (g);
    drawCurvePanel (g);
    placeChildren();
    drawStatusTexts (g);
}

void CompressorAudioProcessorEditor::drawTitle (juce::Graphics& g)
{
    g.setFont (editorFont.withHeight (24.0f));
    g.setColour (dimWhite);
    drawCentredText (g, juce::String::fromUTF8 (audioProcessor.titleText.c_str()), 0, layoutTop - 50, getWidth(), 30);
}

void CompressorAudioProcessorEditor::drawReadouts (juce::Graphics& g)
{
    const auto w2 = getWidth() / 2;

    // Every later text keeps this font.
    g.setFont (editorFont.withHeight (15.0f));
    g.setColour (juce::Colours::black);
    drawCentredText (g, "Original 1 : 1", w2 - 340, layoutTop, 200, 30);
    drawCentredText (g, selvandrine::compressedReadout (zoomFactor.load()), w2 - 100, layoutTop, 200, 30);
    drawCentredText (g, "Zoom", w2 + 80, layoutTop, 80, 30);
    drawCentredText (g, "Curve 1 : 1", w2 + 140, layoutTop, 200, 30);
}

void CompressorAudioProcessorEditor::fillPanel (juce::Graphics& g, int panelLeft)
{
    g.setColour (otherLookAndFeel.panelColour);
    g.fillRect (panelLeft, layoutTop + 30, panelSize, panelSize);
}

void CompressorAudioProcessorEditor::drawLevelGrid (juce::Graphics& g, int panelLeft)
{
    const auto left = (float) panelLeft;
    const auto right = (float) (panelLeft + panelSize);

    g.setColour (otherLookAndFeel.currentColour);

    for (const auto y : { layoutTop + 130, layoutTop + 80, layoutTop + 180 })
        g.drawLine ({ left, (float) y, right, (float) y }, gridThickness);
}

void CompressorAudioProcessorEditor::drawBars (juce::Graphics& g, const selvandrine::LevelHistory& history, float zoom,
                                               int rightmostX, juce::Colour baseColour, juce::uint8 otherAlpha)
{
    const auto base = layoutTop + 230;
    const auto otherColour = baseColour.withAlpha (otherAlpha);

    // The oldest value stands at the right edge, so the display moves to the right as values arrive.
    for (int j = 0; j < (int) history.size(); ++j)
    {
        const auto height = selvandrine::barHeight (zoom * history[(size_t) j]);
        g.setColour (selvandrine::isBaseBand (barPhase, j) ? baseColour : otherColour);
        g.fillRect (rightmostX - j, base - height, 1, height);
    }
}

void CompressorAudioProcessorEditor::drawCompressedPanel (juce::Graphics& g)
{
    const auto left = getWidth() / 2 - 100;

    fillPanel (g, left);

    if (! audioProcessor.freezeHistory.load (std::memory_order_relaxed))
        selvandrine::pushHistory (compressedHistory, audioProcessor.outputLevel.load() * pixelsPerUnit);

    drawLevelGrid (g, left);
    drawBars (g, compressedHistory, zoomFactor.load(), left + panelSize - 1,
              otherLookAndFeel.compressedBarColour, 0x99);
}

void CompressorAudioProcessorEditor::drawOriginalPanel (juce::Graphics& g)
{
    const auto left = getWidth() / 2 - 340;

    fillPanel (g, left);

    if (! audioProcessor.freezeHistory.load (std::memory_order_relaxed))
    {
        selvandrine::pushHistory (originalHistory, audioProcessor.inputLevel.load() * pixelsPerUnit);
        barPhase = (barPhase + 1) & 3;
    }

    drawLevelGrid (g, left);
    drawBars (g, originalHistory, 1.0f, left + panelSize - 1, otherLookAndFeel.originalBarColour, 0x80);
}

void CompressorAudioProcessorEditor::drawOriginalOverlay (juce::Graphics& g)
{
    if (showOriginal)
        drawBars (g, originalHistory, zoomFactor.load(), getWidth() / 2 + 99, otherLookAndFeel.originalBarColour, 0x80);
}

void CompressorAudioProcessorEditor::drawCaptions (juce::Graphics& g)
{
    const auto w2 = getWidth() / 2;
    const auto y = layoutTop + 370;

    g.setColour (juce::Colours::black);
    drawCentredText (g, "Ceiling", w2 - 320, y, 120, 30);
    drawCentredText (g, "Threshold", w2 - 180, y, 120, 30);
    drawCentredText (g, "Downlift", w2 - 40, y, 120, 30);
    drawCentredText (g, "Gain", w2 + 180, y, 120, 30);
}

void CompressorAudioProcessorEditor::drawMappingLines (juce::Graphics& g)
{
    // Only at zoom 1 do the two panels share a scale, so only then can a line join them.
    if (zoomFactor.load() != 1.0f)
        return;

    using selvandrine::decibelsToGain;

    const auto from = (float) (getWidth() / 2 - 140);
    const auto to = (float) (getWidth() / 2 - 100);
    const auto base = (float) (layoutTop + 231); // one pixel below the bars' base line

    g.setColour (juce::Colours::white);
    g.drawLine ({ from, (float) (layoutTop + 31), to, base - pixelsPerUnit * decibelsToGain (audioProcessor.topDb.load()) }, 2.0f);

    if (audioProcessor.midDb.load() > -3.0f)
        audioProcessor.midDb = -3.0f;

    const auto midDb = audioProcessor.midDb.load();
    g.drawLine ({ from, base - pixelsPerUnit * decibelsToGain (midDb - audioProcessor.lowDb.load()),
                  to, base - pixelsPerUnit * decibelsToGain (midDb) }, 2.0f);
}

void CompressorAudioProcessorEditor::drawCurvePanel (juce::Graphics& g)
{
    using selvandrine::decibelsToGain;

    const auto left = getWidth() / 2 + 140;
    const auto top = layoutTop + 30;
    const auto bottom = layoutTop + 230;
    const auto& colours = otherLookAndFeel;

    g.setColour (colours.panelColour);
    g.fillRect (left, top, panelSize, panelSize);
    g.setColour (colours.originalBarColour);

    juce::Path curve, operatingArea;
    curve.startNewSubPath ((float) left, (float) bottom);
    operatingArea.startNewSubPath ((float) left, (float) bottom);

    const auto a = decibelsToGain (audioProcessor.topDb.load());
    const auto b = decibelsToGain (audioProcessor.midDb.load());
    const auto c = decibelsToGain (audioProcessor.lowDb.load() * 0.5f);

    selvandrine::forEachCurvePoint (audioProcessor.curveModeId.load (std::memory_order_relaxed), a, b, c,
                                    [&] (float x, float y)
                                    {
                                        const auto px = (float) left + pixelsPerUnit * x;
                                        const auto py = (float) bottom - pixelsPerUnit * y;
                                        curve.lineTo (px, py);

                                        // The area under the curve up to the current detected level.
                                        if (x <= audioProcessor.envelopeLevel.load())
                                            operatingArea.lineTo (px, py);
                                    });

    g.setColour (colours.currentColour);
    g.drawLine ({ (float) left, (float) bottom, (float) (left + panelSize), (float) top }, gridThickness);

    for (const auto x : { left + 100, left + 50, left + 150 })
        g.drawLine ({ (float) x, (float) top, (float) x, (float) bottom }, gridThickness);

    const auto levelX = juce::jlimit (0.0f, 200.0f, pixelsPerUnit * audioProcessor.envelopeLevel.load());
    operatingArea.lineTo ((float) left + levelX, (float) bottom);
    operatingArea.closeSubPath();

    g.setColour (colours.originalBarColour);
    g.fillPath (operatingArea);
    g.strokePath (curve, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void CompressorAudioProcessorEditor::placeChildren()
{
    const auto w2 = getWidth() / 2;
    const auto y0 = layoutTop;

    showOriginalButton.setBounds (w2 - 60, y0 + 230, 200, 30);
    ceilingSlider.setBounds (w2 - 320, y0 + 265, 120, 120);
    thresholdSlider.setBounds (w2 - 180, y0 + 265, 120, 120);
    downliftSlider.setBounds (w2 - 40, y0 + 265, 120, 120);
    gainSlider.setBounds (w2 + 180, y0 + 265, 120, 120);
    zoomSlider.setBounds (w2 + 110, y0 + 30, 20, 200);
    backgroundSelector.setLookAndFeel (&otherLookAndFeel);
    backgroundSelector.setBounds (w2 - 340, y0 + 230, 200, 30);
    curveModeSelector.setLookAndFeel (&otherLookAndFeel);
    curveModeSelector.setBounds (w2 + 140, y0 + 230, 200, 30);
    webSiteButton.setBounds (-10, getHeight() - 30, 200, 30);
}

void CompressorAudioProcessorEditor::drawStatusTexts (juce::Graphics& g)
{
    g.setColour (dimWhite);
    drawCentredText (g, versionText, 150, getHeight() - 30, 200, 30);

    if (audioProcessor.topDb.load() == 0.0f)
        drawCentredText (g, "Max ceiling. No compression", 300, getHeight() - 30, 300, 30);
}
