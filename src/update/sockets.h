#pragma once
// Owners for Winsock: the library's start-up and one socket.

#include <winsock2.h>

#include "base/handles.h"

namespace vexlor::update {

// WSAStartup for the lifetime of the object; WSACleanup after it.
class WinsockSession {
public:
    WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() { ::WSACleanup(); }
};

namespace detail {
inline void CloseSocket(SOCKET socket) {
    ::closesocket(socket);
}
struct InvalidSocketIsEmpty {
    static SOCKET Empty() { return INVALID_SOCKET; }
};
} // namespace detail

using UniqueSocket = UniqueHandle<SOCKET, detail::CloseSocket, detail::InvalidSocketIsEmpty>;

} // namespace vexlor::update
