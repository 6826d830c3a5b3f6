#pragma once

#include "Contenders.h"
#include "PassTiming.h"

#include <vector>

namespace host_bench
{
    /** One plug-in at one block size: its median and fastest pass, and what it did to the signal. */
    struct Row
    {
        const Contender* contender;
        int blockSize;
        double nsPerFrame, fastestNsPerFrame;
        OutputCheck output;
    };

    void printHeader();

    /** The rows of one block size, each beside this project's compressor and the floor in its format. */
    void printRows (const std::vector<Row>& rowsOfOneBlockSize, double sampleRate);

    /** The measured rows against the target: through the LV2 host path the compressor is the
        fastest from 32-frame blocks up, and at 1-frame blocks it adds at most 60 ns per frame
        to the floor. */
    void printVerdict (const std::vector<Row>& rows);
}
