#include "helpers/EditorFixture.h"
#include "helpers/EditorImages.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorRun.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

// Geometry of the 800 x 520 window: the input panel spans x 60-259, the output panel 300-499 and
// the curve panel 540-739, all three y 110-309; bars stand on y 309 and grow upwards.
namespace
{
    const juce::Colour steelBlue (0xff4682b4);
    const juce::Colour whiteSmoke (0xfff5f5f5);
    const juce::Colour inputBar (0x6600008b);
    const juce::Colour inputBarOther (0x8000008b);
    const juce::Colour outputBar (0x808c0000);
    const juce::Colour outputBarOther (0x998c0000);

    struct CurvePoint
    {
        float x, y;
    };

    std::vector<CurvePoint> sampleCurve (int mode, float a, float b, float c)
    {
        std::vector<CurvePoint> points;
        selvandrine::forEachCurvePoint (mode, a, b, c, [&] (float x, float y) { points.push_back ({ x, y }); });
        return points;
    }

    // Whether the pixel of column x that the line from (x0, y0) to (x1, y1) crosses is white.
    bool lineIsWhiteAt (const juce::Image& image, float x0, float y0, float x1, float y1, int x)
    {
        const auto y = y0 + (y1 - y0) * ((float) x + 0.5f - x0) / (x1 - x0);
        const auto c = image.getPixelAt (x, (int) std::floor (y));
        return c.getRed() > 230 && c.getGreen() > 230 && c.getBlue() > 230;
    }

    // Anything in the rectangle that differs from the background colour.
    bool hasInk (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
    {
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y) != background)
                    return true;
        return false;
    }
}

TEST (LevelHistoryRules, PushesAtTheNewestEndAndDrawsTruncatedBarsWithinThePanel)
{
    selvandrine::LevelHistory history {};
    history[0] = 7.0f;
    for (const auto value : { 1.0f, 2.0f, 300.0f })
        selvandrine::pushHistory (history, value);

    EXPECT_EQ (history[199], 300.0f); // stored unclamped
    EXPECT_EQ (history[198], 2.0f);
    EXPECT_EQ (history[197], 1.0f);
    EXPECT_EQ (history[0], 0.0f);

    EXPECT_EQ (selvandrine::barHeight (199.9f), 199);
    EXPECT_EQ (selvandrine::barHeight (300.0f), 200);
    EXPECT_EQ (selvandrine::barHeight (10.0f * 12.0f), 120);
    EXPECT_EQ (selvandrine::barHeight (0.9f), 0);
    EXPECT_EQ (selvandrine::barHeight (-5.0f), 0);
    EXPECT_EQ (selvandrine::barHeight (std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ (selvandrine::barHeight (std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ (selvandrine::barHeight (-std::numeric_limits<float>::infinity()), 0);
}

TEST (LevelHistoryRules, ZoomReadoutWritesTheZoomWithoutTrailingZeros)
{
    EXPECT_EQ (selvandrine::compressedReadout (1.0f), "Compressed 1 : 1");
    EXPECT_EQ (selvandrine::compressedReadout (1.1f), "Compressed 1.1 : 1");
    EXPECT_EQ (selvandrine::compressedReadout (2.5f), "Compressed 2.5 : 1");
    EXPECT_EQ (selvandrine::compressedReadout (12.0f), "Compressed 12 : 1");
}

TEST (CurveSampling, Gives201PointsEndingJustShortOfOneAndMeetsTheWorkedValues)
{
    // Ceiling -6 dB, Threshold -12 dB, Downlift 6 dB (halved: 3 dB).
    const auto a = 0.50119f, b = 0.25119f, c = 1.41254f;

    for (const auto mode : { 1, 2 })
    {
        const auto points = sampleCurve (mode, a, b, c);
        ASSERT_EQ (points.size(), 201u);
        EXPECT_EQ (points[0].x, 0.0f);
        EXPECT_EQ (points[0].y, 0.0f);
        EXPECT_NEAR (points[200].x, 0.9999992f, 1e-7f);
        EXPECT_NEAR (points[100].x, 0.4999997f, 1e-7f);
        EXPECT_NEAR (points[200].y, a, 2e-5f);
    }

    const auto linear = sampleCurve (1, a, b, c);
    EXPECT_NEAR (linear[20].y, 0.14125f, 2e-5f);
    EXPECT_NEAR (linear[100].y, 0.34915f, 2e-5f);

    const auto quadratic = sampleCurve (2, a, b, c);
    EXPECT_NEAR (quadratic[20].y, 0.082052f, 2e-5f);
    EXPECT_NEAR (quadratic[100].y, 0.33930f, 2e-5f);

    // The Bezier curve runs from (0, 0) towards (1, a) under the control point (0.14756, 0.35481).
    const auto bezier = sampleCurve (3, a, b, c);
    ASSERT_EQ (bezier.size(), 201u);
    EXPECT_NEAR (bezier[100].x, 0.25f + 0.5f * 0.14756f, 2e-5f);
    EXPECT_NEAR (bezier[100].y, 0.25f * a + 0.5f * 0.35481f, 2e-5f);
    EXPECT_NEAR (bezier[200].x, 1.0f, 1e-5f);
    EXPECT_NEAR (bezier[200].y, a, 2e-5f);

    EXPECT_TRUE (sampleCurve (0, a, b, c).empty());
    EXPECT_TRUE (sampleCurve (4, a, b, c).empty());

    // Without Downlift the Linear curve is the diagonal up to the threshold level.
    for (const auto& p : sampleCurve (1, a, b, 1.0f))
    {
        if (p.x <= b)
        {
            EXPECT_EQ (p.y, p.x);
        }
    }
}

TEST_F (EditorFixture, FreshEditorShowsItsPanelsAndGridWithoutBars)
{
    auto editor = openEditor();
    const auto image = paintEditor (*editor);
    const auto grid = whiteSmoke.overlaidWith (steelBlue.withAlpha (0.25f));

    EXPECT_EQ (image.getPixelAt (5, 5), steelBlue);
    EXPECT_EQ (image.getPixelAt (280, 200), steelBlue); // the gap between input and output panels

    for (const auto left : { 60, 300 })
    {
        for (const auto x : { left, left + 100, left + 199 })
        {
            EXPECT_EQ (image.getPixelAt (x, 110), whiteSmoke);
            EXPECT_EQ (image.getPixelAt (x, 309), whiteSmoke) << "no bar at " << x;

            // Grid lines of width 0.5 centred on y 160, 210 and 260 cover a quarter of each adjacent row.
            for (const auto y : { 159, 160, 209, 210, 259, 260 })
                EXPECT_TRUE (near (image.getPixelAt (x, y), grid, 3)) << x << ", " << y;
        }

        EXPECT_EQ (image.getPixelAt (left - 1, 200), steelBlue);
        EXPECT_EQ (image.getPixelAt (left + 200, 200), steelBlue);
    }

    EXPECT_EQ (image.getPixelAt (735, 115), whiteSmoke);
    EXPECT_EQ (editor->barPhase, 0);
    EXPECT_EQ (editor->originalHistory[199], 0.0f);
}

TEST_F (EditorFixture, PushedLevelsDrawBarsOfTheirHeightInTheirPhasesColour)
{
    auto editor = openEditor();
    processor.freezeHistory = false;
    processor.inputLevel = 1.0f;
    processor.outputLevel = 1.5f;

    auto image = paintEditor (*editor);

    EXPECT_EQ (editor->originalHistory[199], 200.0f);
    EXPECT_EQ (editor->compressedHistory[199], 300.0f);
    EXPECT_EQ (editor->barPhase, 1);

    // Newest bars at the panels' left edges: the input bar takes phase 1, the output bar phase 0.
    for (const auto y : { 110, 200, 309 })
    {
        EXPECT_TRUE (near (image.getPixelAt (60, y), whiteSmoke.overlaidWith (inputBar))) << y;
        EXPECT_TRUE (near (image.getPixelAt (300, y), whiteSmoke.overlaidWith (outputBarOther))) << y;
    }
    EXPECT_EQ (image.getPixelAt (61, 300), whiteSmoke);
    EXPECT_EQ (image.getPixelAt (301, 300), whiteSmoke);

    // At zoom 12 an output level of 0.05 (stored 10) stands 120 pixels high; the input never zooms.
    editor->zoomFactor = 12.0f;
    processor.outputLevel = 0.05f;
    processor.inputLevel = 0.9995f; // stored 199.9, drawn 199
    image = paintEditor (*editor);

    EXPECT_TRUE (near (image.getPixelAt (300, 190), whiteSmoke.overlaidWith (outputBar)));
    EXPECT_EQ (image.getPixelAt (300, 189), whiteSmoke);
    EXPECT_TRUE (near (image.getPixelAt (301, 110), whiteSmoke.overlaidWith (outputBarOther))); // 300 zoomed, clamped
    EXPECT_TRUE (near (image.getPixelAt (60, 111), whiteSmoke.overlaidWith (inputBar)));
    EXPECT_EQ (image.getPixelAt (60, 110), whiteSmoke);
    EXPECT_TRUE (near (image.getPixelAt (61, 110), whiteSmoke.overlaidWith (inputBar)));
}

TEST_F (EditorFixture, BarBandsAlternateInPairsAndFreezingStopsThem)
{
    auto editor = openEditor();
    editor->originalHistory.fill (100.0f);
    editor->compressedHistory.fill (100.0f);
    processor.inputLevel = 0.5f;
    processor.outputLevel = 0.5f;

    // Frozen (as a new processor is): repeated paints neither push nor advance the phase.
    for (int i = 0; i < 3; ++i)
    {
        const auto image = paintEditor (*editor);
        const bool base[] = { true, true, false, false, true, true };

        for (int j = 0; j < 6; ++j)
        {
            EXPECT_TRUE (near (image.getPixelAt (499 - j, 300), whiteSmoke.overlaidWith (base[j] ? outputBar : outputBarOther))) << j;
            EXPECT_TRUE (near (image.getPixelAt (259 - j, 300), whiteSmoke.overlaidWith (base[j] ? inputBar : inputBarOther))) << j;
        }
    }
    EXPECT_EQ (editor->barPhase, 0);
    EXPECT_EQ (editor->originalHistory[199], 100.0f);

    // Flowing: the input bars take the advanced phase at once, the output bars one paint later.
    processor.freezeHistory = false;
    const auto image = paintEditor (*editor);
    const bool inputBase[] = { true, false, false, true, true, false };

    for (int j = 0; j < 6; ++j)
    {
        EXPECT_TRUE (near (image.getPixelAt (259 - j, 300), whiteSmoke.overlaidWith (inputBase[j] ? inputBar : inputBarOther))) << j;
        EXPECT_TRUE (near (image.getPixelAt (499 - j, 300), whiteSmoke.overlaidWith ((j & 3) < 2 ? outputBar : outputBarOther))) << j;
    }
}

TEST_F (EditorFixture, ShowOriginalOverlaysTheZoomedInputOnTheOutputPanel)
{
    auto editor = openEditor();
    runMessageLoopFor (20); // the opening's deferred knob update would set the zoom back to the slider's
    editor->originalHistory[199] = 40.0f;
    editor->zoomFactor = 2.5f;

    EXPECT_EQ (paintEditor (*editor).getPixelAt (300, 300), whiteSmoke);

    editor->showOriginal = true;
    const auto image = paintEditor (*editor);

    // 40 pixels zoomed 2.5 times; phase 0 puts the newest bar in the second alpha.
    EXPECT_TRUE (near (image.getPixelAt (300, 211), whiteSmoke.overlaidWith (inputBarOther)));
    EXPECT_EQ (image.getPixelAt (300, 205), whiteSmoke);
    EXPECT_TRUE (near (image.getPixelAt (60, 270), whiteSmoke.overlaidWith (inputBarOther)));
    EXPECT_EQ (image.getPixelAt (60, 265), whiteSmoke);
}

TEST_F (EditorFixture, BackgroundIsThePaletteEntryOrNothingOutsideIt)
{
    auto editor = openEditor();

    for (int id = 0; id <= 6; ++id)
    {
        processor.backColorId = id;
        EXPECT_EQ (paintEditor (*editor).getPixelAt (5, 5), editor->otherLookAndFeel.backgroundPalette[id]) << id;
    }

    for (const auto id : { 7, -1 })
    {
        processor.backColorId = id;
        EXPECT_EQ (paintEditor (*editor).getPixelAt (5, 5).getARGB(), 0u) << id;
    }
}

TEST_F (EditorFixture, MappingLinesJoinThePanelsOnlyAtZoomOneAndHoldTheThresholdAtMinus3)
{
    auto editor = openEditor();
    processor.topDb = -6.0f;
    processor.midDb = -2.0f;
    processor.lowDb = 6.0f;

    editor->zoomFactor = 1.1f;
    auto image = paintEditor (*editor);
    EXPECT_EQ (processor.midDb.load(), -2.0f);
    EXPECT_EQ (image.getPixelAt (280, 160), steelBlue);

    editor->zoomFactor = 1.0f;
    image = paintEditor (*editor);
    EXPECT_EQ (processor.midDb.load(), -3.0f);

    // First line: (260, 111) to (300, 311 - 200 x 0.50119). Second: from the level of -9 dB to that of -3 dB.
    for (const auto x : { 262, 280, 297 })
    {
        EXPECT_TRUE (lineIsWhiteAt (image, 260.0f, 111.0f, 300.0f, 210.76f, x)) << x;
        EXPECT_TRUE (lineIsWhiteAt (image, 260.0f, 240.04f, 300.0f, 169.41f, x)) << x;
    }
    EXPECT_EQ (image.getPixelAt (280, 140), steelBlue);

    // At -100 dB the ceiling is silence: the first line ends on the panels' base.
    processor.topDb = -100.0f;
    image = paintEditor (*editor);
    for (const auto x : { 262, 280, 297 })
        EXPECT_TRUE (lineIsWhiteAt (image, 260.0f, 111.0f, 300.0f, 311.0f, x)) << x;
}

TEST_F (EditorFixture, CurvePanelFillsTheAreaUnderTheCurveUpToTheDetectedLevel)
{
    auto editor = openEditor();
    processor.topDb = -6.0f;
    processor.midDb = -12.0f;
    processor.lowDb = 6.0f;
    editor->zoomFactor = 2.0f; // keeps the mapping lines from lowering the threshold

    const auto filled = whiteSmoke.overlaidWith (inputBar);

    for (const auto mode : { 1, 2, 3 })
    {
        processor.curveModeId = mode;

        processor.envelopeLevel = 1e-20f;
        auto image = paintEditor (*editor);
        for (const auto x : { 570, 637, 642, 735 })
            EXPECT_EQ (image.getPixelAt (x, 305), whiteSmoke) << mode << ", " << x;

        // At 0.5 the area closes at x 640.
        processor.envelopeLevel = 0.5f;
        image = paintEditor (*editor);
        EXPECT_TRUE (near (image.getPixelAt (570, 305), filled)) << mode;
        EXPECT_TRUE (near (image.getPixelAt (637, 305), filled)) << mode;
        EXPECT_EQ (image.getPixelAt (642, 305), whiteSmoke) << mode;
        EXPECT_EQ (image.getPixelAt (735, 305), whiteSmoke) << mode;

        processor.envelopeLevel = 1.0f;
        image = paintEditor (*editor);
        EXPECT_TRUE (near (image.getPixelAt (735, 305), filled)) << mode;
        EXPECT_EQ (image.getPixelAt (735, 115), whiteSmoke) << mode;
    }

    // The stroke: the Linear curve at input 0.4 (x 620) has output 0.31875, at y 246.25.
    processor.curveModeId = 1;
    processor.envelopeLevel = 1e-20f;
    auto image = paintEditor (*editor);
    EXPECT_TRUE (near (image.getPixelAt (620, 246), filled));
    EXPECT_EQ (image.getPixelAt (620, 240), whiteSmoke);
    EXPECT_EQ (image.getPixelAt (620, 252), whiteSmoke);

    // No curve for other ids: only the fill, the diagonal and the grid.
    for (const auto mode : { 0, 4 })
    {
        processor.curveModeId = mode;
        processor.envelopeLevel = 1.0f;
        image = paintEditor (*editor);
        EXPECT_EQ (image.getPixelAt (620, 246), whiteSmoke) << mode;
        EXPECT_EQ (image.getPixelAt (735, 305), whiteSmoke) << mode;

        // Diagonal through (600, 250); grid lines of width 0.5 on x 590, 640 and 690.
        EXPECT_NE (image.getPixelAt (600, 249), whiteSmoke);
        for (const auto x : { 589, 590, 639, 640, 689, 690 })
            EXPECT_TRUE (near (image.getPixelAt (x, 150), whiteSmoke.overlaidWith (steelBlue.withAlpha (0.25f)), 3)) << x;
    }
}

TEST_F (EditorFixture, CeilingNoteShowsOnlyAtExactlyZeroDecibels)
{
    auto editor = openEditor();
    const juce::Rectangle<int> noteOnly (380, 490, 180, 30);

    processor.topDb = -0.01f;
    EXPECT_FALSE (hasInk (paintEditor (*editor), noteOnly, steelBlue));

    processor.topDb = 0.0f;
    EXPECT_TRUE (hasInk (paintEditor (*editor), noteOnly, steelBlue));
}

TEST_F (EditorFixture, WritesImagesOfTheEditorForReview)
{
    auto editor = openEditor();
    saveImage (snapshotEditor (*editor), "fresh");

    // Music in 512-sample blocks with a repaint after each, as the refresh timer would ask for them.
    prepare (processor, 2);
    const auto signal = musicLike (512 * 250, 3);
    editor->showOriginalButton.triggerClick();
    runMessageLoopFor (20);
    editor->curveModeSelector.setSelectedId (3, juce::sendNotificationSync);
    editor->zoomSlider.setValue (1.5, juce::sendNotificationSync);

    for (int start = 0; start < (int) signal.size(); start += 512)
    {
        std::vector<float> block (signal.begin() + start, signal.begin() + start + 512);
        process (processor, { block, block });
        paintEditor (*editor);
    }

    const auto flowing = snapshotEditor (*editor);
    saveImage (flowing, "audio-flowing");
    EXPECT_GT (editor->originalHistory[199], 0.0f);
    EXPECT_GT (editor->compressedHistory[0], 0.0f);

    for (int id = 1; id <= 6; ++id)
    {
        editor->backgroundSelector.setSelectedId (id, juce::sendNotificationSync);
        processor.freezeHistory = true;
        const auto image = snapshotEditor (*editor);
        EXPECT_EQ (image.getPixelAt (5, 5), editor->otherLookAndFeel.backgroundPalette[id]);
        saveImage (image, "scheme-" + juce::String (id));
    }
}
