// A DLL planted beside the program, named like a system DLL it uses, is not loaded: the
// program copied into a folder of the test's own with the planted DLL beside it, the loader
// told to prefer such a DLL to its own (as Windows' loader does), and the marker the DLL would
// leave looked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/single_instance.h"
#include "base/handles.h"
#include "process.h"
#include "temp_files.h"

namespace vexlor::testing {
namespace {

namespace fs = std::filesystem;

// Wine loads its own copy of a system DLL unless told to prefer one found on the search path.
void PreferDllsOnTheSearchPath(const wchar_t* program, const wchar_t* dll) {
    const std::wstring key =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
    HKEY opened = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    const std::wstring order = L"native,builtin";
    ::RegSetValueExW(opened, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                     static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(opened);
}

TEST(PlantedDll, BesideTheProgramIsNotLoaded) {
    UniqueHandleNull running(::OpenMutexW(SYNCHRONIZE, FALSE, app::SingleInstanceMutexName));
    ASSERT_FALSE(running) << "another Vexlor is running in this prefix";
    TempFolder folder;
    const std::wstring program = folder.PathOf(L"vexlor.exe");
    const std::wstring planted = folder.PathOf(L"uxtheme.dll");
    fs::copy_file(VexlorExePath(), program);
    fs::copy_file(WindowsPathOf(VEXLOR_PLANTED_DLL), planted);
    PreferDllsOnTheSearchPath(L"vexlor.exe", L"uxtheme");

    Process process = Process::Start(L"\"" + program + L"\"");
    const HWND window = WaitForWindow(process.Id(), L"TMainForm", L"Vexlor", 30000);
    ASSERT_NE(window, nullptr) << "the program did not show its window";
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(process.WaitForExit(30000), 0u) << "the program did not end on close";

    EXPECT_FALSE(Exists(planted + L".loaded")) << "the planted DLL was loaded";
    // The DLL does leave its marker where it is loaded (under a name Wine has no DLL of).
    const std::wstring probe = folder.PathOf(L"planted-probe.dll");
    fs::copy_file(planted, probe);
    const HMODULE loaded = ::LoadLibraryW(probe.c_str());
    ASSERT_NE(loaded, nullptr);
    ::FreeLibrary(loaded);
    EXPECT_TRUE(Exists(probe + L".loaded"));
}

} // namespace
} // namespace vexlor::testing
