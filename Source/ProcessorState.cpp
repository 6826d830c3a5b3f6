#include "PluginProcessor.h"
#include "StateNumberText.h"

#include <algorithm>
#include <cmath>
#include <string_view>

// Saving and restoring the parameters: the store's XML in JUCE's binary wrapper.
namespace
{
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

    // JUCE's XML parser misreads three kinds of entity text, none of which its writer makes:
    // - it steps one character past the digits of a hexadecimal character reference ("&#x41;")
    //   whether or not that is the closing ';', so a reference cut short by the text's end makes it
    //   read past the text; any reference not closed within the eight digits it reads is refused;
    // - it parses an unknown entity whose name begins with '<' ("&<a>...;") as markup: the text up
    //   to the next ';' becomes a document of its own, which the first rule cannot see into;
    // - it does the same with entities that a document type declaration defines.
    bool hasEntityTextJuceMisreads (const char* text, int numBytes) noexcept
    {
        const std::string_view view (text, (size_t) numBytes);

        if (view.find ("&<") != std::string_view::npos || view.find ("<!DOCTYPE") != std::string_view::npos)
            return true;

        for (auto at = view.find ("&#"); at != std::string_view::npos; at = view.find ("&#", at + 1))
        {
            if (at + 2 == view.size() || (view[at + 2] != 'x' && view[at + 2] != 'X'))
                continue;

            auto end = at + 3;

            while (end < view.size() && end < at + 11 && juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) view[end]) >= 0)
                ++end;

            if (end == view.size() || view[end] != ';')
                return true;
        }

        return false;
    }

    // The store reads a parameter's value text with JUCE's number reader, at the restore and at
    // later saves. A text on which that reader would overflow is replaced by its value. A value
    // beyond the parameter's range, an infinite one included, is clamped by the store; NaN would
    // reach the parameter as it is, so a child holding it counts as one without a value.
    void prepareValue (juce::ValueTree& child)
    {
        const auto text = child.getProperty ("value").toString();

        if (const auto value = selvandrine::valueJuceCannotRead (text))
            child.setProperty ("value", *value, nullptr);
        else if (std::isnan (text.getDoubleValue()))
            child.removeProperty ("value", nullptr);
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
    reportParametersToLv2Host();
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
    // not give it back), nor text that JUCE's parser would read past or never return on.
    const auto available = juce::jmin (length, sizeInBytes - 8);
    const auto* text = bytes + 8;
    const auto textLength = (int) (std::find (text, text + available, '\0') - text);

    if (! isStrictUtf8 (text, textLength) || hasEntityTextJuceMisreads (text, textLength))
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

        if (ids.contains (child.getProperty ("id").toString()) && child.hasProperty ("value"))
            prepareValue (child);
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
