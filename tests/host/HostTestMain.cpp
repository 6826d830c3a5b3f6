#include "HostDisplay.h"
#include "HostedPlugins.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <filesystem>

int main (int argc, char** argv)
{
    host_testing::setUpXlibAsHostsDo();
    ::testing::InitGoogleTest (&argc, argv);

    // The host must meet the plug-ins just built; the user's folders are kept out of sight for the run.
    const auto home = host_testing::useEmptyHome();

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
