#include "HostSignal.h"
#include "HostedPlugins.h"
#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using host_testing::Format;
using host_testing::Setting;
using host_testing::settingsWithCurveMode;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int maximumBlockSize = 512;

    // A host hands an LV2 its parameter values with the first run, after JUCE's LV2 client has
    // prepared the processor at instantiation (JUCE's LV2 host makes a new instance in every
    // prepareToPlay); the processor's listener takes them up there. So every processor first
    // gets one silent block.

    juce::AudioBuffer<float> processInBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float> audio,
                                              const std::vector<int>& blockSizes)
    {
        juce::MidiBuffer midi;
        size_t next = 0;

        for (int start = 0; start < audio.getNumSamples();)
        {
            const auto size = std::min (blockSizes[next++ % blockSizes.size()], audio.getNumSamples() - start);
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), audio.getNumChannels(), start, size);
            processor.processBlock (block, midi);
            midi.clear();
            start += size;
        }

        return audio;
    }

    void processSilence (juce::AudioProcessor& processor, int numChannels)
    {
        juce::AudioBuffer<float> silence (numChannels, 64);
        silence.clear();
        processInBlocks (processor, silence, { 64 });
    }

    /** The in-process processor, set through its own parameter objects, prepared and primed. */
    std::unique_ptr<CompressorAudioProcessor> makeReference (int numChannels, const std::vector<Setting>& settings)
    {
        auto processor = std::make_unique<CompressorAudioProcessor>();
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        EXPECT_TRUE (processor->setBusesLayout (host_testing::makeLayout (set, set)));

        for (const auto& setting : settings)
            processor->valueTreeState.getParameter (setting.id)->setValueNotifyingHost (setting.normalised);

        processor->prepareToPlay (sampleRate, maximumBlockSize);
        processSilence (*processor, numChannels);
        return processor;
    }

    /** The built plug-in as a host runs it: layout, parameters by name through the host's
        parameter objects, prepare, first block. */
    std::unique_ptr<juce::AudioPluginInstance> makeHosted (Format format, int numChannels, const std::vector<Setting>& settings)
    {
        auto plugin = host_testing::createBuiltPlugin (format, sampleRate, maximumBlockSize);

        if (plugin == nullptr)
            return {};

        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        EXPECT_TRUE (plugin->setBusesLayout (host_testing::makeLayout (set, set)));

        for (const auto& setting : settings)
        {
            auto* parameter = host_testing::findParameter (*plugin, setting.name);
            EXPECT_NE (parameter, nullptr) << setting.name;

            if (parameter != nullptr)
                parameter->setValue (setting.normalised);
        }

        plugin->prepareToPlay (sampleRate, maximumBlockSize);
        processSilence (*plugin, numChannels);
        return plugin;
    }

    struct HostedRun
    {
        Format format;
        int numChannels;
        std::vector<int> blockSizes;

        std::unique_ptr<juce::AudioPluginInstance> hosted;
        std::unique_ptr<CompressorAudioProcessor> reference;

        juce::String describe() const
        {
            juce::StringArray sizes;
            for (auto size : blockSizes)
                sizes.add (juce::String (size));

            return juce::String (host_testing::getFormatName (format)) + (numChannels == 1 ? " mono" : " stereo")
                   + ", blocks of " + sizes.joinIntoString ("/");
        }
    };

    class HostedOutput : public ::testing::TestWithParam<int> {};

    class HostedChange : public ::testing::TestWithParam<Format> {};

    /** The RMS of the last of `count` blocks of a steady 0.5 sine, run through the plug-in. */
    float steadyLevel (juce::AudioProcessor& plugin, int count)
    {
        juce::AudioBuffer<float> block (2, maximumBlockSize);
        juce::MidiBuffer midi;

        for (int i = 0; i < count; ++i)
        {
            for (int frame = 0; frame < maximumBlockSize; ++frame)
                for (int channel = 0; channel < 2; ++channel)
                    block.setSample (channel, frame, 0.5f * std::sin ((float) frame * juce::MathConstants<float>::twoPi / 64.0f));

            plugin.processBlock (block, midi);
        }

        return block.getRMSLevel (0, 0, maximumBlockSize);
    }
}

TEST_P (HostedOutput, MatchesTheProcessorBitForBit)
{
    const auto settings = settingsWithCurveMode (GetParam());
    const std::vector<std::vector<int>> schedules { { 1 }, { 32 }, { 512 }, { 441 }, { 1, 32, 512, 441, 7, 300 } };

    std::vector<HostedRun> runs;

    for (const auto format : { Format::vst3, Format::lv2 })
        for (const auto& schedule : schedules)
            runs.push_back ({ format, 2, schedule, {}, {} });

    // Mono is offered by the VST3 only.
    runs.push_back ({ Format::vst3, 1, { 441 }, {}, {} });
    runs.push_back ({ Format::vst3, 1, schedules.back(), {}, {} });

    for (auto& run : runs)
    {
        run.reference = makeReference (run.numChannels, settings);
        run.hosted = makeHosted (run.format, run.numChannels, settings);
        ASSERT_NE (run.hosted, nullptr);
    }

    const auto stereoInput = host_testing::makeMusicLikeSignal (2, 96000, 2024);
    const auto monoInput = host_testing::makeMusicLikeSignal (1, 96000, 2024);

    for (auto& run : runs)
    {
        SCOPED_TRACE (run.describe());
        const auto& input = run.numChannels == 1 ? monoInput : stereoInput;
        const auto expected = processInBlocks (*run.reference, input, run.blockSizes);
        const auto actual = processInBlocks (*run.hosted, input, run.blockSizes);

        EXPECT_TRUE (host_testing::sameBits (expected, actual)) << "first difference at " << host_testing::firstDifference (expected, actual);
    }

    // The settings matter: with the defaults the processor gives other bits, so the hosted copies
    // above must have taken the settings up.
    auto withDefaults = makeReference (2, {});
    const auto defaultOutput = processInBlocks (*withDefaults, stereoInput, schedules.back());
    auto withSettings = makeReference (2, settings);
    EXPECT_FALSE (host_testing::sameBits (defaultOutput, processInBlocks (*withSettings, stereoInput, schedules.back())));
}

// After the processor's one tick, with no editor: what the host sets or restores is heard in the
// very next block.
TEST_P (HostedChange, AHostsChangeAndARestoredStateAreHeardInTheNextBlock)
{
    auto plugin = makeHosted (GetParam(), 2, {});
    ASSERT_NE (plugin, nullptr);
    juce::Thread::sleep (1200);

    const auto before = steadyLevel (*plugin, 40);
    juce::MemoryBlock saved;
    plugin->getStateInformation (saved);

    host_testing::findParameter (*plugin, "Gain")->setValue (0.75f); // +6 dB
    EXPECT_NEAR (steadyLevel (*plugin, 1) / before, juce::Decibels::decibelsToGain (6.0f), 1e-3f);

    plugin->setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_NEAR (steadyLevel (*plugin, 1) / before, 1.0f, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedChange, ::testing::Values (Format::vst3, Format::lv2),
                          [] (const auto& testInfo) { return std::string (host_testing::getFormatName (testInfo.param)); });

INSTANTIATE_TEST_SUITE_P (CurveModes, HostedOutput, ::testing::Values (0, 1, 2),
                          [] (const auto& testInfo) { return std::string (testInfo.param == 0 ? "Linear" : testInfo.param == 1 ? "Quadratic" : "Bezier"); });
