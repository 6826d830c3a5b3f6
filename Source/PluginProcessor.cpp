#include "PluginProcessor.h"
#include "PluginEditor.h"
#include "ProcessorTick.h"

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

    // A choice value arrives as a float index; its id is index + 1, truncated.
    int choiceToItemId (float value) noexcept
    {
        return (int) (value + 1.0f);
    }

    // Each parameter and its working copy: decibels as they are, or a choice's item id. The
    // refresh and the store's listener both write through this table, in this order.
    struct WorkingCopy
    {
        const char* parameterId;
        std::atomic<float> CompressorAudioProcessor::* decibels;
        std::atomic<int> CompressorAudioProcessor::* itemId;
    };

    constexpr WorkingCopy workingCopies[] {
        { "topValue",  &CompressorAudioProcessor::topDb,  nullptr },
        { "midValue",  &CompressorAudioProcessor::midDb,  nullptr },
        { "lowValue",  &CompressorAudioProcessor::lowDb,  nullptr },
        { "gain",      &CompressorAudioProcessor::gainDb, nullptr },
        { "curveMode", nullptr, &CompressorAudioProcessor::curveModeId },
        { "backColor", nullptr, &CompressorAudioProcessor::backColorId },
    };

    void store (CompressorAudioProcessor& processor, const WorkingCopy& copy, float value) noexcept
    {
        // Only whole ids cross threads, so relaxed suffices for them.
        if (copy.decibels != nullptr)
            (processor.*copy.decibels).store (value);
        else
            (processor.*copy.itemId).store (choiceToItemId (value), std::memory_order_relaxed);
    }
}

CompressorAudioProcessor::CompressorAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      valueTreeState (*this, nullptr, "PARAMETERS", createParameterLayout())
{
    for (const auto& copy : workingCopies)
        valueTreeState.addParameterListener (copy.parameterId, this);

    tick = std::make_unique<selvandrine::ProcessorTick> (*this);
}

CompressorAudioProcessor::~CompressorAudioProcessor()
{
    selvandrine::ProcessorTick::release (std::move (tick));

    for (const auto& copy : workingCopies)
        valueTreeState.removeParameterListener (copy.parameterId, this);
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
}

void CompressorAudioProcessor::parameterChanged (const juce::String& parameterID, float newValue)
{
    // Called on whichever thread sets the parameter, the audio thread included: stores only.
    for (const auto& copy : workingCopies)
    {
        if (parameterID == copy.parameterId)
        {
            store (*this, copy, newValue);
            return;
        }
    }
}

void CompressorAudioProcessor::refreshWorkingCopies()
{
    for (const auto& copy : workingCopies)
        store (*this, copy, valueTreeState.getRawParameterValue (copy.parameterId)->load());
}

void CompressorAudioProcessor::reportParametersToLv2Host()
{
    // JUCE's LV2 client tells the host of a parameter only when it changes and answers no
    // patch:Get, so a host would know no value until one moved. The client marks every parameter
    // its listener hears of and sends the marked values on the control output with its next run;
    // notifying with the current values changes none. The VST3 wrapper would pass each on as an
    // edit, as if the user had moved it, so only the LV2 version reports.
    // The client's listener dies before the processor, so this runs only where LV2 keeps the host
    // from freeing the instance meanwhile: as it is made (prepareToPlay) and in a state restore.
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
