#pragma once
// Text files read as lines: the encoding told by a byte-order mark, the bytes widened to
// UTF-16 and cut at the line breaks of any system. No Windows headers, so that it can be built
// and fuzzed anywhere; the system's conversions come in through `Widen`.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexlor {

enum class TextEncoding { Utf16Le, Utf16Be, Utf8, Ansi };

struct EncodedText {
    TextEncoding encoding;
    std::span<const std::uint8_t> body; // the bytes after the byte-order mark
};

// The encoding told by a byte-order mark (UTF-16 LE, UTF-16 BE, UTF-8); without one, the
// system's ANSI code page.
EncodedText DetectEncoding(std::span<const std::uint8_t> bytes);

// UTF-16 from byte pairs in the given order; an odd last byte is dropped.
std::wstring WidenUtf16(std::span<const std::uint8_t> body, bool bigEndian);

// Widens UTF-8 and ANSI bodies; the platform's is WidenWithSystem (platform/text_file.h).
using Widen =
    std::function<std::wstring(std::span<const std::uint8_t> body, TextEncoding encoding)>;

// Lines end at CR LF, at a lone LF and at a lone CR; a NUL character ends the text. A break at
// the very end starts no further line, so empty text has no lines.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// The lines of a text file's bytes: the encoding detected, UTF-16 widened here and anything
// else by `widen`.
std::vector<std::wstring> DecodeLines(std::span<const std::uint8_t> bytes, const Widen& widen);

} // namespace vexlor
