#include "ResultTable.h"

#include <cstdio>
#include <cstring>

namespace host_bench
{
    namespace
    {
        constexpr double floorMarginNs = 60.0;
        // From 32 frames up the compressor should lead the fastest peer clearly, not by noise.
        constexpr double requiredLead = 1.10;

        const Row* findRow (const std::vector<Row>& rows, int blockSize, Role role, const char* formatName)
        {
            for (const auto& row : rows)
                if (row.blockSize == blockSize && row.contender->role == role
                    && std::strcmp (row.contender->formatName, formatName) == 0)
                    return &row;

            return nullptr;
        }

        // A compressor whose output is its input cannot count; nor a floor that changed the signal.
        bool behaves (const Row& row)
        {
            return row.output.changed == (row.contender->role != Role::floor);
        }
    }

    void printHeader()
    {
        std::printf ("%6s  %-23s %-6s %9s %9s %11s %7s %11s %10s\n", "Block", "Plug-in", "Format", "ns/frame",
                     "fastest", "x realtime", "x ours", "over floor", "out/in dB");
    }

    void printRows (const std::vector<Row>& rows, double sampleRate)
    {
        for (const auto& row : rows)
        {
            const auto* ours = findRow (rows, row.blockSize, Role::compressor, row.contender->formatName);
            const auto* floor = findRow (rows, row.blockSize, Role::floor, row.contender->formatName);

            std::printf ("%6d  %-23s %-6s %9.1f %9.1f %11.1f", row.blockSize, row.contender->name.toRawUTF8(), row.contender->formatName,
                         row.nsPerFrame, row.fastestNsPerFrame, 1e9 / (row.nsPerFrame * sampleRate));

            if (ours != nullptr)
                std::printf (" %7.2f", row.nsPerFrame / ours->nsPerFrame);
            else
                std::printf (" %7s", "-");

            if (floor != nullptr)
                std::printf (" %+11.1f", row.nsPerFrame - floor->nsPerFrame);
            else
                std::printf (" %11s", "-");

            std::printf (" %10.2f%s\n", row.output.levelChangeDb,
                         behaves (row) ? "" : (row.output.changed ? "  CHANGED THE SIGNAL" : "  OUTPUT = INPUT: NOT PROCESSING"));
        }

        std::fflush (stdout);
    }

    void printVerdict (const std::vector<Row>& rows)
    {
        bool met = true;
        std::printf ("\nAgainst the target (beside the peers through the LV2 host they share; beside the floor in each format):\n");

        for (const auto& row : rows)
        {
            if (row.contender->role != Role::compressor || std::strcmp (row.contender->formatName, "LV2") != 0)
                continue;

            const auto blockSize = row.blockSize;

            if (blockSize >= 32)
            {
                const Row* fastestPeer = nullptr;

                for (const auto& peer : rows)
                    if (peer.blockSize == blockSize && peer.contender->role == Role::peer && behaves (peer)
                        && (fastestPeer == nullptr || peer.nsPerFrame < fastestPeer->nsPerFrame))
                        fastestPeer = &peer;

                if (fastestPeer == nullptr)
                {
                    std::printf ("  block %4d: no peer measured\n", blockSize);
                    met = false;
                    continue;
                }

                const auto lead = fastestPeer->nsPerFrame / row.nsPerFrame;
                const auto leads = behaves (row) && lead >= requiredLead;
                met = met && leads;

                std::printf ("  block %4d: ours %.1f ns/frame, fastest peer %s %.1f ns/frame (x %.2f), needed x %.2f: %s\n",
                             blockSize, row.nsPerFrame, fastestPeer->contender->name.toRawUTF8(), fastestPeer->nsPerFrame, lead,
                             requiredLead, leads ? "leads" : "NOT enough");
            }
            else if (blockSize == 1)
            {
                for (const auto* formatName : { "LV2", "VST3" })
                {
                    const auto* ours = findRow (rows, 1, Role::compressor, formatName);
                    const auto* floor = findRow (rows, 1, Role::floor, formatName);

                    if (ours == nullptr || floor == nullptr)
                        continue;

                    const auto added = ours->nsPerFrame - floor->nsPerFrame;
                    const auto within = added <= floorMarginNs;
                    met = met && within;

                    std::printf ("  block    1: %s adds %.1f ns/frame to the floor (%.1f vs %.1f), limit %.0f: %s\n", formatName,
                                 added, ours->nsPerFrame, floor->nsPerFrame, floorMarginNs, within ? "within" : "OVER");
                }
            }
        }

        std::printf ("Target %s.\n", met ? "met" : "NOT met");
    }
}
