#pragma once
// Reading an HTTP/1.1 response as its bytes arrive, in pieces of any size. Knows nothing of
// sockets or of Windows, so that it also builds natively for fuzzing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexlor::update {

// Bounds that keep a hostile or endless answer from filling memory or the disk.
inline constexpr std::size_t MaxLineBytes = 8 * 1024; // status, header or chunk-size line
inline constexpr int MaxHeaderLines = 100;            // over every head and the trailers
inline constexpr int MaxInterimAnswers = 100;         // 1xx answers before the real one
// Every line together: heads, chunk sizes and trailers. Without it, a body of one-byte chunks
// with long chunk lines would be thousands of times larger than the body bound.
inline constexpr std::uint64_t MaxLineBytesTotal = 1024 * 1024;
inline constexpr std::uint64_t MaxBodyBytes = 1024 * 1024;

// Receives the body of a successful response as it is read.
class BodySink {
public:
    virtual void Write(const char* data, std::size_t size) = 0;
    // The body grew past MaxBodyBytes: everything written so far must go.
    virtual void Discard() = 0;

protected:
    ~BodySink() = default;
};

enum class ResponseState { NeedMore, Complete, Failed };

enum class ResponseFailure {
    None,
    Status, // a status other than 1xx and 2xx; StatusCode() tells which
    MalformedStatusLine,
    MalformedHeader,
    MalformedContentLength, // not a plain decimal number, or two that disagree
    MalformedChunk,
    LineTooLong,
    TooManyHeaders,
    TooManyInterimAnswers,
    TooManyLineBytes, // past MaxLineBytesTotal
    BodyTooLarge,
    Truncated, // the stream ended before the response did
};

// One response. The body of a 2xx answer goes to the sink as it is parsed, except that an
// HTML or XML body is held back until it is complete; no other body ever reaches the sink.
// Interim 1xx answers are skipped. Content codings are not undone.
class ResponseParser {
public:
    explicit ResponseParser(BodySink& sink) : sink_(sink) {}
    ResponseParser(const ResponseParser&) = delete;
    ResponseParser& operator=(const ResponseParser&) = delete;

    // Parses the next bytes of the stream. Bytes after a complete response are ignored.
    ResponseState Feed(const char* data, std::size_t size);
    // The stream has ended: completes a body that runs to the end of the connection.
    ResponseState Finish();

    ResponseState State() const { return state_; }
    ResponseFailure Failure() const { return failure_; }
    // The status of the last status line read (an interim one while it is skipped); 0 before.
    int StatusCode() const { return status_; }

private:
    enum class Stage {
        StatusLine,
        Headers,
        FixedBody,
        OpenBody,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers,
        Done
    };

    std::size_t ConsumeLine(const char* data, std::size_t size);
    void HandleLine();
    void HandleStatusLine();
    void HandleHeaderLine();
    void HandleHeaderField(std::string_view name, std::string_view value);
    void HandleEndOfHead();
    void StartBody();
    void HandleChunkSizeLine();
    void HandleChunkEndLine();
    void HandleTrailerLine();
    bool CountHeaderLine();
    std::size_t ConsumeBody(const char* data, std::size_t size);
    void DeliverBody(const char* data, std::size_t size);
    void Complete();
    void Fail(ResponseFailure failure);

    // What the headers of the head being read said; an interim answer's are forgotten.
    struct Head {
        bool chunked = false;
        bool markup = false; // an HTML or XML media type
        bool hasContentLength = false;
        bool badContentLength = false;
        std::uint64_t contentLength = 0;
    };

    BodySink& sink_;
    ResponseState state_ = ResponseState::NeedMore;
    ResponseFailure failure_ = ResponseFailure::None;
    Stage stage_ = Stage::StatusLine;
    std::string line_;
    int status_ = 0;
    int headerLines_ = 0;
    int interimAnswers_ = 0;
    std::uint64_t lineBytes_ = 0;
    Head head_;

    std::uint64_t remaining_ = 0; // of the fixed-length body or the current chunk
    std::uint64_t bodyBytes_ = 0;
    std::string heldBody_; // an HTML or XML body, until it is complete
};

} // namespace vexlor::update
