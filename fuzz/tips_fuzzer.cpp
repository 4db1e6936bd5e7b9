// libFuzzer target: any bytes read as a tips file. Decoding, splitting and parsing must hold
// for every input: no line keeps a break or a NUL, a tip's text is the part of its line after
// the flag and the separator, a picture name needs the flag "1" and the marker, and the draw
// stays in range and never repeats the tip shown last.
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "base/text_lines.h"
#include "dialogs/tips.h"

namespace {

using vexlor::TextEncoding;
using vexlor::dialogs::ParseTip;
using vexlor::dialogs::PictureMarker;
using vexlor::dialogs::Tip;

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// UTF-8 and ANSI byte by byte: each byte one code point, as Latin-1 would read it.
std::wstring WidenBytes(std::span<const std::uint8_t> body, TextEncoding) {
    return std::wstring(body.begin(), body.end());
}

void CheckTip(std::wstring_view line) {
    Check(line.find_first_of(std::wstring_view(L"\r\n\0", 3)) == std::wstring_view::npos);
    const Tip tip = ParseTip(line);
    Check(tip.text.empty() || line.substr(2, tip.text.size()) == tip.text);
    const bool markerCounts =
        line.size() > 1 &&
        line.substr(0, line.size() - 1).find(PictureMarker) != std::wstring_view::npos;
    Check(tip.pictureName.has_value() == (tip.hasPicture && markerCounts));
    if (tip.pictureName) {
        Check(!tip.pictureName->empty() && line.front() == L'1');
        const std::wstring expectedEnd = PictureMarker + *tip.pictureName;
        Check(line.size() > expectedEnd.size() &&
              line.substr(line.size() - expectedEnd.size()) == expectedEnd);
        Check(line.find(PictureMarker) + expectedEnd.size() == line.size());
    }
    Check(tip.hasPicture == (!line.empty() && line.front() == L'1'));
    vexlor::dialogs::IsSafePictureName(tip.pictureName.value_or(tip.text));
}

void CheckDraws(int count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    int last = -1;
    for (int i = 0; i < 8; ++i) {
        const int next = vexlor::dialogs::DrawTip(count, last, generator);
        Check(count == 0 ? next == -1 : next >= 0 && next < count);
        Check(count < 2 || next != last);
        last = next;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto lines = vexlor::DecodeLines(bytes, WidenBytes);
    for (const std::wstring& line : lines)
        CheckTip(line);
    const auto count = static_cast<int>(lines.size() % 16);
    CheckDraws(count, size > 0 ? data[0] : 0);
    return 0;
}
