// A DLL named like a system DLL the program uses, as someone might plant it beside the program.
// Loaded into a process, it leaves a file named as itself plus ".loaded" in its folder.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    const HANDLE marker = ::CreateFileW((std::wstring(path) + L".loaded").c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        ::CloseHandle(marker);
    return TRUE;
}

// What the program calls of it, so that the loader finds everything it imports.
extern "C" __declspec(dllexport) HRESULT WINAPI SetWindowTheme(HWND, LPCWSTR, LPCWSTR) {
    return S_OK;
}
