#include "platform/text_file.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "base/error.h"
#include "base/handles.h"
#include "platform/file_system.h"

namespace vexlor::platform {
namespace {

std::wstring ReadFailure(const std::wstring& path, DWORD code) {
    return L"Cannot read the file \"" + path + L"\": " + SystemErrorText(code);
}

// "1 MiB", "64 KiB" or "1000 bytes": the bound as a person would write it.
std::wstring SizeText(std::uint64_t bytes) {
    if (bytes != 0 && bytes % (1024 * 1024) == 0)
        return std::to_wstring(bytes / (1024 * 1024)) + L" MiB";
    if (bytes != 0 && bytes % 1024 == 0)
        return std::to_wstring(bytes / 1024) + L" KiB";
    return std::to_wstring(bytes) + L" bytes";
}

// Opened for reading, sharing it only with other readers; empty on failure, with the reason in
// GetLastError.
UniqueFile OpenForReading(const std::wstring& path) {
    return UniqueFile(
        CreateFileApi(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
}

std::vector<std::uint8_t> ReadAllBytes(HANDLE file, const std::wstring& path,
                                       std::uint64_t maxBytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        throw Error(ReadFailure(path, ::GetLastError()));
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        throw Error(L"The file \"" + path + L"\" is larger than " + SizeText(maxBytes) + L".");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const auto wanted =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, MAXDWORD));
        if (!::ReadFile(file, bytes.data() + done, wanted, &read, nullptr))
            throw Error(ReadFailure(path, ::GetLastError()));
        if (read == 0)
            break; // ended early, which the share mode should rule out: keep what was read
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

std::vector<std::wstring> ReadLinesOf(HANDLE file, const std::wstring& path,
                                      std::uint64_t maxBytes) {
    return DecodeLines(ReadAllBytes(file, path, maxBytes), WidenWithSystem);
}

} // namespace

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
    const UniqueFile file = OpenForReading(path);
    if (!file)
        throw Error(ReadFailure(path, ::GetLastError()));
    return ReadLinesOf(file.Get(), path, maxBytes);
}

std::optional<std::vector<std::wstring>> ReadTextLinesIfPresent(const std::wstring& path,
                                                                std::uint64_t maxBytes) {
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        throw Error(ReadFailure(path, code));
    }
    return ReadLinesOf(file.Get(), path, maxBytes);
}

} // namespace vexlor::platform
