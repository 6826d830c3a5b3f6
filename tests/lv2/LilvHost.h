#pragma once

#include "UridMap.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lilv_testing
{
    /**
        The built LV2 bundle, loaded through lilv as an LV2 host loads it: one stereo instance at
        48 kHz, fed a steady 400 Hz sine of peak 0.5 in 480-frame blocks (four whole cycles, so
        that every block of a settled detector has the same level), its control input given
        patch:Set messages and its control output read back after every block.
    */
    class LilvHost
    {
    public:
        static constexpr double sampleRate = 48000.0;
        static constexpr int blockLength = 480;
        static constexpr float sinePeak = 0.5f;

        LilvHost();
        ~LilvHost();

        /** Why the plug-in could not be loaded, instantiated or connected; empty once it runs. */
        const std::string& getProblem() const noexcept { return problem; }

        /** Queues a patch:Set of the parameter with the given id, as a plain value, for the next block. */
        void set (const std::string& parameterId, float value);

        /** Runs one block; returns its output level over its input level in dB (RMS, both channels). */
        double runBlock();

        /** Parameter values by parameter id, as the plug-in reports them in patch:Set messages. */
        using Reports = std::map<std::string, float>;

        /** Runs blocks at the pace of real time until the instance is the given time old; returns
            the reports of the blocks that made any. */
        std::vector<Reports> runUntilAge (std::chrono::milliseconds age);

        /** The values the last block reported on the control output. */
        const Reports& getReports() const noexcept { return reports; }

        /** The plug-in's state as a host saves it, through its state interface. */
        LilvState* saveState();
        void restoreState (const LilvState&);

    private:
        void instantiate();
        void connectPorts();
        void writeInputSequence();
        void readOutputSequence();

        lv2_testing::UridMap urids;
        LilvWorld* world = nullptr;
        const LilvPlugin* plugin = nullptr;
        LilvInstance* instance = nullptr;
        std::string problem;
        std::chrono::steady_clock::time_point startTime;

        std::vector<LV2_Options_Option> options;
        std::vector<LV2_Feature> featureList;
        std::vector<const LV2_Feature*> features;
        std::int32_t minBlockLength = 1, maxBlockLength = blockLength, sequenceSize;

        std::vector<float> sine;
        std::vector<std::vector<float>> outputs;
        std::vector<float> controls;
        std::vector<std::uint64_t> inputSequence, outputSequence;
        std::vector<std::pair<LV2_URID, float>> pending;
        Reports reports;
        std::string parameterPrefix;
    };
}
