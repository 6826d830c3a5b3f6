#include "helpers/ProcessorRun.h"
#include "helpers/ReferenceCompressor.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace testing_support;

namespace
{
    // Working copies set directly, as the editor would; the refresh is not involved.
    void setControls (CompressorAudioProcessor& p, float top, float mid, float low, float gain, int mode)
    {
        p.topDb = top;
        p.midDb = mid;
        p.lowDb = low;
        p.gainDb = gain;
        p.curveModeId = mode;
    }

    bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
    {
        return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
    }

    std::vector<float> slice (const std::vector<float>& v, size_t start, size_t count)
    {
        return { v.begin() + (long) start, v.begin() + (long) (start + count) };
    }
}

TEST (Detector, FollowsTheRulesBitForBitInEveryCurveModeWithControlsChangingEveryBlock)
{
    for (int mode = 0; mode <= 4; ++mode)
    {
        SCOPED_TRACE (mode);
        CompressorAudioProcessor p;
        prepare (p, 2);
        ReferenceCompressor ref;

        const auto left = musicLike (48000, 1), right = musicLike (48000, 2, 0.9f);
        const int sizes[] = { 1, 32, 7, 512, 64, 333, 1024 };
        size_t position = 0;

        for (int block = 0; position < left.size(); ++block)
        {
            const auto n = std::min ((size_t) sizes[block % 7], left.size() - position);
            const auto top = -6.0f - 0.01f * (float) (block % 5);
            const auto mid = -18.0f + 0.5f * (float) (block % 3);
            const auto low = (float) (block % 4);
            const auto gain = block % 2 == 0 ? 0.0f : 3.5f;
            setControls (p, top, mid, low, gain, mode);
            ref.topDb = top; ref.midDb = mid; ref.lowDb = low; ref.gainDb = gain; ref.curveModeId = mode;

            Channels expected { slice (left, position, n), slice (right, position, n) };
            const auto actual = process (p, expected);
            {
                const juce::ScopedNoDenormals noDenormals;
                ref.processBlock (expected);
            }

            ASSERT_TRUE (sameBits (actual[0], expected[0]) && sameBits (actual[1], expected[1])) << "block " << block;
            position += n;
        }

        EXPECT_EQ (p.envelopeLevel.load(), ref.envelope);
        EXPECT_EQ (p.inputLevel.load(), ref.inputLevel);
        EXPECT_EQ (p.outputLevel.load(), ref.outputLevel);
    }
}

TEST (Detector, VanishedEnvelopeAndUnknownLengthFollowTheRulesInBlocksLongerThanAStretch)
{
    // Every block starts with a vanished envelope (it must be lifted to 1e-20, also within a
    // half-cycle of silence), and the first half-cycle's length is unknown until the first
    // upward crossing; in blocks longer and shorter than a stretch of 4,096 samples.
    auto silence = std::vector<float> (12000, 0.0f);
    silence[0] = -0.1f;

    for (const auto& signal : { silence, musicLike (12000, 7) })
        for (const int blockSize : { 5000, 4096, 333 })
        {
            SCOPED_TRACE (blockSize);
            CompressorAudioProcessor p;
            prepare (p, 1, blockSize);
            setControls (p, -6.0f, -18.0f, 3.0f, 2.0f, 3);
            ReferenceCompressor ref;
            ref.topDb = -6.0f; ref.midDb = -18.0f; ref.lowDb = 3.0f; ref.gainDb = 2.0f; ref.curveModeId = 3;

            for (size_t start = 0; start < signal.size(); start += (size_t) blockSize)
            {
                p.envelopeLevel = 0.0f;
                ref.envelope = 0.0f;

                Channels expected { slice (signal, start, std::min ((size_t) blockSize, signal.size() - start)) };
                const auto actual = process (p, expected);
                {
                    const juce::ScopedNoDenormals noDenormals;
                    ref.processBlock (expected);
                }

                ASSERT_TRUE (sameBits (actual[0], expected[0])) << "block at " << start;
                ASSERT_EQ (p.envelopeLevel.load(), ref.envelope) << "block at " << start;
            }
        }
}

TEST (Detector, SilenceNeverStartsTheDetectorAndComesOutSilent)
{
    CompressorAudioProcessor p;
    prepare (p, 1);
    setControls (p, -6.0f, -12.0f, 6.0f, 12.0f, 2);

    const auto out = processMono (p, std::vector<float> (2000, 0.0f));

    for (const auto s : out)
        ASSERT_EQ (s, 0.0f);

    EXPECT_EQ (p.envelopeLevel.load(), 1e-20f);
    EXPECT_EQ (p.cycleLength, 0);
    EXPECT_LT (p.inputLevel.load(), 1e-20f);
    EXPECT_NEAR (p.inputLevel.load(), 1e-20 * std::pow (0.999, 2000), 1e-25);
}

TEST (Detector, HalfCycleScanAtBlockStartAtBlockEndAndCutByTheBlock)
{
    CompressorAudioProcessor p;
    prepare (p, 1);
    setControls (p, 0.0f, -3.0f, 0.0f, 0.0f, 1);

    // A positive sample after the previous block's negative one crosses at j = 0.
    processMono (p, { -0.1f });
    EXPECT_EQ (p.cycleLength, 0);
    processMono (p, { 0.5f, 0.8f, -0.3f, -0.2f });
    EXPECT_EQ (p.cyclePeak, 0.8f);
    EXPECT_EQ (p.cycleLength, 3);
    // One-pole attack with coefficient 1/3 for four samples.
    EXPECT_NEAR (p.envelopeLevel.load(), 0.8 * (1.0 - std::pow (2.0 / 3.0, 4.0)), 1e-6);

    // A crossing at the last sample measures one sample, and the envelope jumps to it.
    CompressorAudioProcessor q;
    prepare (q, 1);
    setControls (q, 0.0f, -3.0f, 0.0f, 0.0f, 4);
    const auto out = processMono (q, { -0.2f, -0.1f, 0.9f });
    EXPECT_EQ (q.cycleLength, 1);
    EXPECT_EQ (q.cyclePeak, 0.9f);
    EXPECT_EQ (q.envelopeLevel.load(), 0.9f);
    EXPECT_EQ (out[2], 1.0f);

    // A half-cycle cut by the block end keeps its in-block peak; the next block does not rescan it.
    CompressorAudioProcessor r;
    prepare (r, 1);
    processMono (r, { -0.1f, 0.2f, 0.6f, 0.4f });
    EXPECT_EQ (r.cycleLength, 3);
    EXPECT_EQ (r.cyclePeak, 0.6f);
    processMono (r, { 0.7f, 0.95f, -0.5f });
    EXPECT_EQ (r.cycleLength, 3);
    EXPECT_EQ (r.cyclePeak, 0.6f);
}

TEST (Detector, StereoRightChannelStartsFromTheStateTheLeftLeft)
{
    const auto left = musicLike (700, 5), right = musicLike (700, 6);

    CompressorAudioProcessor stereo, mono;
    prepare (stereo, 2);
    prepare (mono, 1);

    for (auto* p : { &stereo, &mono })
        setControls (*p, -9.0f, -20.0f, 2.0f, 1.0f, 3);

    const auto both = process (stereo, { left, right });
    const auto first = processMono (mono, left);
    const auto second = processMono (mono, right);

    EXPECT_TRUE (sameBits (both[0], first));
    EXPECT_TRUE (sameBits (both[1], second));

    CompressorAudioProcessor twin;
    prepare (twin, 2);
    setControls (twin, -9.0f, -20.0f, 2.0f, 1.0f, 3);
    const auto same = process (twin, { left, left });
    EXPECT_FALSE (sameBits (same[0], same[1]));
}

TEST (Detector, ShapedSampleIsLimitedToOneAndAHalfBeforeTheOutputGain)
{
    CompressorAudioProcessor p;
    prepare (p, 1);
    // The envelope is still at its floor, so x / e is huge either way.
    setControls (p, 0.0f, -3.0f, 0.0f, 6.0f, 4);

    const auto out = processMono (p, { 0.5f, 0.25f });
    const auto gain = ::exp10f (6.0f * 0.05f);

    EXPECT_EQ (out[0], 1.5f * gain);
    EXPECT_EQ (out[1], 1.5f * gain);
    EXPECT_NEAR (out[0], 2.99289, 1e-5);
    EXPECT_EQ (p.outputLevel.load(), 1.5f);

    CompressorAudioProcessor n;
    prepare (n, 1);
    setControls (n, 0.0f, -3.0f, 0.0f, -100.0f, 4);
    const auto negative = processMono (n, { -0.5f });
    EXPECT_EQ (negative[0], 0.0f);
    EXPECT_EQ (n.outputLevel.load(), 1.5f);
}

TEST (Detector, InputFollowerRisesAtOnceAndFallsByATenthOfAPercentPerSample)
{
    CompressorAudioProcessor p;
    prepare (p, 1);

    std::vector<float> block (1001, 0.0f);
    block[0] = 0.8f;
    processMono (p, block);

    EXPECT_NEAR (p.inputLevel.load(), 0.8 * std::pow (0.999, 1000), 1e-6);
    EXPECT_LT (p.inputLevel.load(), 0.8f);
}

TEST (Detector, EmptyBlocksAndMissingInputsOnlyFlagTheEditorAndBuildTheTable)
{
    CompressorAudioProcessor p;
    prepare (p, 1);
    processMono (p, { -0.5f, 0.3f, 0.6f, -0.2f });
    const auto envelope = p.envelopeLevel.load(), input = p.inputLevel.load(), output = p.outputLevel.load();

    p.blockProcessed = false;
    p.freezeHistory = true;
    p.topDb = -7.0f;
    process (p, { {} });

    EXPECT_TRUE (p.blockProcessed.load());
    EXPECT_FALSE (p.freezeHistory.load());
    EXPECT_EQ (p.getTransferCurves().getNumTableBuilds(), 2);
    EXPECT_EQ (p.getTransferCurves().constants().T, ::exp10f (-7.0f * 0.05f));
    EXPECT_EQ (p.envelopeLevel.load(), envelope);
    EXPECT_EQ (p.inputLevel.load(), input);
    EXPECT_EQ (p.outputLevel.load(), output);

    // A processor with no input channel clears its outputs and touches no detector state.
    struct NoInputs : CompressorAudioProcessor
    {
        bool isBusesLayoutSupported (const BusesLayout&) const override { return true; }
    } q;

    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::disabled());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    ASSERT_TRUE (q.setBusesLayout (layout));
    ASSERT_EQ (q.getTotalNumInputChannels(), 0);

    const auto out = process (q, { { 0.3f, -0.4f }, { 0.5f, 0.5f } });
    EXPECT_EQ (out[0], std::vector<float> (2, 0.0f));
    EXPECT_EQ (out[1], std::vector<float> (2, 0.0f));
    EXPECT_EQ (q.getTransferCurves().getNumTableBuilds(), 1);
    EXPECT_EQ (q.envelopeLevel.load(), 1e-20f);
    EXPECT_EQ (q.inputLevel.load(), 1e-20f);
}

TEST (Detector, FloatingPointModeIsRestoredAfterEveryBlock)
{
    CompressorAudioProcessor p;
    prepare (p, 1);
    const auto original = _mm_getcsr();

    for (const auto mode : { original & ~0x8040u, original | 0x8040u })
    {
        _mm_setcsr (mode);
        processMono (p, musicLike (64, 3));
        EXPECT_EQ (_mm_getcsr(), mode);
        process (p, {});
        EXPECT_EQ (_mm_getcsr(), mode);
    }

    _mm_setcsr (original);
}

TEST (Detector, NonFiniteSamplesCountAsSilenceAndPoisonNothingAfterThem)
{
    const float poisons[] = { std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity() };

    const auto signal = musicLike (4096, 9);

    for (const auto poison : poisons)
    {
        for (const size_t at : { (size_t) 0, (size_t) 100, (size_t) 511, (size_t) 2047 })
        {
            CompressorAudioProcessor poisoned, clean;

            for (auto* p : { &poisoned, &clean })
            {
                prepare (*p, 1);
                setControls (*p, -6.0f, -18.0f, 3.0f, 2.0f, 3);
            }

            auto dirty = signal, zeroed = signal;
            dirty[at] = poison;
            zeroed[at] = 0.0f;

            for (size_t start = 0; start < signal.size(); start += 512)
            {
                const auto a = processMono (poisoned, slice (dirty, start, 512));
                const auto b = processMono (clean, slice (zeroed, start, 512));
                ASSERT_TRUE (sameBits (a, b)) << poison << " at " << at << ", block " << start;

                for (const auto s : a)
                    ASSERT_TRUE (std::isfinite (s));
            }

            EXPECT_TRUE (std::isfinite (poisoned.envelopeLevel.load()));
            EXPECT_TRUE (std::isfinite (poisoned.cyclePeak));
            EXPECT_TRUE (std::isfinite (poisoned.inputLevel.load()));
            EXPECT_TRUE (std::isfinite (poisoned.outputLevel.load()));
        }
    }
}

TEST (Detector, HostileBlocksLeaveEveryLaterOutputAndTheStateFiniteAndBounded)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();
    const auto tiny = std::numeric_limits<float>::denorm_min();

    const auto filled = [] (size_t n, auto sampleAt)
    {
        std::vector<float> v (n);
        for (size_t i = 0; i < n; ++i)
            v[i] = sampleAt (i);
        return v;
    };

    const auto square = [&] (size_t n, size_t halfPeriod)
    {
        return filled (n, [=] (size_t i) { return (i / halfPeriod) % 2 == 0 ? 1.0f : -1.0f; });
    };

    // Blocks in the order they arrive; a non-finite sample is tried at every position of a short block.
    std::vector<std::vector<float>> blocks {
        filled (512, [=] (size_t i) { return i % 2 == 0 ? tiny * (float) (i % 7) : -0.5f * std::numeric_limits<float>::min(); }),
        square (2048, 24),
        square (300, 1),
        std::vector<float> (1000, 1.0f),
        std::vector<float> (1000, -1.0f),
        std::vector<float> (700, 1e-30f),
        {},
        std::vector<float> (4096, 0.0f),
        square (512, 100),
        filled (256, [=] (size_t i) { return (i / 8) % 2 == 0 ? 3e37f : -3e37f; }), // an envelope far past full scale
    };

    for (const auto poison : { nan, inf, -inf })
        for (size_t at = 0; at < 16; ++at)
        {
            auto block = square (16, 3);
            block[at] = poison;
            blocks.push_back (block);
            blocks.push_back ({});
        }

    blocks.push_back (musicLike (2048, 12));

    // The strongest compression with the most gain, and the gentlest with the least.
    const float controls[][4] = { { -33.0f, -36.0f, 6.0f, 12.0f }, { 0.0f, -3.0f, 0.0f, -12.0f } };

    for (int mode = 0; mode <= 4; ++mode)
        for (const auto& c : controls)
            for (const auto channels : { 1, 2 })
            {
                SCOPED_TRACE (testing::Message() << "mode " << mode << ", gain " << c[3] << ", channels " << channels);
                CompressorAudioProcessor p;
                prepare (p, channels);
                setControls (p, c[0], c[1], c[2], c[3], mode);

                // The shaped sample is limited to 1.5 before the output gain.
                const auto bound = 1.5f * ::exp10f (c[3] * 0.05f);

                for (size_t b = 0; b < blocks.size(); ++b)
                {
                    auto right = blocks[b];
                    std::reverse (right.begin(), right.end());
                    const auto out = channels == 1 ? Channels { processMono (p, blocks[b]) } : process (p, { blocks[b], right });

                    for (const auto& channel : out)
                        for (const auto s : channel)
                            ASSERT_TRUE (std::isfinite (s) && std::abs (s) <= bound) << s << " in block " << b;

                    for (const auto level : { p.envelopeLevel.load(), p.inputLevel.load(), p.outputLevel.load(), p.cyclePeak, p.lastSample })
                        ASSERT_TRUE (std::isfinite (level)) << "after block " << b;
                }

                // The detector still follows a signal afterwards.
                EXPECT_GT (p.envelopeLevel.load(), 0.01f);
            }
}
