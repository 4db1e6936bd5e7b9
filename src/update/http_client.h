#pragma once
// A plain HTTP/1.1 GET over a direct TCP connection: no TLS, no proxy, no redirects.

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

// Fetches `url` from its server's IPv4 address and hands the body of a 2xx answer to `sink`
// as it arrives. Blocks as long as the server keeps the connection open without answering.
// Throws an Error when the host is unknown, the connection fails or is lost, the status is
// not 2xx (its number is in the text), or the answer is malformed or exceeds the bounds.
void HttpGet(const std::wstring& url, BodySink& sink);

} // namespace vexlor::update
