#include "PluginProcessor.h"
#include "PluginEditor.h"
#include "Decibels.h"

#include <algorithm>
#include <bit>

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
    int choiceToItemId (const std::atomic<float>& value) noexcept
    {
        return (int) (value.load() + 1.0f);
    }

    // A broken upstream plug-in may hand us NaN or infinity; every step takes such a sample as silence.
    inline float finiteOrZero (float x) noexcept
    {
        return (std::bit_cast<std::uint32_t> (x) & 0x7f800000u) == 0x7f800000u ? 0.0f : x;
    }

    inline float followLevel (float level, float magnitude) noexcept
    {
        return magnitude > level ? magnitude : level + (level - magnitude) * -0.001f;
    }

    // UTF-8 as RFC 3629 defines it. JUCE's own check lets overlong forms, surrogates and code
    // points past U+10FFFF through, and its parser turns names holding them into text that a
    // later save writes as bytes that are not UTF-8.
    bool isStrictUtf8 (const char* text, int numBytes) noexcept
    {
        for (int i = 0; i < numBytes;)
        {
            const auto lead = (unsigned char) text[i];
            auto extra = 0;

            if (lead >= 0xc2 && lead <= 0xdf)
                extra = 1;
            else if (lead >= 0xe0 && lead <= 0xef)
                extra = 2;
            else if (lead >= 0xf0 && lead <= 0xf4)
                extra = 3;
            else if (lead >= 0x80)
                return false;

            if (extra > numBytes - i - 1)
                return false;

            auto c = (std::uint32_t) (lead & (0x3fu >> extra));

            for (int k = 1; k <= extra; ++k)
            {
                const auto next = (unsigned char) text[i + k];

                if ((next & 0xc0) != 0x80)
                    return false;

                c = (c << 6) | (next & 0x3fu);
            }

            if ((extra == 2 && (c < 0x800 || (c >= 0xd800 && c <= 0xdfff))) || (extra == 3 && (c < 0x10000 || c > 0x10ffff)))
                return false;

            i += extra + 1;
        }

        return true;
    }

    // JUCE's XML parser reads an element's content by skipping white space, comments and
    // processing instructions, and steps back before all of them when character data follows;
    // when one of them is an instruction it never gets past it. This finds an instruction that
    // such skipping leaves at character data. It looks at every instruction in the text, so it
    // also refuses a few texts the parser would read (one inside a comment or a quoted value, or
    // after the root element).
    bool hasInstructionBeforeCharacterData (juce::CharPointer_UTF8 text)
    {
        for (;;)
        {
            const auto start = text.indexOf (juce::CharPointer_ASCII ("<?"));

            if (start < 0)
                return false;

            text += start;

            for (;;)
            {
                text.incrementToEndOfWhitespace();
                const auto isComment = text[0] == '<' && text[1] == '!' && text[2] == '-' && text[3] == '-';
                const auto isInstruction = text[0] == '<' && text[1] == '?';

                if (! isComment && ! isInstruction)
                    break;

                text += isComment ? 4 : 2;
                const auto end = text.indexOf (juce::CharPointer_ASCII (isComment ? "-->" : "?>"));

                // Unterminated: the parser runs out of text here and stops.
                if (end < 0)
                    return false;

                text += end + (isComment ? 3 : 2);
            }

            if (! text.isEmpty() && *text != '<')
                return true;
        }
    }
}

CompressorAudioProcessor::CompressorAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      valueTreeState (*this, nullptr, "PARAMETERS", createParameterLayout())
{
    startTimer (1000);
}

CompressorAudioProcessor::~CompressorAudioProcessor()
{
    // No tick may run while the members are being released.
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
}

void CompressorAudioProcessor::releaseResources()
{
}

void CompressorAudioProcessor::timerCallback()
{
    refreshWorkingCopies();
    stopTimer();
}

void CompressorAudioProcessor::parameterChanged (const juce::String&, float)
{
}

void CompressorAudioProcessor::refreshWorkingCopies()
{
    topDb.store (valueTreeState.getRawParameterValue ("topValue")->load());
    midDb.store (valueTreeState.getRawParameterValue ("midValue")->load());
    lowDb.store (valueTreeState.getRawParameterValue ("lowValue")->load());
    gainDb.store (valueTreeState.getRawParameterValue ("gain")->load());
    curveModeId.store (choiceToItemId (*valueTreeState.getRawParameterValue ("curveMode")), std::memory_order_relaxed);
    backColorId.store (choiceToItemId (*valueTreeState.getRawParameterValue ("backColor")), std::memory_order_relaxed);
}

void CompressorAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    blockProcessed.store (true, std::memory_order_relaxed);
    freezeHistory.store (false, std::memory_order_relaxed);

    const juce::ScopedNoDenormals noDenormals;

    const auto numSamples = buffer.getNumSamples();
    const auto numBufferChannels = buffer.getNumChannels();
    const auto numInputs = juce::jmin (getTotalNumInputChannels(), numBufferChannels);
    const auto numOutputs = juce::jmin (getTotalNumOutputChannels(), numBufferChannels);

    for (auto channel = numInputs; channel < numOutputs; ++channel)
        buffer.clear (channel, 0, numSamples);

    curves.update (topDb.load(), midDb.load(), lowDb.load(), curveTable);

    if (numInputs == 0)
        return;

    const auto* table = curveTable.data();

    // The detector runs on locals and publishes its levels once per block: the values the
    // editor can see are the same, without an atomic store per sample.
    auto envelope = envelopeLevel.load();
    auto inputFollower = inputLevel.load();
    auto outputFollower = outputLevel.load();
    auto previous = lastSample;
    auto peak = cyclePeak;
    auto length = cycleLength;

    for (int channel = 0; channel < numInputs; ++channel)
    {
        auto* data = buffer.getWritePointer (channel);

        for (int j = 0; j < numSamples; ++j)
        {
            const auto x = finiteOrZero (data[j]);
            const auto sign = x < 0.0f ? -1.0f : 1.0f;
            const auto magnitude = x * sign;

            if (x >= 0.0f && previous < 0.0f)
            {
                // Upward crossing: the half-cycle runs up to and including the first negative sample.
                peak = 0.0f;
                length = numSamples - j;

                for (int l = 0; l < numSamples - j; ++l)
                {
                    const auto w = finiteOrZero (data[j + l]);
                    const auto wMagnitude = w < 0.0f ? -w : w;
                    peak = wMagnitude > peak ? wMagnitude : peak;

                    if (w < 0.0f)
                    {
                        length = l + 1;
                        break;
                    }
                }
            }

            previous = x;

            if (length > 0)
            {
                if (peak > envelope)
                {
                    const auto attacked = envelope + (peak - envelope) / (float) length;
                    envelope = attacked > peak ? peak : attacked;
                }
                else
                {
                    envelope = envelope + (peak - envelope) * 3e-5f;
                }
            }

            inputFollower = followLevel (inputFollower, magnitude);

            if (envelope == 0.0f)
                envelope = 1e-20f;

            const auto target = curves.map (curveModeId.load (std::memory_order_relaxed), envelope, table);
            auto shaped = (x * target) / envelope;
            shaped = shaped > 1.5f ? 1.5f : (shaped < -1.5f ? -1.5f : shaped);

            outputFollower = followLevel (outputFollower, sign * shaped);

            const auto gain = gainDb.load();

            if (std::bit_cast<std::uint32_t> (gain) != convertedGainDbBits)
            {
                convertedGainDbBits = std::bit_cast<std::uint32_t> (gain);
                convertedGain = selvandrine::decibelsToGain (gain);
            }

            data[j] = shaped * convertedGain;
        }
    }

    lastSample = previous;
    cyclePeak = peak;
    cycleLength = length;
    envelopeLevel.store (envelope);
    inputLevel.store (inputFollower);
    outputLevel.store (outputFollower);
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

void CompressorAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    blockProcessed.store (false, std::memory_order_relaxed);

    if (const auto xml = valueTreeState.copyState().createXml())
        copyXmlToBinary (*xml, destData);
}

void CompressorAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto xml = parseStateBlock (data, sizeInBytes);

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (valueTreeState.state.getType().toString()))
        return;

    auto restored = juce::ValueTree::fromXml (*xml);
    prepareRestoredTree (restored);
    valueTreeState.replaceState (restored);
}

std::unique_ptr<juce::XmlElement> CompressorAudioProcessor::parseStateBlock (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9)
        return {};

    const auto* bytes = static_cast<const char*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != 0x21324356) // "VC2!"
        return {};

    const auto length = (int) juce::ByteOrder::littleEndianInt (bytes + 4);

    if (length <= 0)
        return {};

    // The text ends at the length, the block's end or the first zero byte. Text that is not valid
    // UTF-8 cannot be read (JUCE's decoder would run past the host's buffer on it, and a save would
    // not give it back), nor text on which JUCE's parser would never return.
    const auto available = juce::jmin (length, sizeInBytes - 8);
    const auto* text = bytes + 8;
    const auto textLength = (int) (std::find (text, text + available, '\0') - text);

    if (! isStrictUtf8 (text, textLength))
        return {};

    const auto xmlText = juce::String::fromUTF8 (text, textLength);

    if (hasInstructionBeforeCharacterData (xmlText.getCharPointer()))
        return {};

    return juce::parseXML (xmlText);
}

void CompressorAudioProcessor::keepFirstOfEachProperty (juce::ValueTree& child)
{
    // An element may repeat an attribute. The store reads the first "id" and "value" while a save
    // writes the last, so a repeated attribute would change on its way through the next save.
    juce::NamedValueSet firsts;

    for (int i = 0; i < child.getNumProperties(); ++i)
    {
        const auto name = child.getPropertyName (i);

        if (! firsts.contains (name))
            firsts.set (name, child.getProperty (name));
    }

    if (firsts.size() == child.getNumProperties())
        return;

    child.removeAllProperties (nullptr);

    for (const auto& property : firsts)
        child.setProperty (property.name, property.value, nullptr);
}

void CompressorAudioProcessor::prepareRestoredTree (juce::ValueTree& restored) const
{
    juce::StringArray ids;

    for (auto* parameter : getParameters())
        if (auto* withId = dynamic_cast<juce::AudioProcessorParameterWithID*> (parameter))
            ids.add (withId->paramID);

    for (auto child : restored)
    {
        keepFirstOfEachProperty (child);

        // A value that does not read as a finite number would reach the parameter as NaN or
        // infinity; such a child counts as one without a value.
        if (ids.contains (child.getProperty ("id").toString()) && child.hasProperty ("value")
            && ! std::isfinite ((float) child.getProperty ("value")))
            child.removeProperty ("value", nullptr);
    }

    // A parameter that the block does not name keeps its value. The store would add a child with
    // the id alone and read the default from it, so the child is added here, in the store's order
    // of ids, holding the value the parameter has.
    ids.sort (false);

    for (const auto& id : ids)
    {
        if (restored.getChildWithProperty ("id", id).isValid())
            continue;

        juce::ValueTree child ("PARAM");
        child.setProperty ("id", id, nullptr);
        child.setProperty ("value", valueTreeState.getRawParameterValue (id)->load(), nullptr);
        restored.appendChild (child, nullptr);
    }
}

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
