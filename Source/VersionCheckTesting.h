#pragma once

#include <juce_core/juce_core.h>

// For the tests only: the editor's version check then asks a server of their own.
namespace selvandrine::testing
{
    /** Replaces the maker's address in the version file's address; an empty text restores it. */
    void setVersionCheckBaseAddress (const juce::String& baseAddress);

    /** Replaces the request's time limit of 60 seconds; 0 restores it. */
    void setVersionCheckTimeLimit (int milliseconds);
}
