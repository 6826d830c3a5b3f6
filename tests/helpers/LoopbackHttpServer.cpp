#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace testing_support
{
    namespace
    {
        constexpr int giveUpAfterMs = 10000;  // no client by then: the test has failed anyway
        constexpr int pollStepMs = 50;
        constexpr size_t maxRequestBytes = 65536;

        int boundLoopbackSocket (int& portOut)
        {
            const int fd = ::socket (AF_INET, SOCK_STREAM, 0);

            if (fd < 0)
                throw std::runtime_error ("socket");

            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
            address.sin_port = 0;
            socklen_t size = sizeof (address);

            if (::bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
                || ::getsockname (fd, reinterpret_cast<sockaddr*> (&address), &size) != 0)
            {
                ::close (fd);
                throw std::runtime_error ("bind");
            }

            portOut = ntohs (address.sin_port);
            return fd;
        }

        bool waitReadable (int fd, int timeoutMs)
        {
            pollfd p { fd, POLLIN, 0 };
            return ::poll (&p, 1, timeoutMs) > 0;
        }

        std::string lowerCase (std::string s)
        {
            for (auto& c : s)
                c = (char) std::tolower ((unsigned char) c);

            return s;
        }

        std::string trimmed (const std::string& s)
        {
            const auto first = s.find_first_not_of (" \t");
            const auto last = s.find_last_not_of (" \t\r");
            return first == std::string::npos ? std::string() : s.substr (first, last - first + 1);
        }
    }

    LoopbackHttpServer::LoopbackHttpServer (std::vector<std::string> replyPieces, int pauseBetweenPiecesMs,
                                            bool staySilentAfterPieces)
        : pieces (std::move (replyPieces)), pauseMs (pauseBetweenPiecesMs), staySilent (staySilentAfterPieces)
    {
        listener = boundLoopbackSocket (port);

        if (::listen (listener, 4) != 0)
        {
            ::close (listener);
            throw std::runtime_error ("listen");
        }

        thread = std::thread ([this] { serve(); });
    }

    LoopbackHttpServer::~LoopbackHttpServer()
    {
        stopping = true;
        thread.join();
        ::close (listener);
    }

    juce::String LoopbackHttpServer::baseAddress() const
    {
        return "http://127.0.0.1:" + juce::String (port);
    }

    LoopbackHttpServer::Request LoopbackHttpServer::request (bool& served) const
    {
        const std::lock_guard<std::mutex> lock (recordLock);
        served = requestServed;
        return recorded;
    }

    std::string LoopbackHttpServer::reply (const std::string& body, bool withLength, const std::string& status)
    {
        std::string head = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nConnection: close\r\n";

        if (withLength)
            head += "Content-Length: " + std::to_string (body.size()) + "\r\n";

        return head + "\r\n" + body;
    }

    std::string LoopbackHttpServer::replyReporting (long long reportedLength, const std::string& body)
    {
        return "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + std::to_string (reportedLength)
             + "\r\n\r\n" + body;
    }

    int LoopbackHttpServer::unusedPort()
    {
        int port = 0;
        ::close (boundLoopbackSocket (port));
        return port;
    }

    void LoopbackHttpServer::serve()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (giveUpAfterMs);
        int connection = -1;

        while (! stopping && std::chrono::steady_clock::now() < deadline)
        {
            if (waitReadable (listener, pollStepMs))
            {
                connection = ::accept (listener, nullptr, nullptr);
                break;
            }
        }

        if (connection < 0)
            return;

        if (readRequest (connection))
        {
            bool clientThere = true;

            for (size_t i = 0; i < pieces.size() && clientThere && ! stopping; ++i)
            {
                if (i > 0 && pauseMs > 0)
                    clientThere = clientStays (connection, pauseMs);

                const auto& piece = pieces[i];

                // A client that stops reading early closes on us: MSG_NOSIGNAL keeps SIGPIPE away.
                for (size_t sent = 0; sent < piece.size() && clientThere;)
                {
                    const auto n = ::send (connection, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
                    clientThere = n > 0;
                    sent += clientThere ? (size_t) n : 0;
                }
            }

            if (clientThere && staySilent)
                clientStays (connection, giveUpAfterMs);
        }

        ::shutdown (connection, SHUT_WR);
        ::close (connection);
    }

    bool LoopbackHttpServer::clientStays (int connection, int forMs) const
    {
        using namespace std::chrono;
        const auto until = steady_clock::now() + milliseconds (forMs);
        char scrap[256];

        while (! stopping)
        {
            const auto leftMs = (int) duration_cast<milliseconds> (until - steady_clock::now()).count();

            if (leftMs <= 0)
                return true;

            if (waitReadable (connection, std::min (leftMs, pollStepMs))
                && ::recv (connection, scrap, sizeof (scrap), 0) <= 0)
                return false;
        }

        return false;
    }

    bool LoopbackHttpServer::readRequest (int connection)
    {
        std::string received;
        size_t headerEnd = std::string::npos;
        size_t bodyLength = 0;
        char chunk[4096];

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (giveUpAfterMs);

        while (! stopping && std::chrono::steady_clock::now() < deadline && received.size() < maxRequestBytes)
        {
            if (headerEnd != std::string::npos && received.size() >= headerEnd + 4 + bodyLength)
                break;

            if (! waitReadable (connection, pollStepMs))
                continue;

            const auto n = ::recv (connection, chunk, sizeof (chunk), 0);

            if (n <= 0)
                return false;

            received.append (chunk, (size_t) n);

            if (headerEnd == std::string::npos && (headerEnd = received.find ("\r\n\r\n")) != std::string::npos)
            {
                Request parsed;
                size_t lineStart = 0;

                while (lineStart < headerEnd)
                {
                    auto lineEnd = received.find ("\r\n", lineStart);
                    const auto line = received.substr (lineStart, lineEnd - lineStart);
                    lineStart = lineEnd + 2;

                    if (parsed.requestLine.empty())
                    {
                        parsed.requestLine = line;
                        continue;
                    }

                    const auto colon = line.find (':');

                    if (colon != std::string::npos)
                        parsed.headers[lowerCase (line.substr (0, colon))] = trimmed (line.substr (colon + 1));
                }

                if (const auto it = parsed.headers.find ("content-length"); it != parsed.headers.end())
                    bodyLength = (size_t) std::stoul (it->second);

                const std::lock_guard<std::mutex> lock (recordLock);
                recorded = std::move (parsed);
            }
        }

        if (headerEnd == std::string::npos || received.size() < headerEnd + 4 + bodyLength)
            return false;

        const std::lock_guard<std::mutex> lock (recordLock);
        // Everything after the headers counts, so a body longer than announced shows too.
        recorded.body = received.substr (headerEnd + 4);
        requestServed = true;
        return true;
    }
}
