#include "PluginProcessor.h"
#include "PluginEditor.h"

namespace
{
    const juce::StringArray curveModeChoices { "Linear", "Quadratic", "Bezier" };
    const juce::StringArray backColorChoices { "Vibrato", "Crescendo", "Rhapsody", "Staccato", "Tremolo", "Arpeggio" };

    std::unique_ptr<juce::AudioParameterFloat> makeDecibelParameter (const char* id, const char* name,
                                                                     float minimum, float maximum, float defaultValue)
    {
        return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 0 }, name,
                                                            juce::NormalisableRange<float> (minimum, maximum, 0.01f, 1.0f),
                                                            defaultValue);
    }

    // The working copies follow these parameters, from the store's listener as from the refresh.
    constexpr const char* parameterIds[] { "topValue", "midValue", "lowValue", "gain", "curveMode", "backColor" };

    // A choice value arrives as a float index; its id is index + 1, truncated.
    int choiceToItemId (float value) noexcept
    {
        return (int) (value + 1.0f);
    }
}

CompressorAudioProcessor::CompressorAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      valueTreeState (*this, nullptr, "PARAMETERS", createParameterLayout())
{
    for (auto* id : parameterIds)
        valueTreeState.addParameterListener (id, this);

    startTimer (1000);
}

CompressorAudioProcessor::~CompressorAudioProcessor()
{
    for (auto* id : parameterIds)
        valueTreeState.removeParameterListener (id, this);

    stopTimerAndWaitForTheTick();
}

void CompressorAudioProcessor::stopTimerAndWaitForTheTick()
{
    // No tick may run while the members are being released. JUCE runs the tick on its message
    // thread and lets go of its timer lock around it, so stopping the timer from another thread
    // (an LV2 host deletes instances on its own) does not wait for a tick that has begun. Holding
    // the message thread between two of its messages does: no tick runs then, and none starts
    // once the timer is stopped. After the tick nothing is left to wait for.
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

    if (tickDone.load (std::memory_order_acquire) || messageManager == nullptr || messageManager->currentThreadHasLockedMessageManager())
    {
        stopTimer();
        return;
    }

    const juce::MessageManagerLock messageThreadHeld;
    stopTimer();
}

juce::AudioProcessorValueTreeState::ParameterLayout CompressorAudioProcessor::createParameterLayout()
{
    std::vector<std::unique_ptr<juce::RangedAudioParameter>> parameters;
    parameters.push_back (makeDecibelParameter ("topValue", "Ceiling", -33.0f, 0.0f, -18.0f));
    parameters.push_back (makeDecibelParameter ("midValue", "Threshold", -36.0f, -3.0f, -12.0f));
    parameters.push_back (makeDecibelParameter ("lowValue", "Downlift", 0.0f, 6.0f, 0.0f));
    parameters.push_back (makeDecibelParameter ("gain", "Gain", -12.0f, 12.0f, 0.0f));
    parameters.push_back (std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { "curveMode", 0 }, "CurveMode",
                                                                        curveModeChoices, 1));
    parameters.push_back (std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { "backColor", 0 }, "BackColor",
                                                                        backColorChoices, 0));
    return { parameters.begin(), parameters.end() };
}

const juce::String CompressorAudioProcessor::getName() const
{
    return "Selvandrine Compressor";
}

void CompressorAudioProcessor::prepareToPlay (double, int)
{
    refreshWorkingCopies();

    // The LV2 client prepares once, as the host makes the instance: this reaches its first run.
    reportParametersToLv2Host();
}

void CompressorAudioProcessor::releaseResources()
{
}

void CompressorAudioProcessor::timerCallback()
{
    refreshWorkingCopies();

    // Again a second later, for a host that drops the output of the first runs: Ardour runs a new
    // or restored instance once on its own to measure its latency.
    reportParametersToLv2Host();
    stopTimer();

    // The last touch of this object by the tick: a destructor that sees it need not wait, and
    // sees everything the tick wrote.
    tickDone.store (true, std::memory_order_release);
}

void CompressorAudioProcessor::parameterChanged (const juce::String& parameterID, float newValue)
{
    // Called on whichever thread sets the parameter, the audio thread included: stores only.
    if (parameterID == "topValue")
        topDb.store (newValue);
    else if (parameterID == "midValue")
        midDb.store (newValue);
    else if (parameterID == "lowValue")
        lowDb.store (newValue);
    else if (parameterID == "gain")
        gainDb.store (newValue);
    else if (parameterID == "curveMode")
        curveModeId.store (choiceToItemId (newValue), std::memory_order_relaxed);
    else if (parameterID == "backColor")
        backColorId.store (choiceToItemId (newValue), std::memory_order_relaxed);
}

void CompressorAudioProcessor::refreshWorkingCopies()
{
    topDb.store (valueTreeState.getRawParameterValue ("topValue")->load());
    midDb.store (valueTreeState.getRawParameterValue ("midValue")->load());
    lowDb.store (valueTreeState.getRawParameterValue ("lowValue")->load());
    gainDb.store (valueTreeState.getRawParameterValue ("gain")->load());
    curveModeId.store (choiceToItemId (valueTreeState.getRawParameterValue ("curveMode")->load()), std::memory_order_relaxed);
    backColorId.store (choiceToItemId (valueTreeState.getRawParameterValue ("backColor")->load()), std::memory_order_relaxed);
}

void CompressorAudioProcessor::reportParametersToLv2Host()
{
    // JUCE's LV2 client tells the host of a parameter only when it changes and answers no
    // patch:Get, so a host would know no value until one moved. The client marks every parameter
    // its listener hears of and sends the marked values on the control output with its next run;
    // notifying with the current values changes none. The VST3 wrapper would pass each on as an
    // edit, as if the user had moved it, so only the LV2 version reports.
    if (wrapperType != wrapperType_LV2)
        return;

    for (auto* parameter : getParameters())
        parameter->sendValueChangedMessageToListeners (parameter->getValue());
}

double CompressorAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool CompressorAudioProcessor::acceptsMidi() const            { return false; }
bool CompressorAudioProcessor::producesMidi() const           { return false; }
bool CompressorAudioProcessor::isMidiEffect() const           { return false; }

juce::AudioProcessorEditor* CompressorAudioProcessor::createEditor()
{
    return new CompressorAudioProcessorEditor (*this);
}

bool CompressorAudioProcessor::hasEditor() const { return true; }

int CompressorAudioProcessor::getNumPrograms()                                  { return 1; }
int CompressorAudioProcessor::getCurrentProgram()                               { return 0; }
void CompressorAudioProcessor::setCurrentProgram (int)                          {}
const juce::String CompressorAudioProcessor::getProgramName (int)               { return {}; }
void CompressorAudioProcessor::changeProgramName (int, const juce::String&)     {}

bool CompressorAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new CompressorAudioProcessor();
}
