#include "PluginEditor.h"
#include "VersionCheck.h"

namespace
{
    void setUpKnob (juce::Slider& slider, juce::Slider::SliderStyle style, double minimum, double maximum,
                    double interval, const char* suffix, juce::Component& editor)
    {
        slider.setSliderStyle (style);
        slider.setRange (minimum, maximum, interval);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        slider.setPopupDisplayEnabled (true, true, &editor, 2000);
        slider.setTextValueSuffix (suffix);
    }
}

CompressorAudioProcessorEditor::CompressorAudioProcessorEditor (CompressorAudioProcessor& p)
    : AudioProcessorEditor (&p),
      audioProcessor (p),
      editorFont (OtherLookAndFeel::createEmbeddedTypeface())
{
    startTimer (16);
    setResizable (false, false);

    // Seeded from the unbound knobs (all 0.0), so the first bindings below count as changes.
    audioProcessor.topDb = (float) ceilingSlider.getValue();
    audioProcessor.midDb = (float) thresholdSlider.getValue();
    audioProcessor.lowDb = (float) downliftSlider.getValue();
    audioProcessor.gainDb = (float) gainSlider.getValue();

    setSize (audioProcessor.editorWidth, audioProcessor.editorHeight);

    const auto rotary = juce::Slider::RotaryVerticalDrag;
    const std::pair<juce::Slider*, std::array<double, 3>> knobs[] = { { &ceilingSlider,   { -33.0, 0.0, 0.01 } },
                                                                      { &thresholdSlider, { -36.0, -3.0, 0.01 } },
                                                                      { &downliftSlider,  { 0.0, 6.0, 0.01 } },
                                                                      { &gainSlider,      { -12.0, 12.0, 0.1 } } };

    for (const auto& [knob, range] : knobs)
    {
        setUpKnob (*knob, rotary, range[0], range[1], range[2], " dB", *this);
        addAndMakeVisible (*knob);
        knob->addListener (this);
    }

    setUpKnob (zoomSlider, juce::Slider::LinearVertical, 1.0, 12.0, 0.1, " x", *this);
    addAndMakeVisible (zoomSlider);
    zoomSlider.addListener (this);

    int id = 1;
    for (const auto* name : { "Vibrato Background", "Crescendo Background", "Rhapsody Background",
                              "Staccato Background", "Tremolo Background", "Arpeggio Background" })
        backgroundSelector.addItem (name, id++);

    backgroundSelector.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (backgroundSelector);

    curveModeSelector.addItem ("Linear", 1);
    curveModeSelector.addItem ("Quadratic", 2);
    curveModeSelector.addItem ("Bezier", 3);
    curveModeSelector.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (curveModeSelector);

    auto& store = audioProcessor.valueTreeState;
    ceilingAttachment = std::make_unique<SliderAttachment> (store, "topValue", ceilingSlider);
    thresholdAttachment = std::make_unique<SliderAttachment> (store, "midValue", thresholdSlider);
    downliftAttachment = std::make_unique<SliderAttachment> (store, "lowValue", downliftSlider);
    gainAttachment = std::make_unique<SliderAttachment> (store, "gain", gainSlider);
    curveModeAttachment = std::make_unique<ComboBoxAttachment> (store, "curveMode", curveModeSelector);
    backgroundAttachment = std::make_unique<ComboBoxAttachment> (store, "backColor", backgroundSelector);

    // The hooks come after the bindings, so their work for the stored choices is done here once.
    onBackgroundChange();
    backgroundSelector.onChange = [this] { onBackgroundChange(); };

    onCurveModeChange();
    curveModeSelector.onChange = [this] { onCurveModeChange(); };

    addAndMakeVisible (showOriginalButton);
    showOriginalButton.setButtonText ("Show Original");
    showOriginalButton.onClick = [this] { onShowOriginalClick(); };

    addAndMakeVisible (webSiteButton);
    webSiteButton.onClick = [this] { onWebSiteClick(); };

    versionText = selvandrine::initialVersionText();
    layoutTop = getHeight() / 2 - 180;
    setLookAndFeel (&otherLookAndFeel);

    checkForNewVersion();
}

CompressorAudioProcessorEditor::~CompressorAudioProcessorEditor()
{
    setLookAndFeel (nullptr);
    stopTimer();
}

void CompressorAudioProcessorEditor::resized()
{
}

void CompressorAudioProcessorEditor::timerCallback()
{
    if (audioProcessor.blockProcessed.load (std::memory_order_relaxed))
    {
        idleTicks = 0;
        audioProcessor.freezeHistory.store (false, std::memory_order_relaxed);
        repaint();
    }
    else
    {
        ++idleTicks;
    }

    audioProcessor.blockProcessed.store (false, std::memory_order_relaxed);
}

void CompressorAudioProcessorEditor::sliderValueChanged (juce::Slider*)
{
    auto& p = audioProcessor;

    p.topDb = (float) ceilingSlider.getValue();

    if (p.topDb.load() != lastTopDb && (double) p.midDb.load() + 3.0 > (double) p.topDb.load())
    {
        p.midDb = p.topDb.load() - 3.0f;
        thresholdSlider.setValue (p.midDb.load(), juce::sendNotificationAsync);
    }

    p.midDb = (float) thresholdSlider.getValue();

    if (p.midDb.load() != lastMidDb && (double) p.midDb.load() > (double) p.topDb.load() - 3.0)
    {
        p.topDb = p.midDb.load() + 3.0f;
        ceilingSlider.setValue (p.topDb.load(), juce::sendNotificationAsync);
    }

    p.lowDb = (float) downliftSlider.getValue();
    p.gainDb = (float) gainSlider.getValue();
    zoomFactor = (float) zoomSlider.getValue();

    // With no audio flowing nothing else repaints, so the curve and read-outs follow the
    // controls from here while the histories stand still.
    if (idleTicks >= 2
        && (p.topDb.load() != lastTopDb || p.midDb.load() != lastMidDb || p.lowDb.load() != lastLowDb
            || p.curveModeId.load (std::memory_order_relaxed) != 0))
    {
        p.freezeHistory.store (true, std::memory_order_relaxed);
        repaint();
    }

    lastTopDb = p.topDb.load();
    lastMidDb = p.midDb.load();
    lastLowDb = p.lowDb.load();
}

void CompressorAudioProcessorEditor::onBackgroundChange()
{
    const auto id = backgroundSelector.getSelectedId();
    audioProcessor.backColorId.store (id, std::memory_order_relaxed);
    otherLookAndFeel.currentColour = otherLookAndFeel.backgroundPalette[id];
}

void CompressorAudioProcessorEditor::onCurveModeChange()
{
    audioProcessor.curveModeId.store (curveModeSelector.getSelectedId(), std::memory_order_relaxed);
}

void CompressorAudioProcessorEditor::onShowOriginalClick()
{
    showOriginal = ! showOriginal;
}

void CompressorAudioProcessorEditor::onWebSiteClick()
{
    selvandrine::openHomePage();
}

void CompressorAudioProcessorEditor::checkForNewVersion()
{
    versionText = selvandrine::versionTextAfterCheck (versionText);
}
