// Reading http:// addresses and the request made from them.
#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/product.h"
#include "update/http_client.h"

namespace vexlor::update {
namespace {

TEST(HttpClient, RequestForTheUpdateFileNamesTheHostWithoutTheDefaultPort) {
    EXPECT_EQ(BuildGetRequest(ParseHttpUrl(UpdateFileUrl)),
              "GET /upd/updates.txt HTTP/1.1\r\n"
              "Host: vexlor.example\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(HttpClient, AddressesGiveHostPortAndPath) {
    const struct {
        std::wstring url;
        std::string host;
        std::uint16_t port;
        std::string path;
        std::string hostHeader;
    } cases[] = {
        {L"HTTP://Example.com:80/a?b=c#top", "Example.com", 80, "/a?b=c", "Host: Example.com\r\n"},
        {L"http://h:8080", "h", 8080, "/", "Host: h:8080\r\n"},
        {L"http://h?q", "h", 80, "/?q", "Host: h\r\n"},
        {L"http://h/a b\r\n\u00e9", "h", 80, "/a%20b%0D%0A%C3%A9", "Host: h\r\n"},
    };
    for (const auto& [url, host, port, path, hostHeader] : cases) {
        const HttpAddress address = ParseHttpUrl(url);
        EXPECT_EQ(address.host, host);
        EXPECT_EQ(address.port, port);
        EXPECT_EQ(address.path, path);
        EXPECT_NE(BuildGetRequest(address).find("\r\n" + hostHeader), std::string::npos);
    }
}

TEST(HttpClient, OtherAddressesAreErrors) {
    for (const wchar_t* url : {L"https://vexlor.example/", L"ftp://h/", L"http://", L"http:///x",
                               L"http://h:0/", L"http://h:65536/", L"http://h:/", L"http://h:8a/",
                               L"http://user@h/", L"http://[::1]/", L"vexlor.example/upd"})
        EXPECT_THROW(ParseHttpUrl(url), Error) << url;
}

} // namespace
} // namespace vexlor::update
