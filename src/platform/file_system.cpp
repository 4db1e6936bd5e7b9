#include "platform/file_system.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/handles.h"

namespace vexlor::platform {
namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsDriveAbsolute(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// `path` with "/" as "\" and made absolute. Only the folder a relative path starts from is
// asked of the system, so that the system's reading of names does not touch the path itself.
std::wstring AbsolutePath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (IsDriveAbsolute(path) || StartsWith(path, L"\\\\"))
        return path;
    if (path.size() >= 2 && path[1] == L':') // "D:name": from that drive's current folder
        return FullPath(path.substr(0, 2)) + L"\\" + path.substr(2);
    if (StartsWith(path, L"\\")) // "\name": from the root of the current drive
        return FullPath(L"\\") + path.substr(1);
    return FullPath(L".") + L"\\" + path;
}

// The parts of `relative` with "." and ".." resolved, each after a "\"; ".." stops at the root.
std::wstring ResolvedParts(std::wstring_view relative) {
    std::vector<std::wstring_view> parts;
    for (std::size_t start = 0; start <= relative.size();) {
        const std::size_t end = std::min(relative.find(L'\\', start), relative.size());
        const std::wstring_view part = relative.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring resolved;
    for (const std::wstring_view part : parts)
        (resolved += L'\\') += part;
    // A root, or a folder's path written with its final separator, keeps that separator.
    if (parts.empty() || relative.ends_with(L'\\'))
        resolved += L'\\';
    return resolved;
}

// Buffers for the stream list hold FILE_STREAM_INFO records, which need 8-byte alignment.
constexpr std::size_t kStreamListStartWords = 512;
constexpr std::size_t kStreamListMaximumWords = std::size_t{2} << 20; // 16 MiB

bool FileSystemHasNoStreams(DWORD error) {
    // FAT, exFAT, many network file systems and Wine cannot list streams: there are none.
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_NOT_SUPPORTED || error == ERROR_HANDLE_EOF;
}

void ParseStreams(const std::vector<std::uint64_t>& buffer, std::vector<NamedStream>& streams) {
    const auto* bytes = reinterpret_cast<const std::byte*>(buffer.data());
    for (std::size_t offset = 0;;) {
        const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(bytes + offset);
        const std::wstring name(info->StreamName, info->StreamNameLength / sizeof(wchar_t));
        // Only data streams hold content; "::$DATA" is the unnamed one, the file itself.
        if (name != L"::$DATA" && name.ends_with(L":$DATA"))
            streams.push_back({name, static_cast<std::uint64_t>(info->StreamSize.QuadPart)});
        if (info->NextEntryOffset == 0)
            return;
        offset += info->NextEntryOffset;
    }
}

bool ListNamedStreams(HANDLE file, std::vector<NamedStream>& streams) {
    streams.clear();
    std::vector<std::uint64_t> buffer(kStreamListStartWords);
    for (;;) {
        const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(buffer[0]));
        if (::GetFileInformationByHandleEx(file, FileStreamInfo, buffer.data(), bytes))
            break;
        const DWORD error = ::GetLastError();
        if (FileSystemHasNoStreams(error))
            return true;
        if (error != ERROR_MORE_DATA || buffer.size() >= kStreamListMaximumWords)
            return false;
        buffer.assign(buffer.size() * 4, 0);
    }
    ParseStreams(buffer, streams);
    return true;
}

std::wstring ReadFailure(const std::wstring& path, const std::wstring& reason) {
    return L"Cannot read the file \"" + path + L"\": " + reason;
}

// "1 MiB", "64 KiB" or "1000 bytes": the bound as a person would write it.
std::wstring SizeText(std::uint64_t bytes) {
    if (bytes != 0 && bytes % (1024 * 1024) == 0)
        return std::to_wstring(bytes / (1024 * 1024)) + L" MiB";
    if (bytes != 0 && bytes % 1024 == 0)
        return std::to_wstring(bytes / 1024) + L" KiB";
    return std::to_wstring(bytes) + L" bytes";
}

// Shared only with other readers; empty on failure, with the reason in GetLastError.
UniqueFile OpenForReading(const std::wstring& path) {
    return UniqueFile(
        CreateFileApi(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
}

std::vector<std::uint8_t> ReadOpenFile(HANDLE file, const std::wstring& path,
                                       std::uint64_t maxBytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        throw Error(ReadFailure(path, SystemErrorText(::GetLastError())));
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        throw Error(L"The file \"" + path + L"\" is larger than " + SizeText(maxBytes) + L".");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD read = 0;
        const auto wanted =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, MAXDWORD));
        if (!ReadFileApi(file, bytes.data() + done, wanted, read))
            throw Error(ReadFailure(path, SystemErrorText(::GetLastError())));
        // The share mode keeps writers out, so a file ends before its size only when it was cut
        // all the same (on a share another machine serves) or its size was wrong. What was read
        // is then not the file, and nothing after tells so: half a tips file shows its last tip
        // cut off as if it were whole, half a picture may decode with a part of it missing, half
        // a version file may name another version. Refused, each caller goes on without it, and
        // the tips say why.
        if (read == 0)
            throw Error(ReadFailure(path, L"it became shorter while it was read."));
        done += read;
    }
    return bytes;
}

} // namespace

bool AttributeTag::IsLink() const {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

std::wstring FullPath(const std::wstring& path) {
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    while (size != 0) {
        std::vector<wchar_t> buffer(size);
        const DWORD length = ::GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
        if (length < size)
            return std::wstring(buffer.data(), length);
        size = length; // the path grew meanwhile (a changed current folder): try again
    }
    return path;
}

Seam<CreateFileSignature> CreateFileApi{
    [](const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
        return ::CreateFileW(ExtendedLengthPath(path).c_str(), access, share, nullptr, disposition,
                             attributes, nullptr);
    }};

bool WriteFileAtDirect(HANDLE file, std::uint64_t offset, const void* data, DWORD size,
                       DWORD& written) {
    written = 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    // No event: under Wine setting one is a round trip to its server, which a flush on another
    // thread holds for the flush's whole length. A write into the cache ends at once; one that
    // goes on is waited for on the handle, which the end of any call on it signals, a flush's
    // too: hence asked again until this write has ended.
    if (!::WriteFile(file, data, size, nullptr, &at)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return false;
        constexpr DWORD kAskAgainMilliseconds = 10;
        while (!HasOverlappedIoCompleted(&at))
            ::WaitForSingleObject(file, kAskAgainMilliseconds);
    }
    return ::GetOverlappedResult(file, &at, &written, FALSE) != FALSE;
}

bool SetFileEnd(HANDLE file, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof(end)) != FALSE;
}

Seam<WriteFileSignature> WriteFileApi{&WriteFileAtDirect};

Seam<ReadFileSignature> ReadFileApi{[](HANDLE file, void* data, DWORD size, DWORD& read) {
    read = 0;
    return ::ReadFile(file, data, size, &read, nullptr) != FALSE;
}};

Seam<FlushFileBuffersSignature> FlushFileBuffersApi{
    [](HANDLE file) { return ::FlushFileBuffers(file) != FALSE; }};

Seam<DeleteFileSignature> DeleteFileApi{[](const std::wstring& path) {
    return ::DeleteFileW(ExtendedLengthPath(path).c_str()) != FALSE;
}};

Seam<MoveFileSignature> MoveFileApi{[](const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(), 0) !=
           FALSE;
}};

Seam<RenameOpenFileSignature> RenameOpenFileApi{&RenameOpenFileDirect};

Seam<GetFileAttributesSignature> GetFileAttributesApi{[](const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedLengthPath(path).c_str());
}};

Seam<SleepSignature> SleepApi{[](DWORD milliseconds) { ::Sleep(milliseconds); }};

Seam<QueryAttributeTagSignature> QueryAttributeTagApi{[](HANDLE file, AttributeTag& info) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag)))
        return false;
    info = {tag.FileAttributes, tag.ReparseTag};
    return true;
}};

Seam<ListStreamsSignature> ListStreamsApi{&ListNamedStreams};

Seam<DeleteOpenFileSignature> DeleteOpenFileApi{&DeleteOpenFileDirect};

bool DeleteOpenFileDirect(HANDLE file, const std::wstring&) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof(disposition)) != FALSE;
}

bool RenameOpenFileDirect(HANDLE file, const std::wstring&, const std::wstring& to) {
    // The system takes the new name as a native path: "\\??\\" where Win32 has "\\?\\".
    std::wstring native = ExtendedLengthPath(to);
    if (StartsWith(native, L"\\\\?\\"))
        native[1] = L'?';
    const std::size_t bytes = native.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(native.begin(), native.end(), info->FileName);
    return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFileIfPresent(const std::wstring& path,
                                                                std::uint64_t maxBytes) {
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        throw Error(ReadFailure(path, SystemErrorText(code)));
    }
    return ReadOpenFile(file.Get(), path, maxBytes);
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes) {
    const UniqueFile file = OpenForReading(path);
    if (!file)
        throw Error(ReadFailure(path, SystemErrorText(::GetLastError())));
    return ReadOpenFile(file.Get(), path, maxBytes);
}

PathKind ProbePath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesApi(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                              : PathKind::Unknown;
    }
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return folder ? PathKind::Folder : PathKind::File;
    // Only the reparse tag tells a link from a file that the system keeps in a form of its own
    // (compressed, deduplicated, in the cloud). Asking for attributes reads no data, so a file
    // in the cloud is not fetched for it.
    const UniqueFile link(CreateFileApi(
        path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    AttributeTag info;
    if (!link || !QueryAttributeTagApi(link.Get(), info))
        return PathKind::Unknown;
    if (!info.IsLink())
        return folder ? PathKind::Folder : PathKind::File;
    return folder ? PathKind::FolderLink : PathKind::FileLink;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
    if (path.empty() || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\") ||
        StartsWith(path, L"\\??\\"))
        return path;
    const std::wstring absolute = AbsolutePath(path);
    const std::wstring_view view = absolute;
    if (IsDriveAbsolute(view))
        return L"\\\\?\\" + absolute.substr(0, 2) + ResolvedParts(view.substr(2));
    // "\\server\share": its two parts are the root, which ".." does not climb out of.
    const std::size_t server = view.find(L'\\', 2);
    const std::size_t share = server == view.npos ? view.npos : view.find(L'\\', server + 1);
    if (share == view.npos)
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\UNC\\" + absolute.substr(2, share - 2) + ResolvedParts(view.substr(share));
}

} // namespace vexlor::platform
