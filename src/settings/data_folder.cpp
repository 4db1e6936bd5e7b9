#include "settings/data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "base/product.h"

namespace vexlor::settings {
namespace {

// MAX_PATH plus one, the size SHGetFolderPathW is documented to fill.
constexpr size_t kSpecialFolderBufferSize = MAX_PATH + 1;

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::wstring GetSpecialFolder(int csidl) {
    wchar_t buffer[kSpecialFolderBufferSize] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return {};
    return std::wstring(buffer, ::wcsnlen(buffer, kSpecialFolderBufferSize));
}

std::wstring GetDataFolder() {
    return GetSpecialFolder(CSIDL_APPDATA) + L"\\" + MakerName + L"\\" + ProductKeyName + L"\\";
}

void CreateFolderPath(const std::wstring& path) {
    // Every prefix that ends before a separator is one level. The search starts after the
    // first character so that a leading backslash (the current drive's root) is no level.
    size_t end = path.find_first_of(L"\\/", 1);
    for (;;) {
        const std::wstring level = path.substr(0, end);
        if (!level.empty() && !IsFolder(level))
            ::CreateDirectoryW(level.c_str(), nullptr);
        if (end == std::wstring::npos)
            return;
        end = path.find_first_of(L"\\/", end + 1);
    }
}

void CreateDataFolder() {
    const std::wstring folder = GetDataFolder();
    if (!IsFolder(folder))
        CreateFolderPath(folder);
}

} // namespace vexlor::settings
