// Feeds arbitrary bytes to the response parser, whole and then in pieces of random sizes, and
// checks what must hold for any answer: the outcome and the body do not depend on how the
// stream was split, and the sink never holds more than the body bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <functional>

#include "update/http_response.h"

namespace {

using vexlor::update::BodySink;
using vexlor::update::MaxBodyBytes;
using vexlor::update::MaxLineBytesTotal;
using vexlor::update::ResponseFailure;
using vexlor::update::ResponseParser;
using vexlor::update::ResponseState;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

class CollectingSink : public BodySink {
public:
    void Write(const char* data, std::size_t size) override {
        Check(size > 0);
        body.append(data, size);
        Check(body.size() <= MaxBodyBytes);
    }
    void Discard() override { body.clear(); }
    std::string body;
};

struct Outcome {
    ResponseState state;
    ResponseFailure failure;
    int status;
    std::string body;
    bool operator==(const Outcome&) const = default;
};

// Feeds the input in pieces whose sizes come from `pieceSize`, then ends the stream.
template <typename PieceSize>
Outcome Parse(const std::uint8_t* data, std::size_t size, PieceSize pieceSize) {
    CollectingSink sink;
    ResponseParser parser(sink);
    const auto* bytes = reinterpret_cast<const char*>(data);
    std::size_t offset = 0;
    while (offset < size && parser.State() == ResponseState::NeedMore) {
        const std::size_t piece = std::min(pieceSize(), size - offset);
        parser.Feed(bytes + offset, piece);
        offset += piece;
    }
    parser.Finish();
    Check(parser.State() != ResponseState::NeedMore);

    // A failure leaves behind only the part of a success's body that came before it.
    const bool failed = parser.State() == ResponseState::Failed;
    Check(!failed || sink.body.empty() ||
          (parser.StatusCode() / 100 == 2 && parser.Failure() != ResponseFailure::BodyTooLarge));
    return {parser.State(), parser.Failure(), parser.StatusCode(), sink.body};
}

// However long a server goes on, the parser comes to its verdict within its bounds: the input
// sent again and again, as an endless answer (a 1xx answer without end, say) would arrive.
void CheckEndlessAnswerEnds(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return;
    CollectingSink sink;
    ResponseParser parser(sink);
    std::uint64_t fed = 0;
    while (parser.State() == ResponseState::NeedMore) {
        Check(fed <= MaxBodyBytes + MaxLineBytesTotal);
        parser.Feed(reinterpret_cast<const char*>(data), size);
        fed += size;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Outcome whole = Parse(data, size, [] { return SIZE_MAX; });
    Check(Parse(data, size, [] { return std::size_t{1}; }) == whole);
    // Splits that differ from input to input, yet repeat for the same input.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::minstd_rand random(static_cast<unsigned>(std::hash<std::string_view>{}(input)));
    std::uniform_int_distribution<std::size_t> pieces(1, 64);
    Check(Parse(data, size, [&] { return pieces(random); }) == whole);
    CheckEndlessAnswerEnds(data, size);
    return 0;
}
