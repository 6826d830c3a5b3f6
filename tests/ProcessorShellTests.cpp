#include "helpers/MessageLoop.h"
#include "helpers/Parameters.h"
#include "helpers/ProcessorRun.h"
#include "helpers/TickWatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testing_support;
using Set = juce::AudioChannelSet;

TEST (ProcessorShell, DeclaresItsIdentity)
{
    CompressorAudioProcessor p;

    EXPECT_EQ (p.getName(), "Selvandrine Compressor");
    EXPECT_STREQ (JucePlugin_Name, "Selvandrine Compressor");
    EXPECT_STREQ (JucePlugin_Desc, "Selvandrine Dynamic Audio Compressor");
    EXPECT_STREQ (JucePlugin_Manufacturer, "Tarvo Audio");
    EXPECT_EQ (JucePlugin_ManufacturerCode, 0x5441564f); // 'TAVO'
    EXPECT_EQ (JucePlugin_PluginCode, 0x534c5643);       // 'SLVC'
    EXPECT_EQ (JucePlugin_VersionCode, 0x20500);
    EXPECT_STREQ (JucePlugin_VersionString, "2.5.0");
    EXPECT_STREQ (JucePlugin_Vst3Category, "Fx|Dynamics");
    EXPECT_STREQ (JUCE_STRINGIFY (JucePlugin_AAXIdentifier), "com.tarvo.selvandrinecompressorAAX");
    EXPECT_EQ (JucePlugin_IsSynth, 0);
    EXPECT_EQ (JucePlugin_WantsMidiInput, 0);
    EXPECT_EQ (JucePlugin_ProducesMidiOutput, 0);

    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_TRUE (p.hasEditor());
    EXPECT_FALSE (p.supportsDoublePrecisionProcessing());
    EXPECT_EQ (p.getBypassParameter(), nullptr);
    EXPECT_EQ (p.getLatencySamples(), 0);
    EXPECT_EQ (p.titleText, "S e l v a n d r i n e   C o m p r e s s o r");
    EXPECT_EQ (p.titleText.size(), 43u);
    EXPECT_EQ (p.editorWidth, 800);
    EXPECT_EQ (p.editorHeight, 520);
}

TEST (ProcessorShell, HasOneProgramWithNoName)
{
    CompressorAudioProcessor p;

    EXPECT_EQ (p.getNumPrograms(), 1);
    p.setCurrentProgram (5);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    p.changeProgramName (0, "x");

    for (const int index : { -1, 0, 1, 99 })
        EXPECT_TRUE (p.getProgramName (index).isEmpty());
}

TEST (ProcessorShell, ListsSixParametersInHostOrder)
{
    CompressorAudioProcessor p;
    const auto& parameters = p.getParameters();
    ASSERT_EQ (parameters.size(), 6);

    struct Float { const char* id; const char* name; float min, max, def; };
    const Float floats[] = { { "topValue", "Ceiling", -33.0f, 0.0f, -18.0f },
                             { "midValue", "Threshold", -36.0f, -3.0f, -12.0f },
                             { "lowValue", "Downlift", 0.0f, 6.0f, 0.0f },
                             { "gain", "Gain", -12.0f, 12.0f, 0.0f } };

    for (int i = 0; i < 4; ++i)
    {
        auto* f = dynamic_cast<juce::AudioParameterFloat*> (parameters[i]);
        ASSERT_NE (f, nullptr) << i;
        EXPECT_EQ (f->getParameterID(), floats[i].id);
        EXPECT_EQ (f->getName (64), floats[i].name);
        EXPECT_EQ (f->getVersionHint(), 0);
        EXPECT_EQ (f->range.start, floats[i].min);
        EXPECT_EQ (f->range.end, floats[i].max);
        EXPECT_EQ (f->range.interval, 0.01f);
        EXPECT_EQ (f->range.skew, 1.0f);
        EXPECT_FALSE (f->range.symmetricSkew);
        EXPECT_EQ (f->get(), floats[i].def);
        EXPECT_TRUE (f->getLabel().isEmpty());
        EXPECT_EQ (p.valueTreeState.getParameter (floats[i].id), f);
    }

    auto* curve = dynamic_cast<juce::AudioParameterChoice*> (parameters[4]);
    auto* back = dynamic_cast<juce::AudioParameterChoice*> (parameters[5]);
    ASSERT_NE (curve, nullptr);
    ASSERT_NE (back, nullptr);
    EXPECT_EQ (curve->getParameterID(), "curveMode");
    EXPECT_EQ (curve->getName (64), "CurveMode");
    EXPECT_EQ (curve->choices, juce::StringArray ({ "Linear", "Quadratic", "Bezier" }));
    EXPECT_EQ (curve->getIndex(), 1);
    EXPECT_EQ (back->getParameterID(), "backColor");
    EXPECT_EQ (back->getName (64), "BackColor");
    EXPECT_EQ (back->choices, juce::StringArray ({ "Vibrato", "Crescendo", "Rhapsody", "Staccato", "Tremolo", "Arpeggio" }));
    EXPECT_EQ (back->getIndex(), 0);
    EXPECT_EQ (p.valueTreeState.state.getType().toString(), "PARAMETERS");
}

TEST (ProcessorShell, HasStereoInputAndOutputBuses)
{
    CompressorAudioProcessor p;

    ASSERT_EQ (p.getBusCount (true), 1);
    ASSERT_EQ (p.getBusCount (false), 1);
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (p.getBus (true, 0)->getDefaultLayout(), Set::stereo());
    EXPECT_EQ (p.getBus (false, 0)->getDefaultLayout(), Set::stereo());
    EXPECT_TRUE (p.getBus (true, 0)->isEnabledByDefault());
    EXPECT_FALSE (p.canAddBus (true));
    EXPECT_FALSE (p.canRemoveBus (false));
}

TEST (ProcessorShell, AcceptsOnlyMonoToMonoAndStereoToStereo)
{
    CompressorAudioProcessor p;

    auto query = [&p] (std::vector<Set> ins, std::vector<Set> outs)
    {
        juce::AudioProcessor::BusesLayout layout;
        for (auto& s : ins)  layout.inputBuses.add (s);
        for (auto& s : outs) layout.outputBuses.add (s);
        return p.checkBusesLayoutSupported (layout);
    };

    EXPECT_TRUE (query ({ Set::mono() }, { Set::mono() }));
    EXPECT_TRUE (query ({ Set::stereo() }, { Set::stereo() }));
    EXPECT_FALSE (query ({ Set::mono() }, { Set::stereo() }));
    EXPECT_FALSE (query ({ Set::stereo() }, { Set::mono() }));
    EXPECT_FALSE (query ({ Set::disabled() }, { Set::mono() }));
    EXPECT_FALSE (query ({}, { Set::stereo() }));
    EXPECT_FALSE (query ({ Set::stereo() }, { Set::disabled() }));
    EXPECT_FALSE (query ({ Set::stereo() }, {}));
    EXPECT_FALSE (query ({ Set::createLCR() }, { Set::createLCR() }));
    EXPECT_FALSE (query ({ Set::quadraphonic() }, { Set::quadraphonic() }));
}

TEST (ProcessorShell, WorkingCopiesStartApartFromTheDefaultsAndFollowTheRefresh)
{
    CompressorAudioProcessor p;

    EXPECT_EQ (p.topDb.load(), 0.0f);
    EXPECT_EQ (p.midDb.load(), -3.0f);
    EXPECT_EQ (p.lowDb.load(), 0.0f);
    EXPECT_EQ (p.gainDb.load(), 0.0f);
    EXPECT_EQ (p.curveModeId.load(), 1);
    EXPECT_EQ (p.backColorId.load(), 1);
    EXPECT_EQ (p.envelopeLevel.load(), 1e-20f);
    EXPECT_FALSE (p.blockProcessed.load());
    EXPECT_TRUE (p.freezeHistory.load());
    EXPECT_EQ (p.getTransferCurves().getNumTableBuilds(), 0);

    // Any rate and block size: only the parameters matter, and nothing couples Ceiling and Threshold.
    p.prepareToPlay (8000.0, 1);
    EXPECT_EQ (p.topDb.load(), -18.0f);
    EXPECT_EQ (p.midDb.load(), -12.0f);
    EXPECT_EQ (p.curveModeId.load(), 2);
    EXPECT_EQ (p.backColorId.load(), 1);

    auto setChoice = [&p] (const char* id, int index)
    {
        auto* parameter = p.valueTreeState.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 ((float) index));
    };

    for (int index = 0; index < 6; ++index)
    {
        setChoice ("backColor", index);
        setChoice ("curveMode", index % 3);
        p.prepareToPlay (96000.0, 4096);
        EXPECT_EQ (p.backColorId.load(), index + 1);
        EXPECT_EQ (p.curveModeId.load(), index % 3 + 1);
    }
}

TEST (ProcessorShell, AHostChangeWritesItsOneWorkingCopyAtOnceAndUncoupled)
{
    CompressorAudioProcessor p;
    const auto copies = [&p]
    {
        return std::vector<float> { p.topDb.load(), p.midDb.load(), p.lowDb.load(), p.gainDb.load(),
                                    (float) p.curveModeId.load(), (float) p.backColorId.load() };
    };

    // Each row: the parameter, its new value, and every working copy afterwards.
    const struct { const char* id; float value; std::vector<float> after; } rows[] = {
        { "topValue", -20.0f, { -20.0f, -3.0f, 0.0f, 0.0f, 1.0f, 1.0f } },
        { "midValue", -10.0f, { -20.0f, -10.0f, 0.0f, 0.0f, 1.0f, 1.0f } },
        { "lowValue", 4.5f, { -20.0f, -10.0f, 4.5f, 0.0f, 1.0f, 1.0f } },
        { "gain", -6.25f, { -20.0f, -10.0f, 4.5f, -6.25f, 1.0f, 1.0f } },
        { "curveMode", 2.0f, { -20.0f, -10.0f, 4.5f, -6.25f, 3.0f, 1.0f } },
        { "backColor", 5.0f, { -20.0f, -10.0f, 4.5f, -6.25f, 3.0f, 6.0f } },
        { "curveMode", 0.0f, { -20.0f, -10.0f, 4.5f, -6.25f, 1.0f, 6.0f } },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.id);
        setParameter (p, row.id, row.value);
        EXPECT_EQ (copies(), row.after);
    }

    p.parameterChanged ("Gain", 5.0f);
    EXPECT_EQ (copies(), rows[std::size (rows) - 1].after);
}

TEST (ProcessorShell, TimerRefreshesOnceAboutASecondAfterConstruction)
{
    const TickWatch ticks;
    CompressorAudioProcessor p;

    runMessageLoopFor (700);
    EXPECT_EQ (p.topDb.load(), 0.0f);

    runMessageLoopFor (600);
    EXPECT_EQ (p.topDb.load(), -18.0f);
    EXPECT_EQ (p.curveModeId.load(), 2);

    runMessageLoopFor (1100);
    EXPECT_EQ (ticks.bodies(), 1);
}

TEST (ProcessorShell, AnInstanceDeletedBeforeItsTickReleasesCleanly)
{
    const TickWatch ticks;
    std::make_unique<CompressorAudioProcessor>().reset();
    runMessageLoopFor (1100);
    EXPECT_EQ (ticks.bodies(), 0);
}

namespace
{
    // A tick held open until the instance's deletion on another thread has begun.
    std::atomic<bool> tickEntered { false }, deletionStarted { false }, deleted { false }, deletedDuringTick { false };

    struct ProcessorWithHeldTick : public CompressorAudioProcessor
    {
        void timerCallback() override
        {
            tickEntered = true;

            while (! deletionStarted)
                juce::Thread::sleep (1);

            juce::Thread::sleep (200);
            deletedDuringTick = deleted.load();
            CompressorAudioProcessor::timerCallback();
        }
    };
}

// As an LV2 host does: the instance is deleted on the host's thread while its tick runs on the
// message thread. The deletion must wait for the tick (AddressSanitizer sees the tick touch freed
// memory otherwise).
TEST (ProcessorShell, ADeletionOnAnotherThreadWaitsForATickThatHasBegun)
{
    auto* processor = new ProcessorWithHeldTick();

    std::thread host ([processor]
    {
        while (! tickEntered)
            juce::Thread::sleep (1);

        deletionStarted = true;
        delete processor;
        deleted = true;
    });

    for (int i = 0; i < 300 && ! deleted; ++i)
        runMessageLoopFor (10);

    host.join();
    EXPECT_TRUE (tickEntered);
    EXPECT_FALSE (deletedDuringTick);
}
