#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support
{
    /**
        An HTTP server on 127.0.0.1 at an ephemeral port that answers one connection with canned
        bytes and then stops. It records the request it got. It gives up by itself after a few
        seconds without a client, and its destructor joins its thread.
    */
    class LoopbackHttpServer
    {
    public:
        struct Request
        {
            std::string requestLine;
            std::map<std::string, std::string> headers; // names in lower case
            std::string body;                          // the Content-Length bytes after the headers
        };

        /**
            Sends the pieces in order, pausing between them, then closes the connection; or, when
            told to stay silent, keeps it open without a word until the client leaves (or for as long
            as it waits for a client). A client that leaves ends the pieces too.
        */
        explicit LoopbackHttpServer (std::vector<std::string> replyPieces, int pauseBetweenPiecesMs = 0,
                                     bool staySilentAfterPieces = false);
        ~LoopbackHttpServer();

        /** "http://127.0.0.1:<port>" */
        juce::String baseAddress() const;

        /** The request served so far; `served` is false until one has been read whole. */
        Request request (bool& served) const;

        /** A reply with a status line, an optional Content-Length and the body. */
        static std::string reply (const std::string& body, bool withLength = true,
                                  const std::string& status = "200 OK");

        /** A reply that announces `reportedLength` bytes whatever the body's real size. */
        static std::string replyReporting (long long reportedLength, const std::string& body);

        /** A loopback port on which nothing listens (bound, then released). */
        static int unusedPort();

    private:
        void serve();
        bool readRequest (int connection);
        bool clientStays (int connection, int forMs) const;

        std::vector<std::string> pieces;
        int pauseMs;
        bool staySilent;
        int listener = -1;
        int port = 0;
        std::atomic<bool> stopping { false };

        mutable std::mutex recordLock;
        Request recorded;
        bool requestServed = false;

        std::thread thread;

        JUCE_DECLARE_NON_COPYABLE (LoopbackHttpServer)
    };
}
