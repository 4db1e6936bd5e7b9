#pragma once
// A scripted HTTP server on 127.0.0.1 for the download tests, in a thread of the test process.
// It records the request bytes exactly as they arrive and plays a canned answer in parts, with
// a pause between them so that the client reads them separately.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "update/sockets.h"

namespace vexlor::testing {

using update::UniqueSocket;

// A loopback TCP socket bound to `port`, or to a port of the system's choosing for 0.
inline UniqueSocket BoundLoopbackSocket(std::uint16_t& port) {
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    // A fixed port is taken again by the next test at once, whatever is left of the last.
    const BOOL reuse = port != 0;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                 sizeof(reuse));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    ::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&address), size);
    ::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return socket;
}

// A port that refuses connections: bound, so no one else takes it, but never listening.
class RefusingPort {
public:
    std::uint16_t Port() const { return port_; }

private:
    update::WinsockSession winsock_;
    std::uint16_t port_ = 0;
    UniqueSocket socket_ = BoundLoopbackSocket(port_);
};

class LoopbackServer {
public:
    enum class Ending {
        Close,         // closes the connection after the last part
        WaitForClient, // keeps it open until the client closes it (at most 5 s)
        Stall,         // keeps it open, silent, until the client closes it or the server stops
        Endless,       // repeats the last part until the client goes away
        Trickle,       // the same, one part every 5 ms, until the client goes or the server stops
    };

    explicit LoopbackServer(std::vector<std::string> answer, Ending ending = Ending::Close,
                            std::uint16_t port = 0)
        : answer_(std::move(answer)), ending_(ending), port_(port) {
        ::listen(listener_.Get(), SOMAXCONN);
        thread_ = std::thread([this] { Run(); });
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() { Stop(); }

    std::wstring Url(const std::wstring& path) const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
    }
    std::uint16_t Port() const { return port_; }

    // Waits for the connection being served, and accepts no more. Call before the results.
    void Stop() {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    const std::string& Request() const { return request_; }
    int Connections() const { return connections_; }
    bool ClientClosedFirst() const { return clientClosedFirst_; }

private:
    static bool Readable(SOCKET socket, long milliseconds) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        timeval wait{milliseconds / 1000, milliseconds % 1000 * 1000};
        return ::select(0, &set, nullptr, nullptr, &wait) == 1;
    }

    void Run() {
        while (!stopping_) {
            if (!Readable(listener_.Get(), 50))
                continue;
            const UniqueSocket connection(::accept(listener_.Get(), nullptr, nullptr));
            ++connections_;
            const BOOL noDelay = TRUE; // every part its own segment
            ::setsockopt(connection.Get(), IPPROTO_TCP, TCP_NODELAY,
                         reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
            Serve(connection.Get());
        }
    }

    // Appends what arrives to the request; false once the client has closed or reset.
    bool Receive(SOCKET connection) {
        char buffer[4096];
        const int received = ::recv(connection, buffer, sizeof(buffer), 0);
        if (received > 0)
            request_.append(buffer, static_cast<std::size_t>(received));
        return received > 0;
    }

    void Serve(SOCKET connection) {
        while (request_.find("\r\n\r\n") == std::string::npos && Receive(connection)) {
        }
        for (std::size_t part = 0; part < answer_.size(); ++part) {
            if (part > 0)
                ::Sleep(30);
            Send(connection, answer_[part]);
        }
        if (ending_ == Ending::Endless || ending_ == Ending::Trickle) {
            std::size_t sent = 0; // a bound of its own, should the client never go away
            while (!stopping_ && sent < (256u << 20) && Send(connection, answer_.back())) {
                sent += answer_.back().size();
                if (ending_ == Ending::Trickle)
                    ::Sleep(5);
            }
        } else if (ending_ == Ending::WaitForClient) {
            for (int wait = 0; wait < 50 && !clientClosedFirst_; ++wait)
                clientClosedFirst_ = Readable(connection, 100) && !Receive(connection);
        } else if (ending_ == Ending::Stall) {
            while (!stopping_ && !clientClosedFirst_)
                clientClosedFirst_ = Readable(connection, 50) && !Receive(connection);
        }
        ::shutdown(connection, SD_SEND);
    }

    static bool Send(SOCKET connection, const std::string& bytes) {
        return ::send(connection, bytes.data(), static_cast<int>(bytes.size()), 0) ==
               static_cast<int>(bytes.size());
    }

    update::WinsockSession winsock_;
    std::vector<std::string> answer_;
    Ending ending_;
    std::uint16_t port_ = 0;
    UniqueSocket listener_ = BoundLoopbackSocket(port_);
    std::atomic<bool> stopping_ = false;
    std::string request_;
    int connections_ = 0;
    bool clientClosedFirst_ = false;
    std::thread thread_;
};

} // namespace vexlor::testing
