#include "UridMap.h"

#include <algorithm>

namespace lv2_testing
{
    UridMap::UridMap()
    {
        mapFeature = { this, [] (LV2_URID_Map_Handle self, const char* uri) { return static_cast<UridMap*> (self)->map (uri); } };
        unmapFeature = { this, [] (LV2_URID_Unmap_Handle self, LV2_URID urid) { return static_cast<UridMap*> (self)->unmap (urid); } };
    }

    LV2_URID UridMap::map (const std::string& uri)
    {
        const std::lock_guard guard (lock);
        const auto found = std::find_if (uris.begin(), uris.end(), [&] (const auto& known) { return *known == uri; });

        if (found != uris.end())
            return (LV2_URID) (found - uris.begin()) + 1;

        uris.push_back (std::make_unique<std::string> (uri));
        return (LV2_URID) uris.size();
    }

    const char* UridMap::unmap (LV2_URID urid)
    {
        const std::lock_guard guard (lock);
        return urid >= 1 && urid <= uris.size() ? uris[urid - 1]->c_str() : nullptr;
    }
}
