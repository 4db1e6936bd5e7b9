// The HTTP response parser on its own: every answer is fed whole, byte by byte and in odd
// pieces, and each way must end alike.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "update/http_response.h"

namespace vexlor::update {
namespace {

class RecordingSink : public BodySink {
public:
    void Write(const char* data, std::size_t size) override {
        body.append(data, size);
        ++writes;
    }
    void Discard() override { body.clear(); }
    std::string body;
    int writes = 0;
};

struct Parsed {
    ResponseState state;
    ResponseFailure failure;
    int status;
    std::string body;
    bool operator==(const Parsed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Parsed& parsed) {
    return out << "state " << static_cast<int>(parsed.state) << ", failure "
               << static_cast<int>(parsed.failure) << ", status " << parsed.status << ", body "
               << parsed.body.size() << " bytes";
}

// Feeds the bytes in pieces of `piece` bytes, then ends the stream when `ended`.
Parsed ParseInPieces(const std::string& bytes, std::size_t piece, bool ended, int* writes) {
    RecordingSink sink;
    ResponseParser parser(sink);
    for (std::size_t offset = 0; offset < bytes.size(); offset += piece)
        parser.Feed(bytes.data() + offset, std::min(piece, bytes.size() - offset));
    if (ended)
        parser.Finish();
    if (writes)
        *writes = sink.writes;
    return {parser.State(), parser.Failure(), parser.StatusCode(), sink.body};
}

// Byte by byte (whose number of writes to the sink goes to `writes`), then in other pieces.
Parsed Parse(const std::string& bytes, bool ended = true, int* writes = nullptr) {
    const Parsed bytewise = ParseInPieces(bytes, 1, ended, writes);
    for (const std::size_t piece : {2, 3, 7, 64, 1 << 30})
        EXPECT_EQ(ParseInPieces(bytes, piece, ended, nullptr), bytewise) << "pieces of " << piece;
    return bytewise;
}

constexpr auto Complete = ResponseState::Complete;
constexpr auto Failed = ResponseState::Failed;
const std::string kOk = "HTTP/1.1 200 OK\r\n";

TEST(HttpResponse, ContentLengthEndsTheBodyAndCodingsStayAsTheyCame) {
    const std::string gzipped("\x1f\x8b\0xy", 5);
    EXPECT_EQ(Parse(kOk + "Content-length: 5\r\nContent-Encoding: gzip\r\n\r\n" + gzipped + "EXTRA",
                    false),
              (Parsed{Complete, ResponseFailure::None, 200, gzipped}));
    EXPECT_EQ(Parse("HTTP/1.0 200\r\nContent-Length: 0\r\n\r\n", false),
              (Parsed{Complete, ResponseFailure::None, 200, ""}));
    EXPECT_EQ(Parse(kOk + "Content-Length: 3\r\nCONTENT-LENGTH: 003\r\n\r\nabc", false).state,
              Complete);
}

TEST(HttpResponse, ChunkedWinsOverContentLengthAndSkipsExtensionsAndTrailers) {
    const std::string chunks = "4;name=value\r\nWiki\r\n5 ; x\r\npedia\r\nE\r\n in\r\n\r\nchunks."
                               "\r\n000\r\nExpires: never\r\nX: y\r\n\r\n";
    EXPECT_EQ(Parse(kOk + "Content-Length: 3\r\ntransfer-encoding: gzip, Chunked\r\n\r\n" + chunks,
                    false),
              (Parsed{Complete, ResponseFailure::None, 200, "Wikipedia in\r\n\r\nchunks."}));
}

TEST(HttpResponse, WithoutALengthTheBodyEndsWithTheStream) {
    const std::string answer = kOk + "Content-Type: text/plain\r\n\r\nversion 1.26";
    EXPECT_EQ(Parse(answer, false).state, ResponseState::NeedMore);
    EXPECT_EQ(Parse(answer), (Parsed{Complete, ResponseFailure::None, 200, "version 1.26"}));
}

TEST(HttpResponse, InterimAnswersAndTheirHeadersAreSkipped) {
    EXPECT_EQ(Parse("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nContent-Length: 9\r\n"
                    "Content-Type: text/html\r\n\r\n" +
                        kOk + "\r\nok",
                    true),
              (Parsed{Complete, ResponseFailure::None, 200, "ok"}));
}

TEST(HttpResponse, NoContentEndsWithItsHead) {
    EXPECT_EQ(Parse("HTTP/1.1 204 No Content\r\nContent-Length: 4\r\n\r\n", false),
              (Parsed{Complete, ResponseFailure::None, 204, ""}));
}

TEST(HttpResponse, EveryOtherStatusFailsWithItsCodeAndNoBody) {
    for (const int status : {300, 302, 304, 404, 500, 999}) {
        const std::string head = "HTTP/1.1 " + std::to_string(status) + " Whatever\r\n";
        EXPECT_EQ(Parse(head + "Location: /elsewhere\r\nContent-Length: 4\r\n\r\nbody"),
                  (Parsed{Failed, ResponseFailure::Status, status, ""}));
        EXPECT_EQ(Parse(head + "Content-Length: x\r\n\r\nbody").failure, ResponseFailure::Status);
    }
}

TEST(HttpResponse, HtmlAndXmlBodiesArriveWholeOrNotAtAll) {
    for (const std::string type : {"text/html", "TEXT/HTML; charset=utf-8", "text/xml",
                                   "application/xhtml+xml", "Application/XML", "image/svg+xml"}) {
        const std::string head = kOk + "Content-Type: " + type + "\r\n";
        int writes = 0;
        EXPECT_EQ(Parse(head + "Content-Length: 6\r\n\r\n<html>", false, &writes).body, "<html>");
        EXPECT_EQ(writes, 1) << type;
        EXPECT_EQ(Parse(head + "Content-Length: 9\r\n\r\n<html>"),
                  (Parsed{Failed, ResponseFailure::Truncated, 200, ""}))
            << type;
    }
    for (const std::string type : {"text/plain", "text/htmlx", "application/xml-dtd", "+xml"})
        EXPECT_EQ(Parse(kOk + "Content-Type: " + type + "\r\nContent-Length: 9\r\n\r\n<html>").body,
                  "<html>")
            << type;
}

TEST(HttpResponse, CutOffOrMalformedBodyFailsAndKeepsWhatCame) {
    EXPECT_EQ(Parse(kOk + "Content-Length: 10\r\n\r\nabcd"),
              (Parsed{Failed, ResponseFailure::Truncated, 200, "abcd"}));
    EXPECT_EQ(Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n2\r\nab\r\n5\r\ncd").body, "abcd");
    // So does a body that turns malformed (found by the fuzzer).
    EXPECT_EQ(Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n3\r\nabcX\r\n"),
              (Parsed{Failed, ResponseFailure::MalformedChunk, 200, "abc"}));
    EXPECT_EQ(Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n0\r\n").failure,
              ResponseFailure::Truncated);
    EXPECT_EQ(Parse(kOk + "Content-Length: 3\r\n").failure, ResponseFailure::Truncated);
    EXPECT_EQ(Parse("").failure, ResponseFailure::Truncated);
}

TEST(HttpResponse, MalformedAnswersFail) {
    const struct {
        std::string answer;
        ResponseFailure failure;
    } cases[] = {
        {"HTTP/2 200 OK\r\n\r\n", ResponseFailure::MalformedStatusLine},
        {"HTTP/1.1 20 OK\r\n\r\n", ResponseFailure::MalformedStatusLine},
        {"HTTP/1.1 2000 OK\r\n\r\n", ResponseFailure::MalformedStatusLine},
        {"HTTP/1.1 099 OK\r\n\r\n", ResponseFailure::MalformedStatusLine},
        {"\r\n" + kOk + "\r\n", ResponseFailure::MalformedStatusLine},
        {"<html><body>hello</body></html>\n", ResponseFailure::MalformedStatusLine},
        {kOk + "NoColon\r\n\r\n", ResponseFailure::MalformedHeader},
        {kOk + "Name : value\r\n\r\n", ResponseFailure::MalformedHeader},
        {kOk + "X: folded\r\n  line\r\n\r\n", ResponseFailure::MalformedHeader},
        {kOk + ": empty name\r\n\r\n", ResponseFailure::MalformedHeader},
        {kOk + "Content-Length: 4\r\nContent-Length: 5\r\n\r\nbody",
         ResponseFailure::MalformedContentLength},
    };
    for (const auto& [answer, failure] : cases)
        EXPECT_EQ(Parse(answer).failure, failure) << answer;
    for (const std::string length : {"", "12a", "-1", "+5", "5, 5", "0x10", "1 2", "\xd9\xa3"})
        EXPECT_EQ(Parse(kOk + "Content-Length: " + length + "\r\n\r\nabc").failure,
                  ResponseFailure::MalformedContentLength)
            << length;
    for (const std::string size : {"zz", "", ";x", "-1", "1 1", "0x1"})
        EXPECT_EQ(
            Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\nb\r\n0\r\n\r\n").failure,
            ResponseFailure::MalformedChunk)
            << size;
}

TEST(HttpResponse, LinesAndHeadersAreBounded) {
    const auto lineOf = [](std::size_t length, const std::string& start) {
        return start + std::string(length - start.size(), 'a') + "\r\n";
    };
    EXPECT_EQ(Parse(lineOf(MaxLineBytes, "HTTP/1.1 200 ") + "\r\n").state, Complete);
    EXPECT_EQ(Parse(lineOf(MaxLineBytes + 1, "HTTP/1.1 200 ")).failure,
              ResponseFailure::LineTooLong);
    EXPECT_EQ(Parse(kOk + lineOf(MaxLineBytes, "X: ") + "\r\n").state, Complete);
    EXPECT_EQ(Parse(kOk + lineOf(MaxLineBytes + 1, "X: ")).failure, ResponseFailure::LineTooLong);
    EXPECT_EQ(Parse(kOk + std::string(100'000, 'a'), false).failure, ResponseFailure::LineTooLong);
    EXPECT_EQ(
        Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n" + lineOf(MaxLineBytes + 1, "1;")).failure,
        ResponseFailure::LineTooLong);

    const auto fields = [](int count) {
        std::string lines;
        for (int line = 0; line < count; ++line)
            lines += "X-" + std::to_string(line) + ": y\r\n";
        return lines;
    };
    EXPECT_EQ(Parse(kOk + fields(MaxHeaderLines) + "\r\n").state, Complete);
    EXPECT_EQ(Parse(kOk + fields(MaxHeaderLines + 1) + "\r\n").failure,
              ResponseFailure::TooManyHeaders);
    // Interim answers without end, and as many as the bound allows before the real one.
    std::string interim;
    for (int answer = 0; answer < MaxInterimAnswers; ++answer)
        interim += "HTTP/1.1 100 Continue\r\n\r\n";
    EXPECT_EQ(Parse(interim + kOk + "Content-Length: 1\r\n\r\nb").body, "b");
    const Parsed endless = Parse(interim + interim, false);
    EXPECT_EQ(endless.state, Failed);
    EXPECT_EQ(endless.failure, ResponseFailure::TooManyInterimAnswers);
    // One-byte chunks with long lines: the lines together are bounded too.
    std::string chunks = kOk + "Transfer-Encoding: chunked\r\n\r\n";
    while (chunks.size() <= MaxLineBytesTotal)
        chunks += lineOf(4000, "1;") + "b\r\n";
    EXPECT_EQ(Parse(chunks, false).failure, ResponseFailure::TooManyLineBytes);
    // Interim heads and trailers count as well: 50 + 50 + 1 lines here.
    EXPECT_EQ(Parse("HTTP/1.1 100 Continue\r\n" + fields(50) + "\r\n" + kOk + fields(49) +
                    "Transfer-Encoding: chunked\r\n\r\n0\r\n" + fields(1) + "\r\n")
                  .failure,
              ResponseFailure::TooManyHeaders);
}

TEST(HttpResponse, BodiesPastTheBoundFailAndAreDiscarded) {
    const std::string full(MaxBodyBytes, 'b');
    const std::string length = "Content-Length: " + std::to_string(MaxBodyBytes);
    EXPECT_EQ(Parse(kOk + length + "\r\n\r\n" + full).body.size(), MaxBodyBytes);
    EXPECT_EQ(Parse(kOk + length + "1\r\n\r\n", false),
              (Parsed{Failed, ResponseFailure::BodyTooLarge, 200, ""}));
    EXPECT_EQ(Parse(kOk + "Content-Length: 99999999999999999999999\r\n\r\n", false).failure,
              ResponseFailure::BodyTooLarge);
    EXPECT_EQ(Parse(kOk + "\r\n" + full + "b", false),
              (Parsed{Failed, ResponseFailure::BodyTooLarge, 200, ""}));
    const std::string chunked = kOk + "Transfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ(Parse(chunked + "80000\r\n" + full.substr(0x80000) + "\r\n80001\r\n", false),
              (Parsed{Failed, ResponseFailure::BodyTooLarge, 200, ""}));
    EXPECT_EQ(Parse(chunked + "fffffffffffffffffffff\r\n", false).failure,
              ResponseFailure::BodyTooLarge);
}

} // namespace
} // namespace vexlor::update
