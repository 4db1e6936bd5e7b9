// Entry point of the end-to-end tests, which start the real program as separate processes.
// Web addresses the program opens reach a recorder instead of a browser: the test prefix's
// handler of "http" and "https" is the recorder, which notes them in a file of this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "process.h"

namespace {

void OpenAddressesWith(const std::wstring& program, const wchar_t* scheme) {
    const std::wstring key =
        std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    const std::wstring command = L"\"" + program + L"\" \"%1\"";
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &opened, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(opened);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    const std::wstring recorder = vexlor::testing::WindowsPathOf(VEXLOR_SHELL_RECORDER);
    OpenAddressesWith(recorder, L"http");
    OpenAddressesWith(recorder, L"https");
    ::SetEnvironmentVariableW(L"VEXLOR_SHELL_RECORD", vexlor::testing::ShellRecordPath().c_str());
    return RUN_ALL_TESTS();
}
