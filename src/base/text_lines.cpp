#include "base/text_lines.h"

#include <algorithm>
#include <initializer_list>

namespace vexlor {
namespace {

using Bytes = std::span<const std::uint8_t>;

bool StartsWith(Bytes bytes, std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

} // namespace

EncodedText DetectEncoding(Bytes bytes) {
    // FF FE before the others: it is also how a UTF-32 LE mark begins, which is not read here.
    if (StartsWith(bytes, {0xFF, 0xFE}))
        return {TextEncoding::Utf16Le, bytes.subspan(2)};
    if (StartsWith(bytes, {0xFE, 0xFF}))
        return {TextEncoding::Utf16Be, bytes.subspan(2)};
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return {TextEncoding::Utf8, bytes.subspan(3)};
    return {TextEncoding::Ansi, bytes};
}

std::wstring WidenUtf16(Bytes body, bool bigEndian) {
    std::wstring text(body.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned first = body[2 * i];
        const unsigned second = body[2 * i + 1];
        text[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    text = text.substr(0, text.find(L'\0'));
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        const bool crLf = text.compare(end, 2, L"\r\n") == 0;
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

std::vector<std::wstring> DecodeLines(Bytes bytes, const Widen& widen) {
    const EncodedText encoded = DetectEncoding(bytes);
    switch (encoded.encoding) {
    case TextEncoding::Utf16Le:
        return SplitLines(WidenUtf16(encoded.body, false));
    case TextEncoding::Utf16Be:
        return SplitLines(WidenUtf16(encoded.body, true));
    case TextEncoding::Utf8:
    case TextEncoding::Ansi:
        break;
    }
    return SplitLines(widen(encoded.body, encoded.encoding));
}

} // namespace vexlor
