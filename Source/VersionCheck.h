#pragma once

#include <juce_core/juce_core.h>

/**
    The editor's version check against the maker's web site and its link to the home page.
    Everything here runs on the thread that builds the editor and keeps no state between calls.
*/
namespace selvandrine
{
    /** The maker's web address, without a trailing slash; the home page is this address. */
    juce::String websiteAddress();

    /** The maker's home page. */
    juce::URL homePageUrl();

    /** The file on the maker's site that holds the newest published version. */
    juce::URL versionFileUrl();

    /** "Mac" where the system's name contains "Mac", "Linux" where it contains "Linux", else "Win". */
    juce::String operatingSystemWord (const juce::String& systemName);

    /** "Version <own version> <system word>", for the system this runs on. */
    juce::String initialVersionText();

    /** The text with its dots removed, read as atoi reads it: "2.10.0" is 2100, "3.0" is 30. */
    int versionNumber (const juce::String& text);

    /** True when the published text reads as a larger number than the plug-in's own version. */
    bool isNewerVersion (const juce::String& publishedText);

    /**
        Posts an empty request to the given address and returns the body of the reply: at most
        32,768 bytes, cut at the first zero byte. Returns "1.0.0" when there is no connection, the
        stream fails, a reported length doesn't arrive whole or doesn't fit the buffer, or the reply
        is still coming 60 seconds after the request began.
    */
    juce::String readVersionReply (const juce::URL& versionFile);

    /** Asks the version file once; returns the new-version notice, or `current` unchanged. */
    juce::String versionTextAfterCheck (const juce::String& current);

    /** Opens the home page in the default web browser. */
    void openHomePage();
}
