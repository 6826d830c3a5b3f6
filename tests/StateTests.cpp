#include "helpers/MessageLoop.h"
#include "helpers/ProcessorRun.h"
#include "helpers/StateBlocks.h"
#include "helpers/Parameters.h"
#include "helpers/TickWatch.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
    const std::string defaultText =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS><PARAM id=\"backColor\" value=\"0.0\"/>"
        "<PARAM id=\"curveMode\" value=\"1.0\"/><PARAM id=\"gain\" value=\"0.0\"/><PARAM id=\"lowValue\" value=\"0.0\"/>"
        "<PARAM id=\"midValue\" value=\"-12.0\"/><PARAM id=\"topValue\" value=\"-18.0\"/></PARAMETERS>";

    juce::MemoryBlock save (CompressorAudioProcessor& p)
    {
        juce::MemoryBlock block { "left over from before", 21 };
        p.getStateInformation (block);
        return block;
    }

    void restore (CompressorAudioProcessor& p, const juce::MemoryBlock& block)
    {
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    std::string text (const juce::MemoryBlock& block)
    {
        return { static_cast<const char*> (block.getData()) + 8, block.getSize() - 9 };
    }

    std::vector<float> allValues (CompressorAudioProcessor& p)
    {
        std::vector<float> values;
        for (auto* id : { "topValue", "midValue", "lowValue", "gain", "curveMode", "backColor" })
            values.push_back (parameter (p, id));
        return values;
    }
}

TEST (State, DefaultBlockIsTheDocumentedTwoHundredSeventyNineBytes)
{
    CompressorAudioProcessor p;
    p.blockProcessed = true;
    const auto block = save (p);

    ASSERT_EQ (block.getSize(), 279u);
    const auto* bytes = static_cast<const unsigned char*> (block.getData());
    const unsigned char header[] = { 0x56, 0x43, 0x32, 0x21, 0x0E, 0x01, 0x00, 0x00 };
    EXPECT_EQ (0, std::memcmp (bytes, header, 8));
    EXPECT_EQ (text (block), defaultText);
    EXPECT_EQ (defaultText.size(), 270u);
    EXPECT_EQ (bytes[278], 0);
    EXPECT_FALSE (p.blockProcessed.load());

    EXPECT_EQ (save (p), block);
}

TEST (State, ValuesAreWrittenAsTheStoreFormatsThem)
{
    CompressorAudioProcessor p;
    setParameter (p, "topValue", -18.5f);
    setParameter (p, "midValue", -12.34f);
    const auto saved = text (save (p));

    EXPECT_NE (saved.find ("<PARAM id=\"topValue\" value=\"-18.5\"/>"), std::string::npos) << saved;
    EXPECT_NE (saved.find ("<PARAM id=\"midValue\" value=\"-12.34000015258789\"/>"), std::string::npos) << saved;
}

TEST (State, RestoresASavedBlockIntoAFreshInstance)
{
    CompressorAudioProcessor a, b;
    setParameter (a, "topValue", -7.25f);
    setParameter (a, "midValue", -30.0f);
    setParameter (a, "lowValue", 4.5f);
    setParameter (a, "gain", 11.99f);
    setParameter (a, "curveMode", 2.0f);
    setParameter (a, "backColor", 5.0f);

    const auto block = save (a);
    restore (b, block);

    EXPECT_EQ (allValues (b), allValues (a));
    EXPECT_EQ (save (b), block);
}

TEST (State, UnreadableBlocksAreIgnored)
{
    const auto tamper = [] (juce::MemoryBlock block, size_t at, char byte) { static_cast<char*> (block.getData())[at] = byte; return block; };
    const auto valid = stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>"));

    const juce::MemoryBlock cases[] = {
        juce::MemoryBlock ("VC2!\x05\0\0\0", 8),                          // eight bytes or fewer
        juce::MemoryBlock ("VC2!", 4),
        tamper (valid, 0, 'X'),                                           // wrong magic
        stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>"), 0),  // zero length
        stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>"), -5), // top bit set
        stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>"), 60), // cut inside the root
        stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>", "OTHER")),
        stateBlock ("not xml at all"),
        stateBlock (std::string ("\0<PARAMETERS/>", 14)),
    };

    for (size_t i = 0; i < std::size (cases); ++i)
    {
        CompressorAudioProcessor p;
        const auto before = save (p);
        restore (p, cases[i]);
        EXPECT_EQ (save (p), before) << "case " << i;
        EXPECT_EQ (parameter (p, "gain"), 0.0f) << "case " << i;
    }

    CompressorAudioProcessor p;
    p.setStateInformation (nullptr, 100);
    p.setStateInformation (valid.getData(), -1);
    EXPECT_EQ (parameter (p, "gain"), 0.0f);
}

TEST (State, TextThatIsNotUtf8IsIgnoredAndEveryValidSequenceIsKept)
{
    // Overlong two and three bytes, a surrogate, past U+10FFFF, a stray continuation byte.
    for (const std::string bad : { "\xc0\xb2", "\xe0\x80\xb2", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\x80" })
    {
        CompressorAudioProcessor p;
        restore (p, stateBlock (paramsXml ("<PARAM" + bad + " id=\"gain\" value=\"5.0\"/>")));
        EXPECT_EQ (parameter (p, "gain"), 0.0f);
    }

    // Two, three and four bytes at their smallest and largest.
    const std::string valid = "\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf";
    CompressorAudioProcessor p;
    restore (p, stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\" note=\"" + valid + "\"/>")));
    EXPECT_EQ (parameter (p, "gain"), 5.0f);

    CompressorAudioProcessor reopened;
    restore (reopened, save (p));
    EXPECT_EQ (save (reopened), save (p));
    const auto note = reopened.valueTreeState.state.getChildWithProperty ("id", "gain")["note"].toString();
    EXPECT_EQ (std::string (note.toRawUTF8()), valid);
}

TEST (State, AnInstructionFollowedByCharacterDataInsideTheRootMakesTheBlockUnreadable)
{
    // JUCE's parser would never return on these.
    for (const auto* children : { "<?note?>text",
                                  "<PARAM id=\"gain\" value=\"5.0\"/> <?a?> <!-- b --> <?c?> text" })
    {
        CompressorAudioProcessor p;
        restore (p, stateBlock (paramsXml (children)));
        EXPECT_EQ (parameter (p, "gain"), 0.0f) << children;
    }

    // Followed by an element, it is skipped.
    CompressorAudioProcessor p;
    restore (p, stateBlock (paramsXml ("<?note?> <!-- c --> <PARAM id=\"gain\" value=\"5.0\"/>")));
    EXPECT_EQ (parameter (p, "gain"), 5.0f);
}

TEST (State, EntityTextThatJucesParserMisreadsMakesTheBlockUnreadable)
{
    const std::string xmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> ";
    const std::string head = xmlHead + "<PARAMETERS><PARAM id=\"gain\" value=\"5.0\"";

    // The gain each text restores. JUCE's parser would read past the end of the first three (the
    // third's entity is parsed as a document ending in "&#x41").
    const struct { std::string text; float gain; } rows[] = {
        { head + "/>&#x", 0.0f },
        { head + " note=\"&#X0a", 0.0f },
        { head + "/>&<a>&#x41;</PARAMETERS>", 0.0f },
        { head + " note=\"&#x123456789;\"/></PARAMETERS>", 0.0f },
        { head + " note=\"&#xZ;\"/></PARAMETERS>", 0.0f },
        { xmlHead + "<!DOCTYPE PARAMETERS [<!ENTITY e \"<a/>\">]> <PARAMETERS><PARAM id=\"gain\" value=\"5.0\"/>&e;</PARAMETERS>", 0.0f },
        { head + " note=\"&#x10FFFF;&#X41;&#x;&#65;&amp;&lt;\"/>&#x3C;!DOCTYPE</PARAMETERS>", 5.0f },
    };

    for (const auto& row : rows)
    {
        CompressorAudioProcessor p;
        restore (p, stateBlock (row.text));
        EXPECT_EQ (parameter (p, "gain"), row.gain) << row.text;
    }
}

TEST (State, LengthLongerThanTheBlockIsCutToTheBlock)
{
    CompressorAudioProcessor p;
    restore (p, stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"5.0\"/>"), 100000));
    EXPECT_EQ (parameter (p, "gain"), 5.0f);
}

TEST (State, RootTagInOtherLetterCaseIsAcceptedAndKept)
{
    CompressorAudioProcessor p;
    restore (p, stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"-4.0\"/>", "Parameters")));

    EXPECT_EQ (parameter (p, "gain"), -4.0f);
    const auto saved = text (save (p));
    EXPECT_EQ (saved.rfind ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <Parameters>", 0), 0u) << saved;
    EXPECT_EQ (saved.substr (saved.size() - 13), "</Parameters>");
}

TEST (State, ChildrenAreMatchedByExactIdAndTheLaterOfTwoDecides)
{
    CompressorAudioProcessor p;
    setParameter (p, "midValue", -20.0f);
    setParameter (p, "lowValue", 2.0f);
    setParameter (p, "gain", 3.0f);

    restore (p, stateBlock (paramsXml ("<PARAM id=\"TOPVALUE\" value=\"-3.0\"/>"   // other letter case: nothing
                                       "<PARAM id=\"midValue\"/>"                     // no value: the default
                                       "<PARAM id=\"gain\" value=\"1.0\"/>"
                                       "<PARAM id=\"gain\" value=\"-2.0\"/>"          // the later one decides
                                       "<EXTRA id=\"backColor\" value=\"3.0\" note=\"kept\"/>"
                                       "<Unknown what=\"kept too\"/>")));

    EXPECT_EQ (parameter (p, "topValue"), -18.0f);
    EXPECT_EQ (parameter (p, "midValue"), -12.0f);
    EXPECT_EQ (parameter (p, "gain"), -2.0f);
    EXPECT_EQ (parameter (p, "backColor"), 3.0f);
    EXPECT_EQ (parameter (p, "lowValue"), 2.0f); // no child: keeps its value

    const auto saved = text (save (p));
    EXPECT_NE (saved.find ("<EXTRA id=\"backColor\" value=\"3.0\" note=\"kept\"/>"), std::string::npos) << saved;
    EXPECT_NE (saved.find ("<Unknown what=\"kept too\"/>"), std::string::npos) << saved;
    EXPECT_NE (saved.find ("<PARAM id=\"TOPVALUE\" value=\"-3.0\"/>"), std::string::npos) << saved;
}

TEST (State, AParameterMissingFromARestoredBlockKeepsItsValueThroughTheNextSave)
{
    CompressorAudioProcessor p;
    setParameter (p, "lowValue", 2.5f);
    restore (p, stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"1.5\"/>")));
    EXPECT_EQ (parameter (p, "lowValue"), 2.5f);

    CompressorAudioProcessor reopened;
    restore (reopened, save (p));
    EXPECT_EQ (allValues (reopened), allValues (p));
}

TEST (State, ARestoreIsHeardAtOnce)
{
    const TickWatch ticks;
    CompressorAudioProcessor p;
    prepare (p, 2);

    for (int waited = 0; ticks.bodies() == 0 && waited < 5000; waited += 50)
        runMessageLoopFor (50);

    ASSERT_EQ (ticks.bodies(), 1);

    restore (p, stateBlock (paramsXml ("<PARAM id=\"gain\" value=\"6.0\"/><PARAM id=\"curveMode\" value=\"2.0\"/>")));
    EXPECT_EQ (p.gainDb.load(), 6.0f);
    EXPECT_EQ (p.curveModeId.load(), 3);

    // A parameter the block leaves out keeps its value, and so its working copy.
    EXPECT_EQ (p.topDb.load(), -18.0f);
}

TEST (State, ValueTextsAreReadSafelyAndEndInsideTheRange)
{
    // "Ceiling": -33 to 0 dB, default -18; each row restores into an instance set to -7 dB.
    const struct { const char* text; float expected; } rows[] = {
        { "-5.5", -5.5f }, { "abc", 0.0f }, { "-1e30", -33.0f },
        // Infinite, or beyond single precision: the end of the range.
        { "inf", 0.0f }, { "-INF", -33.0f }, { "-1e999", -33.0f }, { "1e39", 0.0f }, { "-1e39", -33.0f },
        // Exponents past a 32-bit integer, alone or with the digits after the eighteenth.
        { "1e995555555559", 0.0f }, { "-1e995555555559", -33.0f }, { "-1e-995555555559", 0.0f },
        { "1e2147483647", 0.0f }, { "-1e2147483648", -33.0f }, { "-1234567890123456789e2147483647", -33.0f },
        { "0.0000000000000000001e9999999999", 0.0f },
        // Not a number: as if the child had no value, so the default.
        { "nan", -18.0f }, { " -NaN", -18.0f },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.text);
        CompressorAudioProcessor p;
        setParameter (p, "topValue", -7.0f);
        restore (p, stateBlock (paramsXml (std::string ("<PARAM id=\"topValue\" value=\"") + row.text + "\"/>")));
        EXPECT_EQ (parameter (p, "topValue"), row.expected);

        CompressorAudioProcessor reopened;
        restore (reopened, save (p));
        EXPECT_EQ (parameter (reopened, "topValue"), row.expected);
    }
}

TEST (State, EveryKeptFuzzingInputRestoresInRangeAndSurvivesASaveAndRestore)
{
    const auto corpus = juce::File (SELVANDRINE_FUZZ_CORPUS).findChildFiles (juce::File::findFiles, false);
    ASSERT_GE (corpus.size(), 10);

    for (const auto& file : corpus)
    {
        SCOPED_TRACE (file.getFileName());
        juce::MemoryBlock block;
        ASSERT_TRUE (file.loadFileAsData (block));

        CompressorAudioProcessor p;
        restore (p, block);

        for (auto* hosted : p.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (hosted);
            const auto plain = parameter (p, ranged->paramID.toRawUTF8());
            EXPECT_TRUE (std::isfinite (plain));
            EXPECT_GE (plain, ranged->getNormalisableRange().start);
            EXPECT_LE (plain, ranged->getNormalisableRange().end);
        }

        CompressorAudioProcessor reopened;
        const auto saved = save (p);
        restore (reopened, saved);
        EXPECT_EQ (allValues (reopened), allValues (p)) << text (saved);
    }
}
