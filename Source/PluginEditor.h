#pragma once

#include "CurveDisplay.h"
#include "OtherLookAndFeel.h"
#include "PluginProcessor.h"

#include <array>
#include <atomic>

/**
    The compressor's window. It binds its controls to the processor's parameters, feeds the
    processor's working copies from them and repaints while audio flows. Its state is public so
    that the window's behaviour can be checked from outside, as the processor's is.
*/
class CompressorAudioProcessorEditor : public juce::AudioProcessorEditor,
                                       private juce::Slider::Listener,
                                       public juce::Timer
{
public:
    explicit CompressorAudioProcessorEditor (CompressorAudioProcessor&);
    ~CompressorAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;

    /** Does nothing: the children are placed by every paint. */
    void resized() override;

    /** The 16 ms refresh: repaints once for every tick that finds a processed block. */
    void timerCallback() override;

    CompressorAudioProcessor& audioProcessor;

    OtherLookAndFeel otherLookAndFeel;

    juce::Slider ceilingSlider;
    juce::Slider thresholdSlider;
    juce::Slider downliftSlider;
    juce::Slider gainSlider;
    juce::Slider zoomSlider;
    juce::ComboBox backgroundSelector;
    juce::ComboBox curveModeSelector;
    juce::ToggleButton showOriginalButton;

    // Level histories in pixels (level x 200): index 0 oldest, index 199 newest.
    selvandrine::LevelHistory originalHistory {};
    selvandrine::LevelHistory compressedHistory {};

    juce::TextButton webSiteButton { SELVANDRINE_WEBSITE };

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ComboBoxAttachment = juce::AudioProcessorValueTreeState::ComboBoxAttachment;

    std::unique_ptr<SliderAttachment> ceilingAttachment;
    std::unique_ptr<SliderAttachment> thresholdAttachment;
    std::unique_ptr<SliderAttachment> downliftAttachment;
    std::unique_ptr<SliderAttachment> gainAttachment;
    std::unique_ptr<ComboBoxAttachment> curveModeAttachment;
    std::unique_ptr<ComboBoxAttachment> backgroundAttachment;

    // The working copies as the knob handler last left them, in decibels.
    float lastTopDb = 0.0f;
    float lastMidDb = -3.0f;
    float lastLowDb = 0.0f;

    int idleTicks = 0;
    int barPhase = 0; // only its value modulo 4 matters, so it is kept reduced
    bool showOriginal = false;
    std::atomic<float> zoomFactor { 1.0f };

    juce::String versionText;
    int layoutTop = 0;
    juce::Font editorFont;

private:
    /** Copies the five sliders into the working copies, keeping Ceiling 3 dB above Threshold. */
    void sliderValueChanged (juce::Slider*) override;

    void onBackgroundChange();
    void onCurveModeChange();
    void onShowOriginalClick();
    void onWebSiteClick();

    /** Asks the maker's site for the newest version; the window opens once it has answered or failed. */
    void checkForNewVersion();

    // The steps of paint, in the order in which it calls them.
    void drawTitle (juce::Graphics&);
    void drawReadouts (juce::Graphics&);
    void drawCompressedPanel (juce::Graphics&);
    void drawOriginalPanel (juce::Graphics&);
    void drawOriginalOverlay (juce::Graphics&);
    void drawCaptions (juce::Graphics&);
    void drawMappingLines (juce::Graphics&);
    void drawCurvePanel (juce::Graphics&);
    void placeChildren();
    void drawStatusTexts (juce::Graphics&);

    void fillPanel (juce::Graphics&, int panelLeft);
    void drawLevelGrid (juce::Graphics&, int panelLeft);
    void drawBars (juce::Graphics&, const selvandrine::LevelHistory&, float zoom, int rightmostX,
                   juce::Colour baseColour, juce::uint8 otherAlpha);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CompressorAudioProcessorEditor)
};
