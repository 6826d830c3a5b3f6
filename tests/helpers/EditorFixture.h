#pragma once

#include "PluginEditor.h"
#include "VersionCheckTesting.h"

#include <gtest/gtest.h>

namespace testing_support
{
    /** A processor, and editors on it whose version check asks a loopback port where nothing listens. */
    struct EditorFixture : ::testing::Test
    {
        EditorFixture()  { selvandrine::testing::setVersionCheckBaseAddress ("http://127.0.0.1:9"); }
        ~EditorFixture() override { selvandrine::testing::setVersionCheckBaseAddress ({}); }

        std::unique_ptr<CompressorAudioProcessorEditor> openEditor()
        {
            return std::make_unique<CompressorAudioProcessorEditor> (processor);
        }

        CompressorAudioProcessor processor;
    };
}
