#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "TransferCurves.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace selvandrine
{
    class ProcessorTick;
}

/**
    The compressor's processing object. The editor reads and writes the shared members below
    directly; everything after them belongs to the audio thread alone.
*/
class CompressorAudioProcessor : public juce::AudioProcessor,
                                 public juce::AudioProcessorValueTreeState::Listener,
                                 public juce::Timer
{
public:
    CompressorAudioProcessor();
    ~CompressorAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    /** The single tick, about a second after construction: refreshes the working copies once.
        The processor's own timer never runs: `tick` calls this, as it outlives the processor. */
    void timerCallback() override;

    /** The store's listener for the six parameters: writes the one matching working copy as the
        refresh does, so that a host's change is heard with or without the editor. */
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    /** Copies the store's current values into the working copies, unchecked. */
    void refreshWorkingCopies();

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    /** Turns the per-block table cache off, so that the benchmark can show what it saves. */
    void setCurveTableCaching (bool shouldCache) noexcept  { curves.setCaching (shouldCache); }
    const selvandrine::TransferCurves& getTransferCurves() const noexcept { return curves; }

    juce::AudioProcessorValueTreeState valueTreeState;

    std::string titleText { "S e l v a n d r i n e   C o m p r e s s o r" };

    // Working copies of the parameters, in decibels.
    std::atomic<float> topDb { 0.0f };
    std::atomic<float> midDb { -3.0f };
    std::atomic<float> lowDb { 0.0f };
    std::atomic<float> gainDb { 0.0f };

    // Levels for the editor, linear amplitude.
    std::atomic<float> envelopeLevel { 1e-20f };
    std::atomic<float> inputLevel { 1e-20f };
    std::atomic<float> outputLevel { 1e-20f };

    // Selector choices as 1-based item ids; only whole values cross threads, so relaxed suffices.
    std::atomic<int> curveModeId { 1 };
    std::atomic<int> backColorId { 1 };

    std::atomic<bool> blockProcessed { false };
    std::atomic<bool> freezeHistory { true };

    int editorWidth = 800;
    int editorHeight = 520;

    // Half-cycle detector state, shared by all channels and carried from block to block.
    // Audio thread only.
    float lastSample = 0.0f;
    float cyclePeak = 0.0f;
    int cycleLength = 0;

private:
    /** The XML of a saved-state block, or nothing when the block cannot be read. */
    static std::unique_ptr<juce::XmlElement> parseStateBlock (const void* data, int sizeInBytes);
    void prepareRestoredTree (juce::ValueTree& restored) const;
    static void keepFirstOfEachProperty (juce::ValueTree& child);

    /** In the LV2 version, has JUCE's client report every parameter's value to the host with its
        next run. Only from threads that LV2 keeps apart from freeing the instance. */
    void reportParametersToLv2Host();

    // The curves with their Bezier table, whose storage comes with the processor so that no
    // block allocates. Audio thread only.
    selvandrine::TransferCurves curves;

    // The output gain's conversion, reused while the Gain working copy keeps its bits.
    std::uint32_t convertedGainDbBits = 0;
    float convertedGain = 1.0f;

    std::unique_ptr<selvandrine::ProcessorTick> tick;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CompressorAudioProcessor)
};
