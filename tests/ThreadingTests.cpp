#include "helpers/EditorFixture.h"
#include "helpers/MessageLoop.h"
#include "helpers/ProcessorRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testing_support;

TEST_F (EditorFixture, ThreadsOpenAndCloseTheEditorWhileAudioRuns)
{
    prepare (processor, 2, 256);
    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        const auto signal = musicLike (256, 11);

        while (running.load())
        {
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom (c, 0, signal.data(), 256);

            processor.processBlock (buffer, midi);
            blocks.fetch_add (1);
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

    running = false;
    audio.join();

    EXPECT_GT (blocks.load(), 12);
    EXPECT_TRUE (std::isfinite (processor.envelopeLevel.load()));
}
