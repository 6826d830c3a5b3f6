#include "HostSignal.h"
#include "HostedPlugins.h"
#include "HostDisplay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <iostream>

using host_testing::Format;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    constexpr juce::uint32 steelblue = 0xff4682b4; // "Vibrato", the default background
    constexpr juce::uint32 goldenrod = 0xffdaa520; // "Staccato"
    constexpr juce::uint32 black = 0xff000000;

    constexpr float vibrato = 0.0f, staccato = 3.0f / 5.0f; // the background choices, normalised

    // In the editor's coordinates: background outside every panel and control.
    const juce::Point<int> backgroundPoints[] { { 5, 5 }, { 795, 300 } };

    // On the knobs' black value arcs, 46 px from each knob's centre (the middle of the 8 px band):
    // the tops of Ceiling (-9 dB) and Threshold (-12 dB), both 24/33 of the way round, and the
    // upper left of Gain (0 dB), half way round. Downlift, at its minimum, has no value arc.
    const juce::Point<int> valueArcPoints[] { { 140, 359 }, { 280, 359 }, { 607, 372 } };
    const juce::Point<int> downliftUpperLeft { 387, 372 };

    /** The maker's address as built; the editor asks it for the newest version as it opens. */
    const juce::URL website { SELVANDRINE_WEBSITE };

    bool websiteIsOnLoopback()
    {
        const auto domain = website.getDomain();
        return domain.startsWith ("127.") || domain == "localhost";
    }

    int websitePort()
    {
        if (website.getPort() > 0)
            return website.getPort();

        return website.getScheme() == "https" ? 443 : 80;
    }

    juce::String hex (juce::uint32 argb)
    {
        return "0x" + juce::String::toHexString ((int) argb).paddedLeft ('0', 8);
    }

    juce::uint32 pixelAt (const juce::Image& image, juce::Point<int> point)
    {
        return image.getPixelAt (point.x, point.y).getARGB();
    }

    /** Every parameter as the host lists it: name, normalised value and text. */
    juce::String describeParameters (juce::AudioProcessor& plugin)
    {
        juce::StringArray lines;

        for (auto* parameter : plugin.getParameters())
            lines.add (parameter->getName (64) + " = " + juce::String (parameter->getValue(), 6)
                       + " (" + parameter->getText (parameter->getValue(), 64) + ")");

        return lines.joinIntoString ("\n");
    }

    juce::MemoryBlock saveState (juce::AudioProcessor& plugin)
    {
        juce::MemoryBlock chunk;
        plugin.getStateInformation (chunk);
        return chunk;
    }

    void runMessageLoopFor (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Runs blocks of a music-like signal through the plug-in on a thread of its own, as a host's
        audio thread does, and counts what came out. */
    class AudioFeeder : private juce::Thread
    {
    public:
        explicit AudioFeeder (juce::AudioPluginInstance& pluginToFeed)
            : juce::Thread ("host audio"),
              plugin (pluginToFeed),
              input (host_testing::makeMusicLikeSignal (2, 187 * blockSize, 11))
        {
            startThread();
        }

        ~AudioFeeder() override
        {
            stopThread (10000);
        }

        struct Counts
        {
            int processed = 0, altered = 0, audible = 0, nonFinite = 0;
        };

        Counts getCounts() const
        {
            return { processed.load(), altered.load(), audible.load(), nonFinite.load() };
        }

    private:
        void run() override
        {
            juce::AudioBuffer<float> block (2, blockSize);
            juce::MidiBuffer midi;
            int start = 0;

            while (! threadShouldExit())
            {
                for (int channel = 0; channel < 2; ++channel)
                    block.copyFrom (channel, 0, input, channel, start, blockSize);

                plugin.processBlock (block, midi);
                midi.clear();
                count (block, start);

                start = (start + blockSize) % input.getNumSamples();
                wait (5);
            }
        }

        void count (const juce::AudioBuffer<float>& output, int start)
        {
            bool finite = true, changed = false;
            float peak = 0.0f;

            for (int channel = 0; channel < 2; ++channel)
            {
                const auto* out = output.getReadPointer (channel);
                const auto* in = input.getReadPointer (channel, start);

                for (int i = 0; i < blockSize; ++i)
                {
                    finite = finite && std::isfinite (out[i]);
                    changed = changed || std::memcmp (out + i, in + i, sizeof (float)) != 0;
                    peak = std::max (peak, std::abs (out[i]));
                }
            }

            nonFinite += finite ? 0 : 1;
            altered += changed ? 1 : 0;
            audible += peak > 1.0e-3f ? 1 : 0;
            ++processed;
        }

        juce::AudioPluginInstance& plugin;
        const juce::AudioBuffer<float> input;
        std::atomic<int> processed { 0 }, altered { 0 }, audible { 0 }, nonFinite { 0 };
    };

    /** A plug-in window as hosts make one: the editor as its content, sized by it and resizable
        only when the editor says so. */
    class HostWindow : public juce::DocumentWindow
    {
    public:
        explicit HostWindow (juce::AudioProcessorEditor* editor)
            : juce::DocumentWindow ("Selvandrine Compressor", juce::Colours::darkgrey, juce::DocumentWindow::closeButton)
        {
            setUsingNativeTitleBar (false);
            setContentOwned (editor, true);
            setResizable (editor->isResizable(), false);
            setTopLeftPosition (40, 40);
            setVisible (true);
        }

        void closeButtonPressed() override {}
    };

    class HostedEditor : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            if (! websiteIsOnLoopback())
                GTEST_SKIP() << "the editor would ask " << SELVANDRINE_WEBSITE
                             << " for its version; configure with -DSELVANDRINE_WEBSITE=https://127.0.0.1:9";

            // The refusal answers the version request at once; a listener could keep it waiting.
            juce::StreamingSocket probe;
            ASSERT_FALSE (probe.connect (website.getDomain(), websitePort(), 2000))
                << "something listens on " << SELVANDRINE_WEBSITE;

            plugin = host_testing::createBuiltPlugin (Format::vst3, sampleRate, blockSize);
            ASSERT_NE (plugin, nullptr);
            plugin->prepareToPlay (sampleRate, blockSize);
            feeder = std::make_unique<AudioFeeder> (*plugin);
        }

        void TearDown() override
        {
            window.reset();
            feeder.reset();

            if (plugin != nullptr)
                plugin->releaseResources();
        }

        /** Opens the editor as a host does, checks the size it reports before and after it is
            shown, and waits for its background to show the colour. */
        juce::Image open (juce::uint32 expectedBackground)
        {
            const auto started = juce::Time::getMillisecondCounterHiRes();
            auto* editor = plugin->createEditorIfNeeded();
            std::cout << "[ figures  ] editor made in "
                      << juce::roundToInt (juce::Time::getMillisecondCounterHiRes() - started) << " ms" << std::endl;

            if (editor == nullptr)
            {
                ADD_FAILURE() << "no editor";
                return {};
            }

            EXPECT_EQ (plugin->getActiveEditor(), editor);
            EXPECT_EQ (editor->getWidth(), 800);
            EXPECT_EQ (editor->getHeight(), 520);

            window = std::make_unique<HostWindow> (editor);
            const auto shot = waitForColour (backgroundPoints[0], expectedBackground);

            EXPECT_EQ (editor->getWidth(), 800);
            EXPECT_EQ (editor->getHeight(), 520);
            EXPECT_EQ (window->getContentComponent(), editor);
            return shot;
        }

        /** Closes the editor as hosts do: the editor goes first, then its window. */
        void close()
        {
            window->clearContentComponent();
            window.reset();
            runMessageLoopFor (300);
            EXPECT_EQ (plugin->getActiveEditor(), nullptr);
        }

        /** Runs the message loop until the captured editor shows the colour at the point, for
            ten seconds at most, and returns the last capture. */
        juce::Image waitForColour (juce::Point<int> point, juce::uint32 argb)
        {
            juce::Image shot;

            for (int attempt = 0; attempt < 200; ++attempt)
            {
                runMessageLoopFor (50);
                shot = host_testing::captureFromScreen (*window->getContentComponent());

                if (shot.isValid() && pixelAt (shot, point) == argb)
                    break;
            }

            return shot;
        }

        /** Audio keeps flowing, the output sound, while the message loop runs for a while. */
        void expectAudioFlows (const char* when)
        {
            SCOPED_TRACE (when);
            const auto before = feeder->getCounts();
            runMessageLoopFor (400);
            const auto after = feeder->getCounts();

            EXPECT_GE (after.processed - before.processed, 10);
            EXPECT_GT (after.altered, before.altered);
            EXPECT_GT (after.audible, before.audible);
            EXPECT_EQ (after.nonFinite, 0);
        }

        void setBackground (float normalised)
        {
            auto* parameter = host_testing::findParameter (*plugin, "BackColor");
            ASSERT_NE (parameter, nullptr);
            parameter->setValue (normalised);
        }

        std::unique_ptr<juce::AudioPluginInstance> plugin;
        std::unique_ptr<AudioFeeder> feeder;
        std::unique_ptr<HostWindow> window;
    };

    void expectEditorPixels (const juce::Image& shot, juce::uint32 background)
    {
        ASSERT_TRUE (shot.isValid()) << "no capture";
        ASSERT_EQ (shot.getWidth(), 800);
        ASSERT_EQ (shot.getHeight(), 520);

        for (const auto point : backgroundPoints)
            EXPECT_EQ (hex (pixelAt (shot, point)), hex (background)) << "background at " << point.toString();

        for (const auto point : valueArcPoints)
            EXPECT_EQ (hex (pixelAt (shot, point)), hex (black)) << "knob's value arc at " << point.toString();

        EXPECT_NE (hex (pixelAt (shot, downliftUpperLeft)), hex (black)) << "Downlift has no value arc up there";
    }
}

TEST_F (HostedEditor, OpensDrawsAndClosesRepeatedlyWhileAudioFlowsLeavingTheSettingsAlone)
{
    expectAudioFlows ("before any editor");

    // The host's background choice shows when the editor opens, and while it is open.
    const struct
    {
        float backgroundWhenOpened;
        juce::uint32 colourWhenOpened;
        float backgroundWhileOpen;
        juce::uint32 colourWhileOpen;
    } rounds[] { { vibrato, steelblue, vibrato, steelblue },
                 { staccato, goldenrod, staccato, goldenrod },
                 { staccato, goldenrod, vibrato, steelblue } };

    int number = 0;

    for (const auto& round : rounds)
    {
        SCOPED_TRACE ("opening " + std::to_string (++number));
        setBackground (round.backgroundWhenOpened);
        runMessageLoopFor (100);

        const auto shot = open (round.colourWhenOpened);
        ASSERT_NE (window, nullptr);
        expectEditorPixels (shot, round.colourWhenOpened);

        if (round.backgroundWhileOpen != round.backgroundWhenOpened)
        {
            setBackground (round.backgroundWhileOpen);
            expectEditorPixels (waitForColour (backgroundPoints[0], round.colourWhileOpen), round.colourWhileOpen);
        }

        expectAudioFlows ("with the editor open");

        // Opening raised the ceiling to 3 dB above the threshold, and the host heard of it.
        auto* ceiling = host_testing::findParameter (*plugin, "Ceiling");
        ASSERT_NE (ceiling, nullptr);
        EXPECT_EQ (ceiling->getText (ceiling->getValue(), 64), "-9.00");

        const auto parametersBefore = describeParameters (*plugin);
        const auto stateBefore = saveState (*plugin);

        close();
        expectAudioFlows ("after the editor closed");

        EXPECT_EQ (describeParameters (*plugin), parametersBefore);
        EXPECT_TRUE (saveState (*plugin) == stateBefore) << "the saved state changed when the editor closed";
    }
}

TEST_F (HostedEditor, KeepsItsSizeWhenTheHostStretchesTheWindow)
{
    const auto shot = open (steelblue);
    ASSERT_NE (window, nullptr);
    expectEditorPixels (shot, steelblue);

    // JUCE's VST3 host reports every editor as fixed in size and learns the truth only when its
    // frame changes size: a resizable editor would be asked to fill the larger frame; this one
    // stays as it is, and the host's frame shows black around it.
    window->setSize (window->getWidth() + 100, window->getHeight() + 80);
    runMessageLoopFor (300);

    auto* frame = window->getContentComponent();
    ASSERT_EQ (frame->getWidth(), 900);
    ASSERT_EQ (frame->getHeight(), 600);

    const auto stretched = waitForColour ({ 850, 300 }, black);
    ASSERT_TRUE (stretched.isValid());

    for (const auto point : backgroundPoints)
        EXPECT_EQ (hex (pixelAt (stretched, point)), hex (steelblue)) << point.toString();

    for (const auto point : { juce::Point<int> { 850, 300 }, juce::Point<int> { 400, 560 }, juce::Point<int> { 895, 595 } })
        EXPECT_EQ (hex (pixelAt (stretched, point)), hex (black)) << point.toString();

    close();
    expectAudioFlows ("after the editor closed");
}
