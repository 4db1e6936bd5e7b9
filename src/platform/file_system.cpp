#include "platform/file_system.h"

namespace vexlor::platform {

Seam<CreateFileSignature> CreateFileApi{[](const std::wstring& path, DWORD access, DWORD share,
                                           DWORD disposition, DWORD attributes) {
    return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
}};

Seam<WriteFileSignature> WriteFileApi{
    [](HANDLE file, const void* data, DWORD size, DWORD& written) {
        written = 0;
        return ::WriteFile(file, data, size, &written, nullptr) != FALSE;
    }};

Seam<FlushFileBuffersSignature> FlushFileBuffersApi{
    [](HANDLE file) { return ::FlushFileBuffers(file) != FALSE; }};

Seam<DeleteFileSignature> DeleteFileApi{
    [](const std::wstring& path) { return ::DeleteFileW(path.c_str()) != FALSE; }};

Seam<SleepSignature> SleepApi{[](DWORD milliseconds) { ::Sleep(milliseconds); }};

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace vexlor::platform
