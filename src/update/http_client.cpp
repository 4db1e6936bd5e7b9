#include "update/http_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <cwctype>
#include <memory>

#include "base/ascii.h"
#include "base/error.h"
#include "update/sockets.h"

namespace vexlor::update {
namespace {

constexpr wchar_t kScheme[] = L"http://";
constexpr std::size_t kReceiveBufferBytes = 16 * 1024;

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// The moment the whole exchange must be over.
class Deadline {
public:
    explicit Deadline(Milliseconds span) : end_(Clock::now() + span) {}
    Milliseconds Left() const {
        return std::max(Milliseconds(0),
                        std::chrono::duration_cast<Milliseconds>(end_ - Clock::now()));
    }

private:
    Clock::time_point end_;
};

timeval ToTimeval(Milliseconds span) {
    return {static_cast<long>(span.count() / 1000), static_cast<long>(span.count() % 1000 * 1000)};
}

[[noreturn]] void ThrowBadAddress(const std::wstring& url) {
    throw Error(L"\"" + url + L"\" is not an http:// address that can be fetched.");
}

bool StartsWithScheme(const std::wstring& url) {
    const std::wstring scheme = kScheme;
    return url.size() >= scheme.size() &&
           std::equal(scheme.begin(), scheme.end(), url.begin(),
                      [](wchar_t a, wchar_t b) { return a == std::towlower(b); });
}

bool IsHostChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'-' || c == L'.' || c == L'_';
}

std::uint16_t ParsePort(const std::wstring& text, const std::wstring& url) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        ThrowBadAddress(url);
    const unsigned long port = std::stoul(text);
    if (port == 0 || port > 65535)
        ThrowBadAddress(url);
    return static_cast<std::uint16_t>(port);
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                          nullptr, nullptr);
    return utf8;
}

// Keeps the request line one line of printable ASCII, whatever the address holds.
std::string EncodePath(const std::wstring& path) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : ToUtf8(path)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte < 0x7F) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

AddressList Resolve(const HttpAddress& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    const int result =
        ::getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &list);
    if (result != 0)
        throw Error(L"Cannot find the server \"" + WidenAscii(address.host) + L"\". " +
                    SystemErrorText(static_cast<unsigned long>(result)));
    return AddressList(list);
}

// Connects without waiting longer than `wait`: 0, or the socket error. A blocking connect
// would wait for as long as the system tries. The socket is left blocking, since every later
// wait is a select before the call.
int ConnectWithin(SOCKET socket, const addrinfo& entry, Milliseconds wait) {
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0)
        return ::WSAGetLastError();
    if (::connect(socket, entry.ai_addr, static_cast<int>(entry.ai_addrlen)) != 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return ::WSAGetLastError();
        fd_set connected;
        FD_ZERO(&connected);
        FD_SET(socket, &connected);
        fd_set failed = connected;
        timeval timeout = ToTimeval(wait); // mingw-w64 declares select with a non-const one
        const int ready = ::select(0, nullptr, &connected, &failed, &timeout);
        if (ready == SOCKET_ERROR)
            return ::WSAGetLastError();
        if (ready == 0)
            return WSAETIMEDOUT;
        int error = 0;
        int size = sizeof(error);
        if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
            return ::WSAGetLastError();
        if (error != 0)
            return error;
    }
    u_long blocking = 0;
    return ::ioctlsocket(socket, FIONBIO, &blocking) == 0 ? 0 : ::WSAGetLastError();
}

// Tries each address of the host in turn; the last refusal is the one reported.
UniqueSocket Connect(const HttpAddress& address, Milliseconds limit, const Deadline& deadline) {
    const AddressList list = Resolve(address);
    int error = WSAHOST_NOT_FOUND;
    for (const addrinfo* entry = list.get(); entry; entry = entry->ai_next) {
        UniqueSocket socket(::socket(entry->ai_family, entry->ai_socktype, entry->ai_protocol));
        error = socket ? ConnectWithin(socket.Get(), *entry, std::min(limit, deadline.Left()))
                       : ::WSAGetLastError();
        if (error == 0)
            return socket;
    }
    throw Error(L"Cannot connect to the server \"" + WidenAscii(address.host) + L":" +
                std::to_wstring(address.port) + L"\". " +
                SystemErrorText(static_cast<unsigned long>(error)));
}

[[noreturn]] void ThrowConnectionLost(const HttpAddress& address) {
    const int error = ::WSAGetLastError();
    throw Error(L"The connection to the server \"" + WidenAscii(address.host) + L"\" was lost. " +
                SystemErrorText(static_cast<unsigned long>(error)));
}

// Returns once the next bytes can be read, or the connection has ended; throws when the
// receive limit or the exchange's deadline comes first.
void AwaitBytes(SOCKET socket, const HttpLimits& limits, const Deadline& deadline,
                const HttpAddress& address) {
    const Milliseconds left = deadline.Left();
    const Milliseconds wait = std::min(limits.receive, left);
    if (wait.count() > 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval timeout = ToTimeval(wait); // mingw-w64 declares select with a non-const one
        const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
        if (ready == SOCKET_ERROR)
            ThrowConnectionLost(address);
        if (ready > 0)
            return;
    }
    const std::wstring server = L"The server \"" + WidenAscii(address.host) + L"\" ";
    throw Error(server + (wait < left ? L"has sent nothing for too long."
                                      : L"has taken too long over its answer."));
}

// The request is a few hundred bytes, which a new connection's buffer always takes at once.
void SendAll(SOCKET socket, const std::string& bytes, const HttpAddress& address) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int result =
            ::send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (result == SOCKET_ERROR)
            ThrowConnectionLost(address);
        sent += static_cast<std::size_t>(result);
    }
}

std::wstring FailureText(const ResponseParser& parser) {
    switch (parser.Failure()) {
    case ResponseFailure::Status:
        return L"The server answered with status " + std::to_wstring(parser.StatusCode()) + L".";
    case ResponseFailure::MalformedStatusLine:
        return L"The server's answer does not begin with an HTTP status line.";
    case ResponseFailure::MalformedHeader:
        return L"The server's answer has a malformed header line.";
    case ResponseFailure::MalformedContentLength:
        return L"The server's answer has an invalid Content-Length.";
    case ResponseFailure::MalformedChunk:
        return L"The server's answer has a malformed chunk.";
    case ResponseFailure::LineTooLong:
        return L"The server's answer has a line longer than " + std::to_wstring(MaxLineBytes) +
               L" bytes.";
    case ResponseFailure::TooManyHeaders:
        return L"The server's answer has more than " + std::to_wstring(MaxHeaderLines) +
               L" header lines.";
    case ResponseFailure::TooManyInterimAnswers:
        return L"The server sent more than " + std::to_wstring(MaxInterimAnswers) +
               L" interim answers.";
    case ResponseFailure::TooManyLineBytes:
        return L"The server's answer has more than " + std::to_wstring(MaxLineBytesTotal) +
               L" bytes outside its body.";
    case ResponseFailure::BodyTooLarge:
        return L"The server's answer is larger than " + std::to_wstring(MaxBodyBytes) + L" bytes.";
    case ResponseFailure::Truncated:
        return L"The server closed the connection before its answer was complete.";
    case ResponseFailure::None:
        break;
    }
    return L"The server's answer cannot be read.";
}

void ReceiveResponse(SOCKET socket, BodySink& sink, const HttpAddress& address,
                     const HttpLimits& limits, const Deadline& deadline) {
    ResponseParser parser(sink);
    auto buffer = std::make_unique<char[]>(kReceiveBufferBytes);
    while (parser.State() == ResponseState::NeedMore) {
        AwaitBytes(socket, limits, deadline, address);
        const int received = ::recv(socket, buffer.get(), static_cast<int>(kReceiveBufferBytes), 0);
        if (received == SOCKET_ERROR)
            ThrowConnectionLost(address);
        if (received == 0)
            parser.Finish();
        else
            parser.Feed(buffer.get(), static_cast<std::size_t>(received));
    }
    if (parser.State() == ResponseState::Failed)
        throw Error(FailureText(parser));
}

} // namespace

HttpAddress ParseHttpUrl(const std::wstring& url) {
    if (!StartsWithScheme(url))
        ThrowBadAddress(url);
    const std::size_t authorityStart = std::wcslen(kScheme);
    const std::size_t authorityEnd =
        std::min(url.find_first_of(L"/?#", authorityStart), url.size());
    const std::wstring authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const std::size_t colon = authority.find(L':');
    const std::wstring host = authority.substr(0, colon);
    if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostChar))
        ThrowBadAddress(url);

    HttpAddress address;
    address.host = ToUtf8(host);
    if (colon != std::wstring::npos)
        address.port = ParsePort(authority.substr(colon + 1), url);
    const std::wstring path = url.substr(authorityEnd, url.find(L'#', authorityEnd) - authorityEnd);
    address.path = EncodePath(path.empty() || path.front() != L'/' ? L"/" + path : path);
    return address;
}

std::string BuildGetRequest(const HttpAddress& address) {
    std::string host = address.host;
    if (address.port != 80)
        host += ":" + std::to_string(address.port);
    return "GET " + address.path + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" +
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

void HttpGet(const std::wstring& url, BodySink& sink, const HttpLimits& limits) {
    const Deadline deadline(limits.exchange);
    const HttpAddress address = ParseHttpUrl(url);
    const WinsockSession winsock;
    const UniqueSocket socket = Connect(address, limits.connect, deadline);
    SendAll(socket.Get(), BuildGetRequest(address), address);
    ReceiveResponse(socket.Get(), sink, address, limits, deadline);
}

} // namespace vexlor::update
