#include "HostDisplay.h"
#include "HostedPlugins.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
    /** Gives the run a fresh, empty home folder and returns it; X keeps the user's authority file. */
    std::string useEmptyHome()
    {
        const auto* home = std::getenv ("HOME");

        if (std::getenv ("XAUTHORITY") == nullptr && home != nullptr)
            setenv ("XAUTHORITY", (std::string (home) + "/.Xauthority").c_str(), 1);

        std::string folder = (std::filesystem::temp_directory_path() / "selvandrine-host-XXXXXX").string();

        if (mkdtemp (folder.data()) == nullptr)
            return {};

        setenv ("HOME", folder.c_str(), 1);
        return folder;
    }
}

int main (int argc, char** argv)
{
    host_testing::setUpXlibAsHostsDo();
    ::testing::InitGoogleTest (&argc, argv);

    // The host must meet the plug-ins just built. JUCE's LV2 host also searches ~/.lv2, and lilv
    // keeps the first bundle it meets for a URI, so an installed copy there would stand in for the
    // build; the user's folders are kept out of sight for the run.
    const auto home = useEmptyHome();

    // The plug-ins' editors ask the maker's address, a loopback one in test builds, for the
    // newest version; that must never go to a proxy that the environment may name.
    setenv ("no_proxy", "127.0.0.1,localhost", 1);

    int result = 1;
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
        host_testing::releaseFormats();
    }

    if (! home.empty())
        std::filesystem::remove_all (home);

    return result;
}
