#include "VersionCheck.h"
#include "VersionCheckTesting.h"
#include "helpers/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testing_support::LoopbackHttpServer;

namespace
{
    const juce::String initialText = "Version 2.5.0 Linux";

    juce::String notice (const std::string& published)
    {
        return "New version available " + juce::String::fromUTF8 (published.data(), (int) published.size());
    }

    struct VersionCheckOnLoopback : ::testing::Test
    {
        // Loopback must never go through a proxy that the environment may name.
        VersionCheckOnLoopback() { ::setenv ("no_proxy", "127.0.0.1", 1); }
        ~VersionCheckOnLoopback() override
        {
            selvandrine::testing::setVersionCheckBaseAddress ({});
            selvandrine::testing::setVersionCheckTimeLimit (0);
        }

        /** The editor's versionText after its check against the given base address. */
        static juce::String checkAddress (const juce::String& baseAddress)
        {
            selvandrine::testing::setVersionCheckBaseAddress (baseAddress);
            return selvandrine::versionTextAfterCheck (selvandrine::initialVersionText());
        }

        static juce::String checkReply (std::vector<std::string> pieces, int pauseMs = 0)
        {
            LoopbackHttpServer server (std::move (pieces), pauseMs);
            return checkAddress (server.baseAddress());
        }
    };

    struct Case
    {
        const char* what;
        std::string reply;
        juce::String expected;
    };
}

TEST_F (VersionCheckOnLoopback, ComparesTheReplyAsOneNumberWithoutItsDots)
{
    const std::string withZero ("2.5.1\0" "9.9.9", 11);

    const Case cases[] = {
        { "same version", LoopbackHttpServer::reply ("2.5.0"), initialText },
        { "patch above", LoopbackHttpServer::reply ("2.5.1"), notice ("2.5.1") },
        { "2.10.0 is 2100", LoopbackHttpServer::reply ("2.10.0"), notice ("2.10.0") },
        { "3.0.0 is 300", LoopbackHttpServer::reply ("3.0.0"), notice ("3.0.0") },
        { "3.0 is 30", LoopbackHttpServer::reply ("3.0"), initialText },
        { "below", LoopbackHttpServer::reply ("2.4.9"), initialText },
        { "the fallback text", LoopbackHttpServer::reply ("1.0.0"), initialText },
        { "line break kept", LoopbackHttpServer::reply ("2.6.0\n"), notice ("2.6.0\n") },
        { "leading white space kept", LoopbackHttpServer::reply (" \t\n2.6.0"), notice (" \t\n2.6.0") },
        { "HTML page", LoopbackHttpServer::reply ("<!DOCTYPE html><html><body>9.9.9</body></html>"), initialText },
        { "letter first", LoopbackHttpServer::reply ("v2.6.0"), initialText },
        { "empty, length 0", LoopbackHttpServer::reply (""), initialText },
        { "empty, no length", LoopbackHttpServer::reply ("", false), initialText },
        { "zero byte ends the text", LoopbackHttpServer::reply (withZero), notice ("2.5.1") },
        { "status is not looked at", LoopbackHttpServer::reply ("2.5.1", true, "404 Not Found"), notice ("2.5.1") },
    };

    for (const auto& c : cases)
        EXPECT_EQ (checkReply ({ c.reply }), c.expected) << c.what;
}

TEST_F (VersionCheckOnLoopback, ReadsAtMostTheBufferAndOnlyWholeReplies)
{
    // Newer at the start, so any text that gets through shows as a notice.
    auto body = [] (size_t size, char fill)
    {
        std::string b = "2.5.1\n";
        b.resize (size, fill);
        return b;
    };

    const auto big = body (32768, 'a') + std::string (40000 - 32768, 'b');
    const auto full = body (32768, 'c');
    const std::string chunked = "HTTP/1.1 200 OK\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n";

    const Case cases[] = {
        { "40,000 reported", LoopbackHttpServer::reply (big), initialText },
        { "40,000 unreported, cut to the buffer", LoopbackHttpServer::reply (big, false), notice (big.substr (0, 32768)) },
        { "32,768 reported fills the buffer", LoopbackHttpServer::reply (full), notice (full) },
        { "reported length never arrives", LoopbackHttpServer::replyReporting (10, "2.5.1"), initialText },
        { "only the reported bytes are read", LoopbackHttpServer::replyReporting (3, "2.6.0"), initialText },
        { "closed without a reply", "", initialText },
        { "chunked, whole", chunked + "5\r\n2.5.1\r\n0\r\n\r\n", notice ("2.5.1") },
        { "chunked, cut short: an error without a length", chunked + "5\r\n2.5.1\r\n", initialText },
    };

    for (const auto& c : cases)
        EXPECT_EQ (checkReply ({ c.reply }), c.expected) << c.what;

    const auto head = LoopbackHttpServer::reply ("", false);
    EXPECT_EQ (checkReply ({ head, "2.", "5", ".1" }, 40), notice ("2.5.1")) << "pieces, no length";
    EXPECT_EQ (checkReply ({ LoopbackHttpServer::replyReporting (5, "2."), "5", ".1" }, 40), notice ("2.5.1"))
        << "pieces with length";

    EXPECT_EQ (checkAddress ("http://127.0.0.1:" + juce::String (LoopbackHttpServer::unusedPort())), initialText)
        << "refused connection";
}

TEST_F (VersionCheckOnLoopback, GivesUpOnSlowServersNearTheTimeLimit)
{
    constexpr int limitMs = 1000;
    constexpr int marginMs = 1500; // curl keeps its time-outs in whole seconds
    selvandrine::testing::setVersionCheckTimeLimit (limitMs);

    // Each server stays open after its pieces; a reply that got through whole would show a notice.
    const auto head = LoopbackHttpServer::reply ("", false);
    std::vector<std::string> byteASecond { head };
    std::vector<std::string> aboveCurlsFloor { head, "2.5.1\n" + std::string (9, 'a') };

    for (const char c : std::string ("2.5.1\n"))
        byteASecond.push_back (std::string (1, c));

    aboveCurlsFloor.resize (40, std::string (15, 'a'));

    // curl reads a redirect's body while it connects, out of the check's reach.
    std::vector<std::string> trickledRedirect { "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 100000\r\n\r\n" };
    trickledRedirect.resize (60, std::string (150, 'a'));

    struct SlowCase
    {
        const char* what;
        std::vector<std::string> pieces;
        int pauseMs;
    };

    const SlowCase cases[] = {
        { "accepts, never answers", {}, 0 },
        { "headers, then nothing", { LoopbackHttpServer::replyReporting (5, "") }, 0 },
        { "a byte a second", byteASecond, 1000 },
        { "150 bytes a second, above curl's floor of 100", aboveCurlsFloor, 100 },
        { "a redirect whose body comes at 1,500 bytes a second", trickledRedirect, 100 },
    };

    for (const auto& c : cases)
    {
        LoopbackHttpServer server (c.pieces, c.pauseMs, true);
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_EQ (checkAddress (server.baseAddress()), initialText) << c.what;
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, limitMs + marginMs) << c.what;
    }
}

TEST_F (VersionCheckOnLoopback, PostsAnEmptyBodyToTheVersionFile)
{
    LoopbackHttpServer server ({ LoopbackHttpServer::reply ("2.5.0") });
    checkAddress (server.baseAddress());

    bool served = false;
    const auto request = server.request (served);
    ASSERT_TRUE (served);
    EXPECT_EQ (request.requestLine, "POST /selvandrinecompressor/version.txt HTTP/1.1");
    EXPECT_EQ (request.headers.count ("content-length") ? request.headers.at ("content-length") : "none", "0");
    EXPECT_EQ (request.body, "");
}

TEST (VersionCheck, AddressesUseTheMakersHostOverHttps)
{
    const auto file = selvandrine::versionFileUrl();
    const auto home = selvandrine::homePageUrl();

    EXPECT_EQ (file.getScheme(), "https");
    EXPECT_EQ (file.getSubPath(), "selvandrinecompressor/version.txt");
    EXPECT_TRUE (file.getParameterNames().isEmpty());
    EXPECT_EQ (home.getScheme(), "https");
    EXPECT_EQ (home.getDomain(), file.getDomain());
    EXPECT_EQ (home.getSubPath(), "");
}

TEST (VersionCheck, InitialTextNamesTheVersionAndTheSystem)
{
    EXPECT_EQ (selvandrine::initialVersionText(), initialText);
    EXPECT_EQ (selvandrine::operatingSystemWord ("Mac OSX 13.4.1"), "Mac");
    EXPECT_EQ (selvandrine::operatingSystemWord ("Linux"), "Linux");
    EXPECT_EQ (selvandrine::operatingSystemWord ("Windows 10"), "Win");
    EXPECT_EQ (selvandrine::operatingSystemWord ("mac"), "Win"); // the test is case-sensitive
}
