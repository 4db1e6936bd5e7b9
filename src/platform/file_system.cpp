#include "platform/file_system.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vexlor::platform {
namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

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

Seam<WriteFileSignature> WriteFileApi{
    [](HANDLE file, const void* data, DWORD size, DWORD& written) {
        written = 0;
        return ::WriteFile(file, data, size, &written, nullptr) != FALSE;
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

PathKind ProbePath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesApi(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::File;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                          : PathKind::Unknown;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
    if (path.empty() || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\") ||
        StartsWith(path, L"\\??\\"))
        return path;
    const std::wstring full = FullPath(path);
    if (StartsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return L"\\\\?\\" + full;
    return full;
}

} // namespace vexlor::platform
