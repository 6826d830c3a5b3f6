#pragma once

#include <lv2/urid/urid.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace lv2_testing
{
    /** URIs to URIDs and back, for a plug-in and its host, from any thread. */
    class UridMap
    {
    public:
        UridMap();

        LV2_URID map (const std::string& uri);
        const char* unmap (LV2_URID urid);

        LV2_URID_Map mapFeature;
        LV2_URID_Unmap unmapFeature;

    private:
        std::mutex lock;
        std::vector<std::unique_ptr<std::string>> uris;
    };
}
