// The host benchmark's floor: a plug-in built like the compressor whose processBlock does nothing,
// so its cost per block is that of the host and JUCE's format wrapper alone.

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
    class PassThroughProcessor : public juce::AudioProcessor
    {
    public:
        PassThroughProcessor()
            : AudioProcessor (BusesProperties()
                                  .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                  .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
        {
        }

        const juce::String getName() const override { return JucePlugin_Name; }

        void prepareToPlay (double, int) override {}
        void releaseResources() override {}
        void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
        using juce::AudioProcessor::processBlock;

        double getTailLengthSeconds() const override { return 0.0; }
        bool acceptsMidi() const override { return false; }
        bool producesMidi() const override { return false; }
        bool isMidiEffect() const override { return false; }

        juce::AudioProcessorEditor* createEditor() override { return nullptr; }
        bool hasEditor() const override { return false; }

        int getNumPrograms() override { return 1; }
        int getCurrentProgram() override { return 0; }
        void setCurrentProgram (int) override {}
        const juce::String getProgramName (int) override { return {}; }
        void changeProgramName (int, const juce::String&) override {}

        void getStateInformation (juce::MemoryBlock&) override {}
        void setStateInformation (const void*, int) override {}

        bool isBusesLayoutSupported (const BusesLayout& layouts) const override
        {
            const auto output = layouts.getMainOutputChannelSet();

            if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
                return false;

            return layouts.getMainInputChannelSet() == output;
        }

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PassThroughProcessor)
    };
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new PassThroughProcessor();
}
