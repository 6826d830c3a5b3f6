#include "HostedPlugins.h"

#include <gtest/gtest.h>

#include <vector>

using host_testing::Format;

namespace
{
    using Set = juce::AudioChannelSet;

    class HostedPlugin : public ::testing::TestWithParam<Format>
    {
    protected:
        void SetUp() override
        {
            plugin = host_testing::createBuiltPlugin (GetParam(), 48000.0, 512);
            ASSERT_NE (plugin, nullptr);
        }

        bool supports (const Set& input, const Set& output) const
        {
            return plugin->checkBusesLayoutSupported (host_testing::makeLayout (input, output));
        }

        bool isVst3() const { return GetParam() == Format::vst3; }

        std::unique_ptr<juce::AudioPluginInstance> plugin;
    };

    struct ExpectedParameter
    {
        const char* name;
        const char* id;           // the processor's parameter id
        const char* vst3Tag;      // the VST3 parameter id hosts store automation under
        float minimum, maximum, defaultValue;
        juce::StringArray choices;
    };

    const std::vector<ExpectedParameter> compressorParameters {
        { "Ceiling",   "topValue",  "1172598044", -33.0f,  0.0f, -18.0f, {} },
        { "Threshold", "midValue",  "484222985",  -36.0f, -3.0f, -12.0f, {} },
        { "Downlift",  "lowValue",  "315421309",    0.0f,  6.0f,   0.0f, {} },
        { "Gain",      "gain",      "3165055",    -12.0f, 12.0f,   0.0f, {} },
        { "CurveMode", "curveMode", "771137330",    0.0f,  2.0f,   1.0f, { "Linear", "Quadratic", "Bezier" } },
        { "BackColor", "backColor", "1309160124",   0.0f,  5.0f,   0.0f, { "Vibrato", "Crescendo", "Rhapsody", "Staccato", "Tremolo", "Arpeggio" } },
    };

    juce::String hostedId (const juce::AudioProcessorParameter& parameter)
    {
        const auto* hosted = dynamic_cast<const juce::HostedAudioProcessorParameter*> (&parameter);
        return hosted != nullptr ? hosted->getParameterID() : juce::String();
    }
}

TEST_P (HostedPlugin, IsDescribedAsTheBuiltCompressor)
{
    const auto found = host_testing::findBuiltPlugin (GetParam());
    ASSERT_EQ (found.size(), 1u);
    const auto& description = found.front();

    EXPECT_EQ (description.name, "Selvandrine Compressor");
    EXPECT_EQ (description.manufacturerName, "Tarvo Audio");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);

    if (isVst3())
    {
        EXPECT_EQ (description.version, "2.5.0");
        EXPECT_EQ (description.category, "Fx|Dynamics");
        // Derived from the manufacturer and plug-in codes; hosts keep sessions under it.
        EXPECT_EQ (description.uniqueId, -711074978);
    }
    else
    {
        // JUCE's LV2 host reads no version. The class is the one added to the bundle after the
        // build; without it a host would file the plug-in under plain "Plugin".
        EXPECT_EQ (description.version, "");
        EXPECT_EQ (description.category, "Compressor Plugin");
        EXPECT_EQ (description.fileOrIdentifier, SELVANDRINE_LV2_URI);
    }

    // The binary that answered is the one just built, not a copy installed somewhere else.
    const auto bundle = juce::String (isVst3() ? SELVANDRINE_VST3_BUNDLE : SELVANDRINE_LV2_BUNDLE);
    const auto mapped = host_testing::findMappedLibraries (isVst3() ? "Selvandrine Compressor.so" : "libSelvandrine Compressor.so");
    ASSERT_EQ (mapped.size(), 1) << mapped.joinIntoString ("\n");
    EXPECT_TRUE (mapped[0].startsWith (bundle + "/")) << mapped[0];
}

TEST_P (HostedPlugin, HasOneStereoBusEachWayAndAcceptsOnlyMatchingMonoOrStereo)
{
    ASSERT_EQ (plugin->getBusCount (true), 1);
    ASSERT_EQ (plugin->getBusCount (false), 1);

    for (const auto isInput : { true, false })
    {
        const auto* bus = plugin->getBus (isInput, 0);
        EXPECT_EQ (bus->getName(), isInput ? "Input" : "Output");
        EXPECT_EQ (bus->getDefaultLayout(), Set::stereo());
        EXPECT_EQ (bus->getCurrentLayout(), Set::stereo());
    }

    EXPECT_TRUE (supports (Set::stereo(), Set::stereo()));
    // JUCE's LV2 client writes the ports of the default layout only, so LV2 hosts get stereo alone.
    EXPECT_EQ (supports (Set::mono(), Set::mono()), isVst3());

    EXPECT_FALSE (supports (Set::mono(), Set::stereo()));
    EXPECT_FALSE (supports (Set::stereo(), Set::mono()));
    EXPECT_FALSE (supports (Set::createLCR(), Set::createLCR()));
    EXPECT_FALSE (supports (Set::quadraphonic(), Set::quadraphonic()));
}

TEST_P (HostedPlugin, ListsTheParametersWithTheirRangesDefaultsAndChoices)
{
    const auto& parameters = plugin->getParameters();
    ASSERT_EQ (parameters.size(), 7);

    // The wrappers add a host bypass, the processor having none: JUCE's VST3 client after the
    // six, JUCE's LV2 client as the lv2:enabled port, which JUCE's LV2 host lists first. That
    // host lists the parameters in the order of their URIs, that is of their ids.
    const auto bypassIndex = isVst3() ? 6 : 0;
    const std::vector<int> order = isVst3() ? std::vector<int> { 0, 1, 2, 3, 4, 5 }
                                            : std::vector<int> { 5, 4, 3, 2, 1, 0 };

    for (size_t i = 0; i < order.size(); ++i)
    {
        const auto& expected = compressorParameters[(size_t) order[i]];
        auto* parameter = parameters[isVst3() ? (int) i : (int) i + 1];
        SCOPED_TRACE (expected.name);

        EXPECT_EQ (parameter->getName (256), expected.name);
        EXPECT_EQ (hostedId (*parameter), isVst3() ? juce::String (expected.vst3Tag)
                                                   : "des:" SELVANDRINE_LV2_URI ":" + juce::String (expected.id));

        const auto span = expected.maximum - expected.minimum;
        const auto defaultNormalised = (expected.defaultValue - expected.minimum) / span;
        EXPECT_NEAR (parameter->getDefaultValue(), defaultNormalised, 1e-6);
        EXPECT_NEAR (parameter->getValue(), defaultNormalised, 1e-6);

        if (expected.choices.isEmpty())
        {
            // VST3 hosts get the processor's text, two places for the 0.01 step; LV2 hosts
            // format the plain value themselves.
            const auto text = [&] (float plain) { return isVst3() ? juce::String (plain, 2) : juce::String (plain); };
            EXPECT_EQ (parameter->getText (defaultNormalised, 64), text (expected.defaultValue));
            EXPECT_EQ (parameter->getText (0.0f, 64), text (expected.minimum));
            EXPECT_EQ (parameter->getText (1.0f, 64), text (expected.maximum));
            EXPECT_FALSE (parameter->isDiscrete());
            continue;
        }

        const auto numChoices = expected.choices.size();
        EXPECT_TRUE (parameter->isDiscrete());
        EXPECT_EQ (parameter->getNumSteps(), numChoices);

        juce::StringArray texts, indices;
        for (int index = 0; index < numChoices; ++index)
        {
            texts.add (parameter->getText ((float) index / (float) (numChoices - 1), 64));
            indices.add (juce::String (index));
        }

        // JUCE's LV2 host names choices only for lv2:portProperty lv2:enumeration, which LV2 gives
        // to ports alone; the bundle describes a choice as an integer with named scale points (see
        // Lv2Bundle.DescribesUnitsAndChoicesAsHostsReadThem), so this host steps through indices.
        EXPECT_EQ (texts, isVst3() ? expected.choices : indices);
    }

    auto* bypass = parameters[bypassIndex];
    EXPECT_EQ (plugin->getBypassParameter(), bypass);
    EXPECT_EQ (bypass->getName (256), "Bypass");
    EXPECT_EQ (hostedId (*bypass), isVst3() ? "1652125811" : "sym:enabled");
    EXPECT_EQ (bypass->getDefaultValue(), 0.0f);
    EXPECT_EQ (bypass->getNumSteps(), 2);
    EXPECT_EQ (bypass->getText (0.0f, 64), "Off");
    EXPECT_EQ (bypass->getText (1.0f, 64), "On");
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedPlugin, ::testing::Values (Format::vst3, Format::lv2),
                          [] (const auto& testInfo) { return std::string (host_testing::getFormatName (testInfo.param)); });

namespace
{
    struct PortSummary
    {
        juce::String name;
        bool isInput = false;
    };

    /** The audio ports in lv2info's listing, in port order. */
    std::vector<PortSummary> audioPortsIn (const juce::String& listing)
    {
        std::vector<PortSummary> ports;
        auto blocks = juce::StringArray::fromTokens (listing, "\n", "");

        PortSummary current;
        bool inPort = false, isAudio = false;

        const auto finish = [&]
        {
            if (inPort && isAudio)
                ports.push_back (current);
        };

        for (const auto& rawLine : blocks)
        {
            const auto line = rawLine.trim();

            if (line.startsWith ("Port ") && line.endsWith (":"))
            {
                finish();
                current = {};
                inPort = true;
                isAudio = false;
            }
            else if (inPort && line.startsWith ("Name:"))
                current.name = line.fromFirstOccurrenceOf (":", false, false).trim();

            if (inPort && line.contains ("lv2core#AudioPort"))
                isAudio = true;

            if (inPort && line.contains ("lv2core#InputPort"))
                current.isInput = true;
        }

        finish();
        return ports;
    }

    juce::String fieldOf (const juce::String& listing, const juce::String& field)
    {
        for (const auto& line : juce::StringArray::fromLines (listing))
            if (line.trim().startsWith (field + ":"))
                return line.fromFirstOccurrenceOf (":", false, false).trim();

        return {};
    }
}

TEST (Lv2Bundle, ReadsInLv2infoAsACompressorWithFourAudioPorts)
{
    // The built bundle's folder only, and the system's LV2 core bundles that name the classes.
    const auto searchPath = juce::File (SELVANDRINE_LV2_BUNDLE).getParentDirectory().getFullPathName() + ":/usr/lib/lv2";

    juce::ChildProcess lv2info;
    ASSERT_TRUE (lv2info.start (juce::StringArray { "env", "LV2_PATH=" + searchPath, "lv2info", SELVANDRINE_LV2_URI }));
    const auto listing = lv2info.readAllProcessOutput();
    ASSERT_TRUE (lv2info.waitForProcessToFinish (30000));
    ASSERT_EQ (lv2info.getExitCode(), 0u) << "lv2info (package lilv-utils) failed:\n" << listing;

    EXPECT_EQ (fieldOf (listing, "Name"), "Selvandrine Compressor");
    EXPECT_EQ (fieldOf (listing, "Class"), "Compressor Plugin");
    // The build sets no e-mail; JUCE's empty <> would name the description file itself.
    EXPECT_EQ (fieldOf (listing, "Author Email"), "");

    const auto ports = audioPortsIn (listing);
    ASSERT_EQ (ports.size(), 4u) << listing;

    const std::vector<std::pair<juce::String, bool>> expected {
        { "Audio In 1", true }, { "Audio In 2", true }, { "Audio Out 1", false }, { "Audio Out 2", false }
    };

    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (ports[i].name, expected[i].first);
        EXPECT_EQ (ports[i].isInput, expected[i].second) << ports[i].name;
    }
}

namespace
{
    struct Triple
    {
        juce::String subject, predicate, object;
    };

    /** A Turtle file's statements as sordi (package sordi) writes them in N-Triples. */
    std::vector<Triple> readTriples (const juce::File& turtle)
    {
        juce::ChildProcess sordi;
        std::vector<Triple> triples;

        if (! sordi.start (juce::StringArray { "sordi", "-o", "ntriples", turtle.getFullPathName() }))
            return triples;

        for (const auto& line : juce::StringArray::fromLines (sordi.readAllProcessOutput()))
        {
            const auto predicate = line.indexOfChar (' ') + 1;
            const auto object = line.indexOfChar (predicate, ' ') + 1;

            if (predicate > 0 && object > 0 && line.endsWith (" ."))
                triples.push_back ({ line.substring (0, predicate - 1), line.substring (predicate, object - 1),
                                     line.substring (object, line.length() - 2) });
        }

        return triples;
    }

    juce::StringArray objectsOf (const std::vector<Triple>& triples, const juce::String& subject, const juce::String& predicate)
    {
        juce::StringArray objects;
        for (const auto& triple : triples)
            if (triple.subject == subject && triple.predicate == predicate)
                objects.add (triple.object);

        return objects;
    }
}

TEST (Lv2Bundle, DescribesUnitsAndChoicesAsHostsReadThem)
{
    const auto triples = readTriples (juce::File (SELVANDRINE_LV2_BUNDLE).getChildFile ("dsp.ttl"));
    ASSERT_FALSE (triples.empty()) << "sordi (package sordi) read nothing";

    const juce::String lv2 = "<http://lv2plug.in/ns/lv2core#", atom = "<http://lv2plug.in/ns/ext/atom#",
                       units = "<http://lv2plug.in/ns/extensions/units#", integer = "\"^^<http://www.w3.org/2001/XMLSchema#integer>";

    for (const auto& expected : compressorParameters)
    {
        SCOPED_TRACE (expected.name);
        const auto subject = "<" SELVANDRINE_LV2_URI ":" + juce::String (expected.id) + ">";
        const auto isChoice = ! expected.choices.isEmpty();

        EXPECT_EQ (objectsOf (triples, subject, units + "unit>"), isChoice ? juce::StringArray() : juce::StringArray { units + "db>" });
        EXPECT_EQ (objectsOf (triples, subject, "<http://www.w3.org/2000/01/rdf-schema#range>"),
                   juce::StringArray { atom + (isChoice ? "Int>" : "Float>") });
        EXPECT_EQ (objectsOf (triples, subject, lv2 + "portProperty>"), juce::StringArray());

        // Each choice's name at its index, the value hosts send.
        juce::StringArray points, expectedPoints;
        for (const auto& point : objectsOf (triples, subject, lv2 + "scalePoint>"))
            points.add (objectsOf (triples, point, "<http://www.w3.org/1999/02/22-rdf-syntax-ns#value>").joinIntoString ("|") + " "
                        + objectsOf (triples, point, "<http://www.w3.org/2000/01/rdf-schema#label>").joinIntoString ("|"));

        for (int index = 0; index < expected.choices.size(); ++index)
            expectedPoints.add ("\"" + juce::String (index) + integer + " \"" + expected.choices[index] + "\"");

        points.sort (false);
        expectedPoints.sort (false);
        EXPECT_EQ (points, expectedPoints) << points.joinIntoString ("\n");
    }
}
