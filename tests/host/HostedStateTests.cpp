#include "HostedPlugins.h"
#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using host_testing::Format;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    const auto settings = host_testing::settingsWithCurveMode (0);

    struct Reading
    {
        float value;
        juce::String text;
    };

    std::vector<Reading> readParameters (juce::AudioProcessor& plugin)
    {
        std::vector<Reading> readings;

        for (const auto& setting : settings)
        {
            auto* parameter = host_testing::findParameter (plugin, setting.name);
            readings.push_back (parameter != nullptr ? Reading { parameter->getValue(), parameter->getText (parameter->getValue(), 64) }
                                                     : Reading { -1.0f, "missing" });
        }

        return readings;
    }

    void expectSameReadings (const std::vector<Reading>& actual, const std::vector<Reading>& expected)
    {
        for (size_t i = 0; i < settings.size(); ++i)
        {
            EXPECT_FLOAT_EQ (actual[i].value, expected[i].value) << settings[i].name;
            EXPECT_EQ (actual[i].text, expected[i].text) << settings[i].name;
        }
    }

    /** Runs blocks and the host's message loop: an LV2 hears of values only with a run, and its
        host hears of the plug-in's values only from the run's messages, on its message loop. */
    void settle (juce::AudioPluginInstance& plugin)
    {
        juce::AudioBuffer<float> silence (2, 64);
        juce::MidiBuffer midi;

        for (int i = 0; i < 10; ++i)
        {
            silence.clear();
            plugin.processBlock (silence, midi);
            midi.clear();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        }
    }

    std::unique_ptr<juce::AudioPluginInstance> load (Format format, bool prepare)
    {
        auto plugin = host_testing::createBuiltPlugin (format, sampleRate, blockSize);

        if (plugin != nullptr && prepare)
        {
            plugin->prepareToPlay (sampleRate, blockSize);
            settle (*plugin);
        }

        return plugin;
    }

    void applySettings (juce::AudioPluginInstance& plugin)
    {
        for (const auto& setting : settings)
        {
            auto* parameter = host_testing::findParameter (plugin, setting.name);
            ASSERT_NE (parameter, nullptr) << setting.name;
            ASSERT_NE (parameter->getValue(), setting.normalised) << setting.name << " starts at the value it is given";
            parameter->setValue (setting.normalised);
        }

        settle (plugin);
    }

    juce::MemoryBlock saveState (juce::AudioPluginInstance& plugin)
    {
        juce::MemoryBlock chunk;
        plugin.getStateInformation (chunk);
        return chunk;
    }

    /** Where the plug-in's own block sits in the host-format chunk: JUCE's VST3 host keeps the
        component state in base64 inside its XML, JUCE's LV2 host keeps the state string (JUCE's
        base64 again) as a literal in Turtle. */
    struct PayloadSite
    {
        juce::String envelope;   // the chunk as text
        int start = -1, end = -1; // the encoded payload within it
    };

    PayloadSite findPayload (Format format, const juce::MemoryBlock& chunk)
    {
        PayloadSite site;

        if (format == Format::vst3)
        {
            // The host's XML sits in a "VC2!" block of its own; the plug-in's is the decoded text.
            const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());

            if (xml == nullptr)
                return site;

            site.envelope = xml->toString();
            const auto open = site.envelope.indexOf ("<IComponent>");
            const auto close = site.envelope.indexOf ("</IComponent>");

            if (open >= 0 && close > open)
                site = { site.envelope, open + (int) std::strlen ("<IComponent>"), close };
        }
        else
        {
            site.envelope = chunk.toString();
            const auto key = site.envelope.indexOf ("StateString");
            const auto open = key >= 0 ? site.envelope.indexOfChar (key, '"') : -1;
            const auto close = open >= 0 ? site.envelope.indexOfChar (open + 1, '"') : -1;

            if (close > open)
                site = { site.envelope, open + 1, close };
        }

        return site;
    }

    juce::MemoryBlock ownBlockIn (Format format, const juce::MemoryBlock& chunk)
    {
        const auto site = findPayload (format, chunk);
        juce::MemoryBlock block;

        if (site.start >= 0)
            block.fromBase64Encoding (site.envelope.substring (site.start, site.end).trim());

        return block;
    }

    /** The chunk with the plug-in's own block swapped for the payload, so that the host accepts
        it and hands the payload to the plug-in. */
    juce::MemoryBlock withOwnBlock (Format format, const juce::MemoryBlock& chunk, const juce::MemoryBlock& payload)
    {
        const auto site = findPayload (format, chunk);

        if (site.start < 0)
            return {};

        const auto text = site.envelope.substring (0, site.start) + payload.toBase64Encoding() + site.envelope.substring (site.end);

        if (format == Format::lv2)
            return { text.toRawUTF8(), text.getNumBytesAsUTF8() };

        juce::MemoryBlock result;

        if (const auto xml = juce::parseXML (text))
            juce::AudioProcessor::copyXmlToBinary (*xml, result);

        return result;
    }

    /** The normalised values the plug-in's own block gives the processor itself, so that nothing
        the host keeps beside the block can stand in for it. */
    std::vector<float> valuesInOwnBlock (const juce::MemoryBlock& block)
    {
        CompressorAudioProcessor processor;
        processor.setStateInformation (block.getData(), (int) block.getSize());

        std::vector<float> values;

        for (const auto& setting : settings)
            values.push_back (processor.valueTreeState.getParameter (setting.id)->getValue());

        return values;
    }

    void expectOwnBlockHoldsTheSettings (Format format, const juce::MemoryBlock& chunk)
    {
        const auto block = ownBlockIn (format, chunk);
        ASSERT_GT (block.getSize(), 8u) << "no state of the plug-in's in the host chunk:\n" << chunk.toString();
        EXPECT_EQ (std::memcmp (block.getData(), "VC2!", 4), 0);
        // The length field holds zero bytes, so the text is searched as bytes.
        const auto* begin = static_cast<const char*> (block.getData());
        const std::string tag ("<PARAMETERS");
        EXPECT_NE (std::search (begin, begin + block.getSize(), tag.begin(), tag.end()), begin + block.getSize());

        const auto values = valuesInOwnBlock (block);

        for (size_t i = 0; i < settings.size(); ++i)
            EXPECT_NEAR (values[i], settings[i].normalised, 1e-6) << settings[i].name;
    }

    juce::MemoryBlock randomBytes (int size, int seed)
    {
        juce::Random random (seed);
        juce::MemoryBlock bytes ((size_t) size);

        for (size_t i = 0; i < bytes.getSize(); ++i)
            bytes[i] = (char) random.nextInt (256);

        return bytes;
    }

    /** A "VC2!" header, a length field (by default the text's) and the text. */
    juce::MemoryBlock headedBlock (const juce::MemoryBlock& text, int length = -1)
    {
        juce::MemoryOutputStream out;
        out.write ("VC2!", 4);
        out.writeInt (length >= 0 ? length : (int) text.getSize());
        out << text;
        return out.getMemoryBlock();
    }

    class HostedState : public ::testing::TestWithParam<Format> {};
}

TEST_P (HostedState, RestoresEverySettingIntoANewInstance)
{
    auto original = load (GetParam(), true);
    ASSERT_NE (original, nullptr);
    applySettings (*original);

    const auto expected = readParameters (*original);

    for (size_t i = 0; i < settings.size(); ++i)
        EXPECT_NEAR (expected[i].value, settings[i].normalised, 1e-6) << settings[i].name;

    const auto chunk = saveState (*original);
    expectOwnBlockHoldsTheSettings (GetParam(), chunk);

    // Hosts restore both before and after preparing; JUCE's LV2 host also carries the state
    // through a new instance when prepared.
    for (const auto restoreFirst : { true, false })
    {
        SCOPED_TRACE (restoreFirst ? "restored, then prepared" : "prepared, then restored");
        auto restored = load (GetParam(), ! restoreFirst);
        ASSERT_NE (restored, nullptr);

        restored->setStateInformation (chunk.getData(), (int) chunk.getSize());

        if (restoreFirst)
            restored->prepareToPlay (sampleRate, blockSize);

        settle (*restored);
        expectSameReadings (readParameters (*restored), expected);

        // And the restored copy saves the settings again.
        expectOwnBlockHoldsTheSettings (GetParam(), saveState (*restored));
    }
}

TEST_P (HostedState, IgnoresGarbageStateAndKeepsItsSettings)
{
    auto plugin = load (GetParam(), true);
    ASSERT_NE (plugin, nullptr);
    applySettings (*plugin);

    const auto expected = readParameters (*plugin);
    const auto chunk = saveState (*plugin);
    const auto ownBlock = ownBlockIn (GetParam(), chunk);
    ASSERT_GT (ownBlock.getSize(), 16u);

    juce::MemoryBlock invalidUtf8;
    invalidUtf8.append ("<PARAMETERS \xff\xfe/>", 16);

    // Turned away by the host itself, and, inside an envelope the host accepts, by the plug-in.
    const std::vector<std::pair<const char*, juce::MemoryBlock>> hostChunks {
        { "empty chunk", {} },
        { "64 random bytes", randomBytes (64, 2024) },
        { "the chunk's first half", juce::MemoryBlock (chunk.getData(), chunk.getSize() / 2) },
    };

    const std::vector<std::pair<const char*, juce::MemoryBlock>> ownBlocks {
        { "empty block", {} },
        { "64 random bytes", randomBytes (64, 7) },
        { "the block's first half", juce::MemoryBlock (ownBlock.getData(), ownBlock.getSize() / 2) },
        { "a length past the end", headedBlock (juce::MemoryBlock ("<PARAMETERS", 11), 0x7fffffff) },
        { "invalid UTF-8", headedBlock (invalidUtf8) },
        { "another element", headedBlock (juce::MemoryBlock ("<OTHER topValue=\"0\"/>", 21)) },
    };

    std::vector<std::pair<juce::String, juce::MemoryBlock>> cases;

    for (const auto& [name, bytes] : hostChunks)
        cases.emplace_back (juce::String ("host chunk: ") + name, bytes);

    for (const auto& [name, bytes] : ownBlocks)
    {
        cases.emplace_back (juce::String ("plug-in block: ") + name, withOwnBlock (GetParam(), chunk, bytes));
        ASSERT_FALSE (cases.back().second.isEmpty()) << name;
    }

    for (const auto& [name, bytes] : cases)
    {
        SCOPED_TRACE (name);
        plugin->setStateInformation (bytes.getData(), (int) bytes.getSize());
        settle (*plugin);

        expectSameReadings (readParameters (*plugin), expected);
        expectOwnBlockHoldsTheSettings (GetParam(), saveState (*plugin));
    }

    // The envelope itself works: the original block through it still restores.
    auto fresh = load (GetParam(), true);
    ASSERT_NE (fresh, nullptr);
    const auto rebuilt = withOwnBlock (GetParam(), chunk, ownBlock);
    fresh->setStateInformation (rebuilt.getData(), (int) rebuilt.getSize());
    settle (*fresh);
    expectSameReadings (readParameters (*fresh), expected);
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedState, ::testing::Values (Format::vst3, Format::lv2),
                          [] (const auto& testInfo) { return std::string (host_testing::getFormatName (testInfo.param)); });
