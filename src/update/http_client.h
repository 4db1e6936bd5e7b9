#pragma once
// A plain HTTP/1.1 GET over a direct TCP connection: no TLS, no proxy, no redirects.

#include <chrono>
#include <cstdint>
#include <string>

#include "update/http_response.h"

namespace vexlor::update {

// The parts of an http:// address the request needs, as the bytes that go on the wire.
struct HttpAddress {
    std::string host;
    std::uint16_t port = 80;
    std::string path; // starts with '/'; may carry a query
};

// Reads "http://host[:port][/path]". Characters of the path that may not appear in a request
// line (blanks, controls, non-ASCII as UTF-8) are percent-encoded; a fragment is dropped.
// Any other scheme, an IPv6 literal or user information is an Error.
HttpAddress ParseHttpUrl(const std::wstring& url);

// The exact bytes of the GET request for `address`.
std::string BuildGetRequest(const HttpAddress& address);

// How long a fetch may wait, so that a server that says nothing, or trickles its answer, cannot
// hold the caller for ever.
struct HttpLimits {
    std::chrono::milliseconds connect = std::chrono::seconds(30); // for the connection
    std::chrono::milliseconds receive = std::chrono::seconds(30); // for each next byte
    std::chrono::milliseconds exchange = std::chrono::minutes(2); // for the whole fetch
};

// Fetches `url` from its server's IPv4 address and hands the body of a 2xx answer to `sink`
// as it arrives. Throws an Error when the host is unknown, the connection fails or is lost, a
// limit runs out, the status is not 2xx (its number is in the text), or the answer is
// malformed or exceeds the bounds. The name lookup itself is the system's and has its own.
void HttpGet(const std::wstring& url, BodySink& sink, const HttpLimits& limits = {});

} // namespace vexlor::update
