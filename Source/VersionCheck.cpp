#include "VersionCheck.h"
#include "VersionCheckTesting.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#ifndef SELVANDRINE_WEBSITE
 #error "SELVANDRINE_WEBSITE must name the maker's web address"
#endif

namespace selvandrine
{
    namespace
    {
        constexpr const char* ownVersion = JucePlugin_VersionString;
        constexpr const char* failedReply = "1.0.0"; // reads as 100, below any release: no notice
        constexpr int readBufferSize = 32768;

        // The request's time limit, given to the stream as its time-out too. Without one, JUCE's
        // curl path waits as long as the server likes, and the host's window stays frozen while
        // the editor opens.
        constexpr int shippedTimeLimitMs = 60000;

        /**
            With a time-out, curl gives up on a connection or a reply that brings less than 100
            bytes a second for that long, but not on a faster trickle, a burst just before each
            time-out, or a redirect that it follows while connecting. So the stream is cancelled
            at the deadline from a watchdog thread, and the editor opens by then whatever the
            server does; the request itself stays on the editor's thread.
        */
        class Deadline
        {
        public:
            Deadline (juce::WebInputStream& stream, int milliseconds)
                : watchdog ([this, &stream, milliseconds]
                            {
                                if (! ended.wait (milliseconds))
                                    stream.cancel();
                            })
            {
            }

            ~Deadline()
            {
                ended.signal();
                watchdog.join();
            }

        private:
            juce::WaitableEvent ended;
            std::thread watchdog;

            JUCE_DECLARE_NON_COPYABLE (Deadline)
        };

        juce::CriticalSection baseAddressLock;
        juce::String baseAddressOverride;
        std::atomic<int> timeLimitOverrideMs { 0 };

        juce::String versionFileBase()
        {
            const juce::ScopedLock lock (baseAddressLock);
            return baseAddressOverride.isNotEmpty() ? baseAddressOverride : websiteAddress();
        }

        int requestTimeLimitMs()
        {
            const auto overrideMs = timeLimitOverrideMs.load (std::memory_order_relaxed);
            return overrideMs > 0 ? overrideMs : shippedTimeLimitMs;
        }
    }

    juce::String websiteAddress()
    {
        return juce::String (SELVANDRINE_WEBSITE).trimCharactersAtEnd ("/");
    }

    juce::URL homePageUrl()
    {
        return juce::URL (websiteAddress());
    }

    juce::URL versionFileUrl()
    {
        return juce::URL (versionFileBase().trimCharactersAtEnd ("/") + "/selvandrinecompressor/version.txt");
    }

    juce::String operatingSystemWord (const juce::String& systemName)
    {
        if (systemName.contains ("Mac"))
            return "Mac";

        if (systemName.contains ("Linux"))
            return "Linux";

        return "Win";
    }

    juce::String initialVersionText()
    {
        juce::String text;
        text << "Version " << ownVersion << " "
             << operatingSystemWord (juce::SystemStats::getOperatingSystemName());
        return text;
    }

    int versionNumber (const juce::String& text)
    {
        return std::atoi (text.replace (".", "").toRawUTF8());
    }

    bool isNewerVersion (const juce::String& publishedText)
    {
        return versionNumber (ownVersion) < versionNumber (publishedText);
    }

    juce::String readVersionReply (const juce::URL& versionFile)
    {
        const auto limitMs = requestTimeLimitMs();

        // Parameters in the body make this a POST; the address has none, so the body is empty.
        juce::WebInputStream stream (versionFile, true);
        stream.withConnectionTimeout (limitMs);
        const Deadline deadline (stream, limitMs);

        if (! stream.connect (nullptr))
            return failedReply;

        const juce::int64 total = stream.getTotalLength(); // negative when the reply gives no length
        juce::HeapBlock<char> buffer (readBufferSize);
        juce::int64 received = 0;

        while (! stream.isError())
        {
            const auto room = readBufferSize - received;
            const auto wanted = total >= 0 ? juce::jmin (total - received, room) : room;

            if (wanted <= 0)
                break;

            const auto count = stream.read (buffer + received, (int) wanted);

            if (count <= 0 || stream.isError())
                break;

            received += count;

            if (received == total)
                break;
        }

        if (stream.isError() || (total > 0 && received < total))
            return failedReply;

        const auto* end = std::find (buffer.get(), buffer + received, '\0');
        return juce::String::fromUTF8 (buffer, (int) (end - buffer.get()));
    }

    juce::String versionTextAfterCheck (const juce::String& current)
    {
        const auto published = readVersionReply (versionFileUrl());

        if (isNewerVersion (published))
            return "New version available " + published;

        return current;
    }

    void openHomePage()
    {
        homePageUrl().launchInDefaultBrowser();
    }

    void testing::setVersionCheckBaseAddress (const juce::String& baseAddress)
    {
        const juce::ScopedLock lock (baseAddressLock);
        baseAddressOverride = baseAddress;
    }

    void testing::setVersionCheckTimeLimit (int milliseconds)
    {
        timeLimitOverrideMs.store (milliseconds, std::memory_order_relaxed);
    }
}
