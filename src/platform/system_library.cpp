#include "platform/system_library.h"

#include <string>

namespace vexlor::platform {
namespace {

// Not declared for Windows 7, where it comes with an update (KB2533623).
constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

} // namespace

void LoadDllsFromTheSystemFolderOnly() {
    using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    // kernel32 is one of the DLLs that are always the system's own.
    const auto set = reinterpret_cast<SetDefaultDllDirectories>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set)
        set(kSearchSystem32);
    // Without it (Windows 7 without its update) the current folder at least is left out.
    ::SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* dll) {
    if (const HMODULE module = ::LoadLibraryExW(dll, nullptr, kSearchSystem32))
        return module;
    // Windows 7 without its update refuses the flag; the full path is as safe.
    if (::GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    const std::wstring folder = SystemFolder();
    return folder.empty() ? nullptr : ::LoadLibraryW((folder + L"\\" + dll).c_str());
}

} // namespace vexlor::platform
