#include "update/sockets.h"

#include "base/error.h"

namespace vexlor::update {

WinsockSession::WinsockSession() {
    WSADATA data{};
    const int result = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (result != 0)
        throw Error(L"Cannot start Windows Sockets. " +
                    SystemErrorText(static_cast<unsigned long>(result)));
}

} // namespace vexlor::update
