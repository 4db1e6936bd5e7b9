// Downloading to a file from a real HTTP server on the loopback interface, run by the test.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "base/error.h"
#include "loopback_server.h"
#include "temp_files.h"
#include "update/download.h"
#include "update/http_response.h"

namespace vexlor::update {
namespace {

using ::testing::HasSubstr;
using testing::LoopbackServer;
using testing::ReadAll;
using testing::TempFolder;
using Ending = LoopbackServer::Ending;
using namespace std::chrono_literals;

const std::string kOk = "HTTP/1.1 200 OK\r\n";

class Download : public ::testing::Test {
protected:
    // The error's text, or nothing when the download succeeded.
    std::wstring Attempt(const std::wstring& url, const HttpLimits& limits = {}) {
        try {
            DownloadFile(url, path_, limits);
            return L"";
        } catch (const Error& error) {
            return error.Text();
        }
    }
    // The same from `server`, which may hold the download: one that has not ended after 30 s
    // is a failure, and stopping the server ends it.
    std::wstring AttemptHeld(LoopbackServer& server, const HttpLimits& limits) {
        auto attempt =
            std::async(std::launch::async, [&] { return Attempt(server.Url(L"/"), limits); });
        EXPECT_TRUE(attempt.wait_for(30s) == std::future_status::ready) << "no end after 30 s";
        server.Stop();
        return attempt.get();
    }
    // An older file where the download goes, 10 bytes 'o'.
    void MakeOldFile() {
        ::CreateDirectoryW(folder_.PathOf(L"Keltro Software").c_str(), nullptr);
        ::CreateDirectoryW(folder_.PathOf(L"Keltro Software\\Vexlor").c_str(), nullptr);
        folder_.MakeFile(L"Keltro Software\\Vexlor\\updates.txt", 10, 'o');
    }
    std::string FileContent() const {
        EXPECT_TRUE(testing::Exists(path_));
        const std::vector<char> content = ReadAll(path_);
        return std::string(content.begin(), content.end());
    }

    TempFolder folder_;
    std::wstring path_ = folder_.PathOf(L"Keltro Software\\Vexlor\\updates.txt");
};

TEST_F(Download, SendsExactlyTheRequestAndStopsAtTheContentLength) {
    LoopbackServer server({kOk + "Content-Length: 12\r\n\r\n", "version=1.26"},
                          Ending::WaitForClient);
    EXPECT_EQ(Attempt(server.Url(L"/upd/updates.txt")), L"");
    server.Stop();
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(server.Request(),
              "GET /upd/updates.txt HTTP/1.1\r\nHost: " + host +
                  "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                  "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
    EXPECT_TRUE(server.ClientClosedFirst());
    EXPECT_EQ(FileContent(), "version=1.26");
}

TEST_F(Download, ChunkedBodySplitAcrossReads) {
    LoopbackServer server({kOk + "Transfer-Encoding: chunked\r\n\r\n5;ext", "=1\r\nhel",
                           "lo\r\n6\r\n world\r", "\n0\r\nChecksum: x\r\n", "\r\n"},
                          Ending::WaitForClient);
    EXPECT_EQ(Attempt(server.Url(L"/")), L"");
    server.Stop();
    EXPECT_TRUE(server.ClientClosedFirst());
    EXPECT_EQ(FileContent(), "hello world");
}

TEST_F(Download, BodyEndsWithTheConnectionAfterAnInterimAnswer) {
    LoopbackServer server(
        {"HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.0 200 OK\r\n\r\nline 1\n", "line 2\n"});
    EXPECT_EQ(Attempt(server.Url(L"/")), L"");
    EXPECT_EQ(FileContent(), "line 1\nline 2\n");
}

TEST_F(Download, NoContentLeavesTheFileEmpty) {
    MakeOldFile();
    LoopbackServer server({"HTTP/1.1 204 No Content\r\n\r\n"}, Ending::WaitForClient);
    EXPECT_EQ(Attempt(server.Url(L"/")), L"");
    EXPECT_EQ(FileContent(), "");
}

TEST_F(Download, OtherStatusesAreFailuresThatWriteNothingAndAreNotFollowed) {
    LoopbackServer elsewhere({kOk + "Content-Length: 5\r\n\r\nwrong"});
    const std::string page = "Content-Type: text/html\r\nContent-Length: 13\r\n\r\n<html></html>";
    for (const std::string status : {"302 Found", "304 Not Modified", "404 Not Found"}) {
        LoopbackServer server({"HTTP/1.1 " + status + "\r\nLocation: http://127.0.0.1:" +
                               std::to_string(elsewhere.Port()) + "/\r\n" + page});
        EXPECT_EQ(Attempt(server.Url(L"/")), L"The server answered with status " +
                                                 std::wstring(status.begin(), status.begin() + 3) +
                                                 L".");
        EXPECT_EQ(FileContent(), "");
    }
    elsewhere.Stop();
    EXPECT_EQ(elsewhere.Connections(), 0);
}

TEST_F(Download, CutOffBodyKeepsWhatCameUnlessItIsHtml) {
    const std::wstring cutOff = L"The server closed the connection before its answer was complete.";
    LoopbackServer html(
        {kOk + "Content-Type: text/html\r\nContent-Length: 99\r\n\r\n<html>", "<body>"});
    EXPECT_EQ(Attempt(html.Url(L"/")), cutOff);
    EXPECT_EQ(FileContent(), "");

    LoopbackServer plain({kOk + "Content-Length: 99\r\n\r\nversion", "=1.2"});
    EXPECT_EQ(Attempt(plain.Url(L"/")), cutOff);
    EXPECT_EQ(FileContent(), "version=1.2");
}

TEST_F(Download, OversizedBodyLeavesTheFileEmpty) {
    const std::string quarter(MaxBodyBytes / 4, 'x');
    LoopbackServer server({kOk + "\r\n", quarter, quarter, quarter, quarter, "y"});
    EXPECT_EQ(Attempt(server.Url(L"/")), L"The server's answer is larger than 1048576 bytes.");
    EXPECT_EQ(FileContent(), "");
}

TEST_F(Download, EndlessHeaderLineFailsAtTheLineBound) {
    LoopbackServer server({kOk + "X-Endless: ", std::string(64 * 1024, 'a')}, Ending::Endless);
    EXPECT_EQ(Attempt(server.Url(L"/")), L"The server's answer has a line longer than 8192 bytes.");
    EXPECT_EQ(FileContent(), "");
}

TEST_F(Download, ServerThatFallsSilentIsAFailureAtTheReceiveLimit) {
    const std::wstring silent = L"The server \"127.0.0.1\" has sent nothing for too long.";
    LoopbackServer mute({}, Ending::Stall);
    EXPECT_EQ(AttemptHeld(mute, {.receive = 200ms}), silent);
    EXPECT_EQ(FileContent(), "");

    LoopbackServer stalled({kOk + "Content-Length: 99\r\n\r\nversion"}, Ending::Stall);
    EXPECT_EQ(AttemptHeld(stalled, {.receive = 200ms}), silent);
    EXPECT_EQ(FileContent(), "version");
}

TEST_F(Download, AnswerThatNeverEndsIsAFailureAtTheExchangeLimit) {
    LoopbackServer trickle({kOk + "\r\n", "x"}, Ending::Trickle);
    EXPECT_EQ(AttemptHeld(trickle, {.exchange = 200ms}),
              L"The server \"127.0.0.1\" has taken too long over its answer.");
}

TEST_F(Download, UnreachableServersAreFailures) {
    const testing::RefusingPort refusing;
    EXPECT_THAT(Attempt(L"http://127.0.0.1:" + std::to_wstring(refusing.Port()) + L"/"),
                HasSubstr(L"Cannot connect to the server \"127.0.0.1:"));
    EXPECT_EQ(FileContent(), "");
    EXPECT_THAT(Attempt(L"http://no-such-host.invalid/upd/updates.txt"),
                HasSubstr(L"Cannot find the server \"no-such-host.invalid\"."));
    EXPECT_THAT(Attempt(L"https://vexlor.example/upd/updates.txt"), HasSubstr(L"not an http://"));
}

TEST_F(Download, ReadOnlyFileIsAFailureAndKeepsItsContent) {
    MakeOldFile();
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE probe = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        GTEST_SKIP() << "this system lets the user write read-only files (Wine run as root)";
    }
    LoopbackServer server({kOk + "Content-Length: 3\r\n\r\nnew"});
    EXPECT_EQ(Attempt(server.Url(L"/")), L"Cannot create file \"" + path_ + L"\". " +
                                             testing::SystemText(ERROR_ACCESS_DENIED));
    server.Stop();
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(FileContent(), std::string(10, 'o'));
}

} // namespace
} // namespace vexlor::update
