#include "helpers/EditorFixture.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorRun.h"
#include "helpers/Parameters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testing_support;

namespace
{
    /** Calls processBlock on a thread of its own, block after block, until it is destroyed. */
    class AudioThread
    {
    public:
        /** With `automateGain` the thread also sets "gain" before every block, as a host's
            automation arrives on the audio thread. */
        explicit AudioThread (CompressorAudioProcessor& p, bool automateGain = false)
            : automate (automateGain), thread ([this, &p] { run (p); })
        {
        }

        ~AudioThread()
        {
            running = false;
            thread.join();
        }

        int getBlocks() const         { return blocks.load(); }
        bool allOutputFinite() const  { return finite.load(); }

    private:
        void run (CompressorAudioProcessor& p)
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            const auto signal = musicLike (256, 11);

            while (running.load())
            {
                for (int c = 0; c < 2; ++c)
                    buffer.copyFrom (c, 0, signal.data(), 256);

                if (automate)
                    setParameter (p, "gain", (float) (blocks.load() % 25) - 12.0f);

                p.processBlock (buffer, midi);

                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < 256; ++i)
                        if (! std::isfinite (buffer.getSample (c, i)))
                            finite = false;

                blocks.fetch_add (1);
            }
        }

        const bool automate;
        std::atomic<bool> running { true }, finite { true };
        std::atomic<int> blocks { 0 };
        std::thread thread;
    };

    /** Runs the message loop until the thread has finished its work. */
    void runMessageLoopUntil (const std::atomic<bool>& done)
    {
        while (! done.load())
            runMessageLoopFor (5);
    }
}

TEST_F (EditorFixture, ThreadsOpenAndCloseTheEditorWhileAudioRunsAndTheHostAutomates)
{
    prepare (processor, 2, 256);
    const AudioThread audio (processor, true);
    std::atomic<bool> stop { false };

    std::thread host ([&]
    {
        for (int i = 0; ! stop.load(); ++i)
        {
            setParameter (processor, "lowValue", (float) (i % 7));
            setParameter (processor, "curveMode", (float) (i % 3));
            setParameter (processor, "backColor", (float) (i % 6));
        }
    });

    for (int i = 0; i < 12; ++i)
    {
        auto editor = openEditor();
        editor->ceilingSlider.setValue (-3.0 - i, juce::sendNotificationSync);
        editor->curveModeSelector.setSelectedId (1 + i % 3, juce::sendNotificationSync);
        runMessageLoopFor (40);

        juce::Image image (juce::Image::ARGB, 800, 520, true);
        juce::Graphics g (image);
        editor->paint (g);
    }

    stop = true;
    host.join();

    EXPECT_GT (audio.getBlocks(), 12);
    EXPECT_TRUE (audio.allOutputFinite());
    EXPECT_TRUE (std::isfinite (processor.envelopeLevel.load()));
}

TEST_F (EditorFixture, ThreadsHostChangesParametersWhileAudioRunsAndTheEditorFollows)
{
    prepare (processor, 2, 256);
    auto editor = openEditor();
    runMessageLoopFor (50);

    const AudioThread audio (processor);
    std::atomic<bool> done { false };

    // Ceiling and Threshold stay at least 3 dB apart, so the editor never moves one of them back.
    std::thread host ([&]
    {
        for (int i = 0; i < 300; ++i)
        {
            setParameter (processor, "topValue", -6.0f - (float) (i % 4));
            setParameter (processor, "midValue", -20.0f - (float) (i % 16));
            setParameter (processor, "lowValue", (float) (i % 7));
            setParameter (processor, "gain", (float) (i % 25) - 12.0f);
            setParameter (processor, "curveMode", (float) (i % 3));
            setParameter (processor, "backColor", (float) (i % 6));
        }

        setParameter (processor, "topValue", -7.5f);
        setParameter (processor, "midValue", -21.25f);
        setParameter (processor, "lowValue", 2.5f);
        setParameter (processor, "gain", -4.5f);
        setParameter (processor, "curveMode", 0.0f);
        setParameter (processor, "backColor", 4.0f);
        done = true;
    });

    runMessageLoopUntil (done);
    host.join();
    runMessageLoopFor (100);

    EXPECT_EQ (editor->ceilingSlider.getValue(), -7.5);
    EXPECT_EQ (editor->thresholdSlider.getValue(), -21.25);
    EXPECT_EQ (editor->curveModeSelector.getSelectedId(), 1);
    EXPECT_EQ (editor->backgroundSelector.getSelectedId(), 5);
    EXPECT_EQ (processor.topDb.load(), -7.5f);
    EXPECT_EQ (processor.midDb.load(), -21.25f);
    EXPECT_EQ (processor.lowDb.load(), 2.5f);
    EXPECT_EQ (processor.gainDb.load(), -4.5f);
    EXPECT_EQ (processor.curveModeId.load(), 1);
    EXPECT_EQ (processor.backColorId.load(), 5);
    EXPECT_EQ (parameter (processor, "topValue"), -7.5f);

    EXPECT_GT (audio.getBlocks(), 0);
    EXPECT_TRUE (audio.allOutputFinite());
}

TEST_F (EditorFixture, ThreadsSaveAndRestoreTheStateWhileAudioRunsAndTheEditorIsOpen)
{
    // Two saved settings, each with Ceiling at least 3 dB above Threshold.
    const auto savedWith = [] (float top, float mid, float low, float gain, float mode)
    {
        CompressorAudioProcessor source;
        setParameter (source, "topValue", top);
        setParameter (source, "midValue", mid);
        setParameter (source, "lowValue", low);
        setParameter (source, "gain", gain);
        setParameter (source, "curveMode", mode);
        juce::MemoryBlock block;
        source.getStateInformation (block);
        return block;
    };

    const juce::MemoryBlock blocks[] = { savedWith (-4.0f, -30.0f, 5.0f, 9.5f, 0.0f),
                                         savedWith (-15.25f, -18.5f, 1.0f, -3.0f, 2.0f) };

    prepare (processor, 2, 256);
    auto editor = openEditor();
    runMessageLoopFor (50);

    const AudioThread audio (processor);
    std::atomic<bool> done { false };
    std::atomic<int> mismatches { 0 };

    std::thread state ([&]
    {
        for (int i = 0; i < 201; ++i)
        {
            const auto& block = blocks[i % 2];
            processor.setStateInformation (block.getData(), (int) block.getSize());

            juce::MemoryBlock saved;
            processor.getStateInformation (saved);

            if (saved != block)
                mismatches.fetch_add (1);
        }

        done = true;
    });

    runMessageLoopUntil (done);
    state.join();
    runMessageLoopFor (100);

    EXPECT_EQ (mismatches.load(), 0);

    // The last restore was the first block; the open editor has brought the working copies to it.
    EXPECT_EQ (editor->ceilingSlider.getValue(), -4.0);
    EXPECT_EQ (processor.topDb.load(), -4.0f);
    EXPECT_EQ (processor.midDb.load(), -30.0f);
    EXPECT_EQ (processor.lowDb.load(), 5.0f);
    EXPECT_EQ (processor.gainDb.load(), 9.5f);
    EXPECT_EQ (processor.curveModeId.load(), 1);

    EXPECT_GT (audio.getBlocks(), 0);
    EXPECT_TRUE (audio.allOutputFinite());
}
