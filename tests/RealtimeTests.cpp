#include "helpers/ProcessorRun.h"
#include "helpers/RealtimeProbe.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace testing_support;

TEST (Realtime, ProbeCountsTheSharedCodesAllocationsFreesAndLocks)
{
    const ScopedRealtimeProbe probe;
    {
        juce::MemoryBlock zeroed (100, true);      // calloc
        juce::MemoryBlock block (100);             // malloc
        block.setSize (5000);                      // realloc
        const juce::String text ("not a literal"); // operator new[]
    }
    juce::CriticalSection section;
    section.enter();
    section.exit();
    std::mutex mutex;
    mutex.lock();
    mutex.unlock();

    EXPECT_EQ (probe.getAllocations(), 4);
    EXPECT_EQ (probe.getFrees(), 3);
    EXPECT_EQ (probe.getLocks(), 2);
}

TEST (Realtime, NoAllocationFreeOrLockOnTheAudioThreadFromTheFirstBlock)
{
    constexpr int maximumBlockSize = 4096;

    for (const int channels : { 1, 2 })
    {
        CompressorAudioProcessor p;
        prepare (p, channels, maximumBlockSize);

        const auto signal = musicLike (maximumBlockSize, 4);
        const juce::String ids[] { "topValue", "midValue", "lowValue", "gain", "curveMode", "backColor" };
        int firstBlockAllocations = 0, allocations = 0, frees = 0, locks = 0, blocks = 0;

        std::thread audio ([&]
        {
            juce::AudioBuffer<float> buffer (channels, maximumBlockSize);
            juce::MidiBuffer midi;

            auto fill = [&] (int n)
            {
                buffer.setSize (channels, n, false, false, true);
                for (int c = 0; c < channels; ++c)
                    buffer.copyFrom (c, 0, signal.data(), n);
            };

            fill (512);
            {
                // The curve table's storage comes with the processor: the first block allocates nothing either.
                const ScopedRealtimeProbe probe;
                p.processBlock (buffer, midi);
                firstBlockAllocations = probe.getAllocations();
            }

            // Every size from 1 to the maximum with an empty block now and then; the curve mode
            // (the three curves and ids outside them) and the controls change between blocks.
            for (int size = 1; size <= maximumBlockSize; ++size, ++blocks)
            {
                fill (size % 64 == 0 ? 0 : size);
                p.topDb = -6.0f - 0.01f * (float) (size % 300);
                p.midDb = -20.0f + 0.01f * (float) (size % 700);
                p.lowDb = (float) (size % 6);
                p.gainDb = (float) (size % 12) - 6.0f;
                p.curveModeId = size % 5;

                const ScopedRealtimeProbe probe;
                // A host's automation reaches the store's listener on the audio thread too.
                p.parameterChanged (ids[size % 6], (float) (size % 3));
                p.processBlock (buffer, midi);
                allocations += probe.getAllocations();
                frees += probe.getFrees();
                locks += probe.getLocks();
            }
        });

        audio.join();

        SCOPED_TRACE (channels);
        EXPECT_EQ (firstBlockAllocations, 0);
        EXPECT_EQ (blocks, maximumBlockSize);
        EXPECT_EQ (allocations, 0);
        EXPECT_EQ (frees, 0);
        EXPECT_EQ (locks, 0);
        EXPECT_GT (p.getTransferCurves().getNumTableBuilds(), 4000);
        EXPECT_TRUE (std::isfinite (p.envelopeLevel.load()));
    }
}
