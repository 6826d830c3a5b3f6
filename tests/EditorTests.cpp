#include "helpers/EditorFixture.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorRun.h"
#include "helpers/Parameters.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST_F (EditorFixture, OpensOnTheDefaultsWithTheCeilingRaisedThreeDecibelsAboveTheThreshold)
{
    auto editor = openEditor();

    EXPECT_EQ (editor->getWidth(), 800);
    EXPECT_EQ (editor->getHeight(), 520);
    EXPECT_FALSE (editor->isResizable());
    EXPECT_EQ (editor->layoutTop, 80);
    EXPECT_EQ (editor->ceilingSlider.getValue(), -9.0);
    EXPECT_EQ (editor->thresholdSlider.getValue(), -12.0);
    EXPECT_EQ (processor.topDb.load(), -9.0f);
    EXPECT_EQ (processor.midDb.load(), -12.0f);
    EXPECT_EQ (processor.lowDb.load(), 0.0f);
    EXPECT_EQ (processor.gainDb.load(), 0.0f);
    EXPECT_EQ (processor.curveModeId.load(), 2);
    EXPECT_EQ (processor.backColorId.load(), 1);
    EXPECT_EQ (editor->zoomFactor.load(), 1.0f);

    // The parameter follows the knob once the deferred notification is delivered.
    EXPECT_EQ (parameter (processor, "topValue"), -18.0f);
    runMessageLoopFor (50);
    EXPECT_EQ (parameter (processor, "topValue"), -9.0f);
    EXPECT_EQ (parameter (processor, "midValue"), -12.0f);
}

TEST_F (EditorFixture, StoredPairsThreeOrMoreApartAreLeftAsStored)
{
    setParameter (processor, "topValue", -18.0f);
    setParameter (processor, "midValue", -25.0f);
    setParameter (processor, "lowValue", 4.0f);
    setParameter (processor, "gain", -6.5f);
    setParameter (processor, "curveMode", 2.0f);
    setParameter (processor, "backColor", 3.0f);

    auto editor = openEditor();
    runMessageLoopFor (50);

    EXPECT_EQ (processor.topDb.load(), -18.0f);
    EXPECT_EQ (processor.midDb.load(), -25.0f);
    EXPECT_EQ (processor.lowDb.load(), 4.0f);
    EXPECT_EQ (processor.gainDb.load(), -6.5f);
    EXPECT_EQ (parameter (processor, "topValue"), -18.0f);
    EXPECT_EQ (parameter (processor, "midValue"), -25.0f);

    // The selectors show the stored choices although no hook has run.
    EXPECT_EQ (editor->curveModeSelector.getSelectedId(), 3);
    EXPECT_EQ (editor->backgroundSelector.getSelectedId(), 4);
    EXPECT_EQ (processor.curveModeId.load(), 3);
    EXPECT_EQ (processor.backColorId.load(), 4);
    EXPECT_EQ (editor->otherLookAndFeel.currentColour, editor->otherLookAndFeel.backgroundPalette[4]);
}

TEST_F (EditorFixture, CeilingAtZeroAndThresholdAtMinus3RunNoHandler)
{
    setParameter (processor, "topValue", 0.0f);
    setParameter (processor, "midValue", -3.0f);

    auto editor = openEditor();

    EXPECT_EQ (processor.topDb.load(), 0.0f);
    EXPECT_EQ (processor.midDb.load(), 0.0f); // above its range until a paint or a handler writes it
    EXPECT_EQ (editor->lastMidDb, -3.0f);
}

TEST_F (EditorFixture, KnobsKeepTheCeilingAtLeastThreeDecibelsAboveTheThreshold)
{
    setParameter (processor, "topValue", -10.0f);
    setParameter (processor, "midValue", -18.0f);
    auto editor = openEditor();
    runMessageLoopFor (30);

    // A lower ceiling pushes the threshold down to Ceiling - 3.
    editor->ceilingSlider.setValue (-20.0, juce::sendNotificationSync);
    EXPECT_EQ (processor.topDb.load(), -20.0f);
    EXPECT_EQ (processor.midDb.load(), -23.0f);
    EXPECT_EQ (editor->thresholdSlider.getValue(), -23.0);
    EXPECT_EQ (parameter (processor, "midValue"), -18.0f);
    runMessageLoopFor (30);
    EXPECT_EQ (parameter (processor, "midValue"), -23.0f);

    // A higher threshold pushes the ceiling up to Threshold + 3.
    editor->ceilingSlider.setValue (-6.0, juce::sendNotificationSync);
    editor->thresholdSlider.setValue (-5.0, juce::sendNotificationSync);
    EXPECT_EQ (processor.topDb.load(), -2.0f);
    EXPECT_EQ (editor->ceilingSlider.getValue(), -2.0);
    runMessageLoopFor (30);
    EXPECT_EQ (parameter (processor, "topValue"), -2.0f);

    // Exactly three decibels apart, and the ends of the ranges: nothing moves.
    for (const auto& [top, mid] : { std::pair { -9.0, -12.0 }, { -33.0, -36.0 }, { 0.0, -3.0 } })
    {
        editor->thresholdSlider.setValue (mid, juce::sendNotificationSync);
        editor->ceilingSlider.setValue (top, juce::sendNotificationSync);
        runMessageLoopFor (20);
        editor->thresholdSlider.setValue (mid, juce::sendNotificationSync);
        EXPECT_EQ (processor.topDb.load(), (float) top);
        EXPECT_EQ (processor.midDb.load(), (float) mid);
    }

    // Host automation goes through the same handler.
    setParameter (processor, "topValue", -20.0f);
    runMessageLoopFor (30);
    EXPECT_EQ (editor->ceilingSlider.getValue(), -20.0);
    EXPECT_EQ (processor.midDb.load(), -23.0f);
    EXPECT_EQ (parameter (processor, "midValue"), -23.0f);
}

TEST_F (EditorFixture, HistoriesFreezeOnlyAfterTwoTicksWithoutAudio)
{
    auto editor = openEditor();
    prepare (processor, 2);

    // Audio flowing: the tick repaints, the handler leaves the freeze alone.
    process (processor, { { 0.1f }, { 0.1f } });
    EXPECT_FALSE (processor.freezeHistory.load());
    editor->timerCallback();
    EXPECT_EQ (editor->idleTicks, 0);
    EXPECT_FALSE (processor.blockProcessed.load());
    editor->gainSlider.setValue (3.0, juce::sendNotificationSync);
    EXPECT_FALSE (processor.freezeHistory.load());

    editor->timerCallback();
    EXPECT_EQ (editor->idleTicks, 1);
    editor->gainSlider.setValue (4.0, juce::sendNotificationSync);
    EXPECT_FALSE (processor.freezeHistory.load());

    // Idle: any slider call freezes the histories, the zoom slider included.
    editor->timerCallback();
    EXPECT_EQ (editor->idleTicks, 2);
    editor->zoomSlider.setValue (2.5, juce::sendNotificationSync);
    EXPECT_TRUE (processor.freezeHistory.load());
    EXPECT_EQ (editor->zoomFactor.load(), 2.5f);
    EXPECT_EQ (processor.gainDb.load(), 4.0f);

    // Audio resumes: the block and the next tick thaw them.
    process (processor, { { 0.1f }, { 0.1f } });
    EXPECT_FALSE (processor.freezeHistory.load());
    processor.freezeHistory = true;
    editor->timerCallback();
    EXPECT_FALSE (processor.freezeHistory.load());
    EXPECT_EQ (editor->idleTicks, 0);
}

TEST_F (EditorFixture, SelectorAndSwitchHooks)
{
    auto editor = openEditor();
    auto& laf = editor->otherLookAndFeel;

    editor->curveModeSelector.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (processor.curveModeId.load(), 3);

    editor->backgroundSelector.setSelectedId (6, juce::sendNotificationSync);
    EXPECT_EQ (processor.backColorId.load(), 6);
    EXPECT_EQ (laf.currentColour, laf.backgroundPalette[6]);

    EXPECT_EQ (laf.backgroundPalette[7], juce::Colour());
    EXPECT_EQ (laf.backgroundPalette[-1].getARGB(), 0u);

    editor->showOriginalButton.triggerClick();
    runMessageLoopFor (20);
    EXPECT_TRUE (editor->showOriginal);
    editor->showOriginalButton.triggerClick();
    runMessageLoopFor (20);
    EXPECT_FALSE (editor->showOriginal);
    EXPECT_EQ (editor->showOriginalButton.getButtonText(), "Show Original");
}

TEST_F (EditorFixture, PaintPlacesEveryChild)
{
    auto editor = openEditor();
    EXPECT_TRUE (editor->ceilingSlider.getBounds().isEmpty());

    juce::Image image (juce::Image::ARGB, 800, 520, true);
    juce::Graphics g (image);
    editor->paint (g);

    EXPECT_EQ (editor->showOriginalButton.getBounds(), juce::Rectangle<int> (340, 310, 200, 30));
    EXPECT_EQ (editor->ceilingSlider.getBounds(), juce::Rectangle<int> (80, 345, 120, 120));
    EXPECT_EQ (editor->thresholdSlider.getBounds(), juce::Rectangle<int> (220, 345, 120, 120));
    EXPECT_EQ (editor->downliftSlider.getBounds(), juce::Rectangle<int> (360, 345, 120, 120));
    EXPECT_EQ (editor->gainSlider.getBounds(), juce::Rectangle<int> (580, 345, 120, 120));
    EXPECT_EQ (editor->zoomSlider.getBounds(), juce::Rectangle<int> (510, 110, 20, 200));
    EXPECT_EQ (editor->backgroundSelector.getBounds(), juce::Rectangle<int> (60, 310, 200, 30));
    EXPECT_EQ (editor->curveModeSelector.getBounds(), juce::Rectangle<int> (540, 310, 200, 30));
    EXPECT_EQ (editor->webSiteButton.getBounds(), juce::Rectangle<int> (-10, 490, 200, 30));
    EXPECT_EQ (&editor->curveModeSelector.getLookAndFeel(), &editor->otherLookAndFeel);
    EXPECT_EQ (image.getPixelAt (5, 5), editor->otherLookAndFeel.backgroundPalette[1]);
}

TEST_F (EditorFixture, ClosingLeavesTheProcessorAsItWasAndASecondEditorStartsAfresh)
{
    {
        auto first = openEditor();
        runMessageLoopFor (50);
        first->zoomSlider.setValue (5.0, juce::sendNotificationSync);
        first->showOriginalButton.triggerClick();
        for (int i = 0; i < 3; ++i)
            first->timerCallback();
    }

    const auto copies = std::vector<float> { processor.topDb, processor.midDb, processor.lowDb, processor.gainDb };
    const auto ids = std::pair { processor.curveModeId.load(), processor.backColorId.load() };
    const auto flags = std::pair { processor.blockProcessed.load(), processor.freezeHistory.load() };

    runMessageLoopFor (50);
    EXPECT_EQ ((std::vector<float> { processor.topDb, processor.midDb, processor.lowDb, processor.gainDb }), copies);
    EXPECT_EQ ((std::pair { processor.curveModeId.load(), processor.backColorId.load() }), ids);
    EXPECT_EQ ((std::pair { processor.blockProcessed.load(), processor.freezeHistory.load() }), flags);

    auto second = openEditor();
    EXPECT_EQ (second->idleTicks, 0);
    EXPECT_EQ (second->zoomFactor.load(), 1.0f);
    EXPECT_EQ (second->zoomSlider.getValue(), 1.0);
    EXPECT_FALSE (second->showOriginal);
    EXPECT_EQ (second->originalHistory[0], 0.0f);
    EXPECT_EQ (second->lastTopDb, -9.0f);
}
