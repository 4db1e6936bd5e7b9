#include "platform/web_pages.h"

#include <windows.h>

#include <vector>

#include "platform/shell.h"

namespace vexlor::platform {
namespace {

constexpr wchar_t kBrowserAppPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

bool IsExistingAbsoluteFile(const std::wstring& path) {
    const bool absolute =
        path.size() > 3 && ((path[1] == L':' && path[2] == L'\\') || path.rfind(L"\\\\", 0) == 0);
    const DWORD attributes =
        absolute ? ::GetFileAttributesW(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ShellExecuteW reports failure with a value of 32 or less.
bool ShellFailed(std::intptr_t result) {
    return result <= 32;
}

} // namespace

void OpenWebPage(const std::wstring& url) {
    const auto result =
        ShellExecuteApi(ShellRequest{.operation = L"open", .file = url, .show = SW_SHOWNORMAL});
    if (!ShellFailed(result))
        return;
    const std::wstring browser = FallbackBrowserPath();
    if (!browser.empty())
        ShellExecuteApi(ShellRequest{
            .operation = L"open", .file = browser, .parameters = url, .show = SW_SHOWNORMAL});
}

std::wstring FallbackBrowserPath() {
    // The value may be quoted, or hold environment variables, which RRF_RT_REG_SZ expands.
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kBrowserAppPath, nullptr, RRF_RT_REG_SZ, nullptr,
                       nullptr, &bytes) != ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kBrowserAppPath, nullptr, RRF_RT_REG_SZ, nullptr,
                       buffer.data(), &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring path(buffer.data());
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    return IsExistingAbsoluteFile(path) ? path : std::wstring();
}

void OpenWebPageQuoted(const std::wstring& url) {
    ShellExecuteApi(
        ShellRequest{.operation = L"open", .file = L"\"" + url + L"\"", .show = SW_SHOWNORMAL});
}

} // namespace vexlor::platform
