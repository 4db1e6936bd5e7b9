#include "update/http_response.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>

namespace vexlor::update {
namespace {

constexpr std::uint64_t kHuge = std::numeric_limits<std::uint64_t>::max();

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Header names are tokens: visible characters other than the separators.
bool IsTokenChar(char c) {
    return c > ' ' && c < 127 && !std::strchr("\"(),/:;<=>?@[\\]{}", c);
}

// A plain decimal number; anything else (sign, blanks inside, a list) is not.
bool ParseDecimal(std::string_view text, std::uint64_t& value) {
    if (text.empty())
        return false;
    value = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = value > (kHuge - digit) / 10 ? kHuge : value * 10 + digit;
    }
    return true;
}

int HexDigitValue(char c) {
    if (IsDigit(c))
        return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A chunk size in hexadecimal, optionally followed by extensions after ';', which mean nothing
// to us. Sizes past the body bound are all the same to the caller: too large.
bool ParseChunkSize(std::string_view line, std::uint64_t& size) {
    std::size_t digits = 0;
    size = 0;
    for (; digits < line.size() && HexDigitValue(line[digits]) >= 0; ++digits) {
        size = size * 16 + static_cast<std::uint64_t>(HexDigitValue(line[digits]));
        size = std::min(size, MaxBodyBytes + 1);
    }
    const std::string_view rest = Trim(line.substr(digits));
    return digits > 0 && (rest.empty() || rest.front() == ';');
}

bool IsMarkupMediaType(std::string_view contentType) {
    const std::string_view type = Trim(contentType.substr(0, contentType.find(';')));
    constexpr std::string_view kXmlSuffix = "+xml";
    return EqualsIgnoringCase(type, "text/html") || EqualsIgnoringCase(type, "text/xml") ||
           EqualsIgnoringCase(type, "application/xhtml+xml") ||
           EqualsIgnoringCase(type, "application/xml") ||
           (type.size() > kXmlSuffix.size() &&
            EqualsIgnoringCase(type.substr(type.size() - kXmlSuffix.size()), kXmlSuffix));
}

bool ListContainsChunked(std::string_view codings) {
    while (!codings.empty()) {
        const std::size_t comma = codings.find(',');
        if (EqualsIgnoringCase(Trim(codings.substr(0, comma)), "chunked"))
            return true;
        codings = comma == std::string_view::npos ? std::string_view() : codings.substr(comma + 1);
    }
    return false;
}

} // namespace

ResponseState ResponseParser::Feed(const char* data, std::size_t size) {
    while (size > 0 && state_ == ResponseState::NeedMore) {
        const bool inBody =
            stage_ == Stage::FixedBody || stage_ == Stage::OpenBody || stage_ == Stage::ChunkData;
        const std::size_t used = inBody ? ConsumeBody(data, size) : ConsumeLine(data, size);
        data += used;
        size -= used;
    }
    return state_;
}

ResponseState ResponseParser::Finish() {
    if (state_ != ResponseState::NeedMore)
        return state_;
    if (stage_ == Stage::OpenBody)
        Complete();
    else
        Fail(ResponseFailure::Truncated);
    return state_;
}

// Collects one line up to its LF, never more than the bound allows (plus room for its CR).
std::size_t ResponseParser::ConsumeLine(const char* data, std::size_t size) {
    const auto* end = static_cast<const char*>(std::memchr(data, '\n', size));
    const std::size_t taken = end ? static_cast<std::size_t>(end - data) : size;
    if (line_.size() + taken > MaxLineBytes + 1) {
        Fail(ResponseFailure::LineTooLong);
        return size;
    }
    lineBytes_ += taken + (end ? 1 : 0);
    if (lineBytes_ > MaxLineBytesTotal) {
        Fail(ResponseFailure::TooManyLineBytes);
        return size;
    }
    line_.append(data, taken);
    if (!end)
        return size;
    if (!line_.empty() && line_.back() == '\r')
        line_.pop_back();
    if (line_.size() > MaxLineBytes)
        Fail(ResponseFailure::LineTooLong);
    else
        HandleLine();
    line_.clear();
    return taken + 1;
}

void ResponseParser::HandleLine() {
    switch (stage_) {
    case Stage::StatusLine:
        HandleStatusLine();
        break;
    case Stage::Headers:
        HandleHeaderLine();
        break;
    case Stage::ChunkSize:
        HandleChunkSizeLine();
        break;
    case Stage::ChunkEnd:
        HandleChunkEndLine();
        break;
    case Stage::Trailers:
        HandleTrailerLine();
        break;
    default:
        break;
    }
}

// "HTTP/1.x NNN reason", where the reason may be empty or missing.
void ResponseParser::HandleStatusLine() {
    const std::string_view line = line_;
    constexpr std::string_view kVersion = "HTTP/1.";
    const bool wellFormed = line.size() >= 12 && line.substr(0, kVersion.size()) == kVersion &&
                            IsDigit(line[7]) && line[8] == ' ' && IsDigit(line[9]) &&
                            IsDigit(line[10]) && IsDigit(line[11]) &&
                            (line.size() == 12 || line[12] == ' ');
    const int status =
        wellFormed ? (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0') : 0;
    if (status < 100) {
        Fail(ResponseFailure::MalformedStatusLine);
        return;
    }
    status_ = status;
    head_ = {};
    stage_ = Stage::Headers;
}

bool ResponseParser::CountHeaderLine() {
    if (++headerLines_ <= MaxHeaderLines)
        return true;
    Fail(ResponseFailure::TooManyHeaders);
    return false;
}

void ResponseParser::HandleHeaderLine() {
    if (line_.empty()) {
        HandleEndOfHead();
        return;
    }
    if (!CountHeaderLine())
        return;
    // A line that starts with a blank would continue the previous one (obsolete folding).
    const std::size_t colon = line_.find(':');
    if (colon == 0 || colon == std::string::npos ||
        !std::all_of(line_.begin(), line_.begin() + static_cast<std::ptrdiff_t>(colon),
                     IsTokenChar)) {
        Fail(ResponseFailure::MalformedHeader);
        return;
    }
    const std::string_view line = line_;
    HandleHeaderField(line.substr(0, colon), Trim(line.substr(colon + 1)));
}

void ResponseParser::HandleHeaderField(std::string_view name, std::string_view value) {
    if (EqualsIgnoringCase(name, "Content-Length")) {
        std::uint64_t length = 0;
        const bool valid = ParseDecimal(value, length) &&
                           (!head_.hasContentLength || length == head_.contentLength);
        head_.badContentLength = head_.badContentLength || !valid;
        head_.hasContentLength = true;
        head_.contentLength = length;
    } else if (EqualsIgnoringCase(name, "Transfer-Encoding")) {
        head_.chunked = head_.chunked || ListContainsChunked(value);
    } else if (EqualsIgnoringCase(name, "Content-Type")) {
        head_.markup = IsMarkupMediaType(value);
    }
}

void ResponseParser::HandleEndOfHead() {
    if (status_ < 200) {
        // An interim answer: the real one follows, unless the server never stops sending them.
        if (++interimAnswers_ > MaxInterimAnswers)
            Fail(ResponseFailure::TooManyInterimAnswers);
        else
            stage_ = Stage::StatusLine;
        return;
    }
    if (status_ >= 300)
        Fail(ResponseFailure::Status);
    else if (status_ == 204)
        Complete();
    else if (head_.badContentLength)
        Fail(ResponseFailure::MalformedContentLength);
    else
        StartBody();
}

void ResponseParser::StartBody() {
    if (head_.chunked) {
        stage_ = Stage::ChunkSize;
    } else if (!head_.hasContentLength) {
        stage_ = Stage::OpenBody;
    } else if (head_.contentLength > MaxBodyBytes) {
        Fail(ResponseFailure::BodyTooLarge);
    } else if (head_.contentLength == 0) {
        Complete();
    } else {
        remaining_ = head_.contentLength;
        stage_ = Stage::FixedBody;
    }
}

void ResponseParser::HandleChunkSizeLine() {
    std::uint64_t size = 0;
    if (!ParseChunkSize(line_, size)) {
        Fail(ResponseFailure::MalformedChunk);
    } else if (size > MaxBodyBytes - bodyBytes_) {
        Fail(ResponseFailure::BodyTooLarge);
    } else if (size == 0) {
        stage_ = Stage::Trailers;
    } else {
        remaining_ = size;
        stage_ = Stage::ChunkData;
    }
}

void ResponseParser::HandleChunkEndLine() {
    if (line_.empty())
        stage_ = Stage::ChunkSize;
    else
        Fail(ResponseFailure::MalformedChunk);
}

// Trailer fields are allowed and mean nothing to us; only their number is bounded.
void ResponseParser::HandleTrailerLine() {
    if (line_.empty())
        Complete();
    else
        CountHeaderLine();
}

std::size_t ResponseParser::ConsumeBody(const char* data, std::size_t size) {
    if (stage_ == Stage::OpenBody) {
        DeliverBody(data, size);
        return size;
    }
    const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, size));
    DeliverBody(data, taken);
    remaining_ -= taken;
    if (remaining_ == 0 && state_ == ResponseState::NeedMore) {
        if (stage_ == Stage::FixedBody)
            Complete();
        else
            stage_ = Stage::ChunkEnd;
    }
    return taken;
}

void ResponseParser::DeliverBody(const char* data, std::size_t size) {
    if (size > MaxBodyBytes - bodyBytes_) {
        Fail(ResponseFailure::BodyTooLarge);
        return;
    }
    bodyBytes_ += size;
    if (head_.markup)
        heldBody_.append(data, size);
    else
        sink_.Write(data, size);
}

void ResponseParser::Complete() {
    state_ = ResponseState::Complete;
    stage_ = Stage::Done;
    if (!heldBody_.empty())
        sink_.Write(heldBody_.data(), heldBody_.size());
    heldBody_.clear();
}

void ResponseParser::Fail(ResponseFailure failure) {
    state_ = ResponseState::Failed;
    failure_ = failure;
    stage_ = Stage::Done;
    heldBody_.clear();
    if (failure == ResponseFailure::BodyTooLarge)
        sink_.Discard();
}

} // namespace vexlor::update
