#include "platform/text_file.h"

#include <windows.h>

#include <climits>

#include "base/error.h"
#include "platform/file_system.h"

namespace vexlor::platform {

std::wstring WidenWithSystem(std::span<const std::uint8_t> body, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be)
        return WidenUtf16(body, encoding == TextEncoding::Utf16Be);
    if (body.empty())
        return {};
    if (body.size() > INT_MAX)
        throw Error(L"A text of more than 2 GiB cannot be converted.");
    const UINT codePage = encoding == TextEncoding::Utf8 ? CP_UTF8 : CP_ACP;
    const auto* bytes = reinterpret_cast<const char*>(body.data());
    const int size = static_cast<int>(body.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes, size, nullptr, 0);
    if (length <= 0)
        ThrowLastError(L"Cannot convert a text to UTF-16:");
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes, size, text.data(), length);
    return text;
}

std::vector<std::wstring> ReadTextLines(const std::wstring& path, std::uint64_t maxBytes) {
    return DecodeLines(ReadWholeFile(path, maxBytes), WidenWithSystem);
}

std::optional<std::vector<std::wstring>> ReadTextLinesIfPresent(const std::wstring& path,
                                                                std::uint64_t maxBytes) {
    const auto bytes = ReadWholeFileIfPresent(path, maxBytes);
    if (!bytes)
        return std::nullopt;
    return DecodeLines(*bytes, WidenWithSystem);
}

} // namespace vexlor::platform
