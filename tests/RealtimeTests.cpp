#include "helpers/AllocationCounter.h"
#include "helpers/ProcessorRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST (Realtime, NoHeapAllocationAfterTheFirstBlockWhileControlsChange)
{
    for (const int channels : { 1, 2 })
    {
        CompressorAudioProcessor p;
        prepare (p, channels, 4096);

        juce::AudioBuffer<float> buffer (channels, 4096);
        juce::MidiBuffer midi;
        const auto signal = musicLike (4096, 4);

        auto fill = [&] (int n)
        {
            buffer.setSize (channels, n, false, false, true);
            for (int c = 0; c < channels; ++c)
                buffer.copyFrom (c, 0, signal.data(), n);
        };

        fill (512);
        {
            // The first block gives the curve table its storage; this also shows the counter works.
            const ScopedAllocationCounter counter;
            p.processBlock (buffer, midi);
            EXPECT_GT (counter.getCount(), 0);
        }

        const int sizes[] = { 1, 32, 64, 512, 4096, 0, 333 };
        int allocations = 0;

        for (int block = 0; block < 140; ++block)
        {
            fill (sizes[block % 7]);
            p.topDb = -6.0f - 0.01f * (float) block;
            p.midDb = -20.0f + 0.01f * (float) block;
            p.lowDb = (float) (block % 6);
            p.gainDb = (float) (block % 12) - 6.0f;
            p.curveModeId = block % 5;

            const ScopedAllocationCounter counter;
            p.processBlock (buffer, midi);
            allocations += counter.getCount();
        }

        EXPECT_EQ (allocations, 0) << channels << " channels";
        EXPECT_GT (p.getTransferCurves().getNumTableBuilds(), 100);
    }
}
