// For scripts/test-installer.sh, inside its Wine prefix: finds a window the shell cannot tell
// by class (X sees only the executable's name), and works it as a user would. The window is
// "main" (Vexlor's main window) or "uninstaller" (the uninstaller's pages or message box).
//
//   vexlor_window_probe wait  WINDOW SECONDS   prints the path of the window's program, then
//                                              the texts of the window's controls
//   vexlor_window_probe close WINDOW SECONDS   sends WM_CLOSE, waits for the program to end
//                                              and prints its exit code
//   vexlor_window_probe tick  WINDOW SECONDS   clicks the page's check box until it is ticked
//   vexlor_window_probe next  WINDOW SECONDS   clicks the wizard's next button once it is enabled
//
// Exit code 0 on success, 1 when the window (or what was waited for) did not come in time.
#include <windows.h>

#include <string>

namespace {

struct Target {
    const wchar_t* className;
    const wchar_t* caption;
};

bool Matches(HWND window, const Target& target) {
    wchar_t name[256] = {}, caption[256] = {};
    ::GetClassNameW(window, name, 256);
    ::GetWindowTextW(window, caption, 256);
    // A wizard's caption may go on with the page's: "Удаление Vexlor: Удаление файлов".
    return ::IsWindowVisible(window) && wcscmp(name, target.className) == 0 &&
           wcsncmp(caption, target.caption, wcslen(target.caption)) == 0;
}

HWND WaitForWindow(const Target& target, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, target.className, nullptr)))
            if (Matches(window, target))
                return window;
        if (::GetTickCount() - start > milliseconds)
            return nullptr;
        ::Sleep(100);
    }
}

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr,
                                           nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), size - 1, &written, nullptr);
}

BOOL CALLBACK PrintText(HWND control, LPARAM) {
    wchar_t text[1024] = {};
    if (::GetWindowTextW(control, text, 1024) > 0)
        Print(text);
    return TRUE;
}

BOOL CALLBACK FindCheckBox(HWND control, LPARAM found) {
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    if (wcscmp(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX &&
        ::IsWindowVisible(control)) {
        *reinterpret_cast<HWND*>(found) = control;
        return FALSE;
    }
    return TRUE;
}

bool WaitFor(bool (*condition)(HWND), HWND window, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!condition(window)) {
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::Sleep(100);
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 2;
    const std::wstring command = argv[1], which = argv[2];
    const DWORD milliseconds = static_cast<DWORD>(_wtoi(argv[3])) * 1000;
    // The uninstaller's pages and message boxes carry its caption.
    const Target target = which == L"main" ? Target{L"TMainForm", L"Vexlor"}
                                           : Target{L"#32770", L"Удаление Vexlor"};
    const HWND window = WaitForWindow(target, milliseconds);
    if (!window)
        return 1;
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return 1;
    if (command == L"wait") {
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        ::QueryFullProcessImageNameW(process, 0, path, &size);
        Print(path);
        ::EnumChildWindows(window, PrintText, 0);
        return 0;
    }
    if (command == L"tick") {
        const auto ticked = [](HWND page) {
            HWND box = nullptr;
            ::EnumChildWindows(page, FindCheckBox, reinterpret_cast<LPARAM>(&box));
            if (box && ::SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED)
                ::SendMessageW(box, BM_CLICK, 0, 0);
            return box && ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        };
        return WaitFor(ticked, window, milliseconds) ? 0 : 1;
    }
    if (command == L"next") {
        const auto enabled = [](HWND wizard) { return ::IsWindowEnabled(::GetDlgItem(wizard, IDOK)) != 0; };
        if (!WaitFor(enabled, window, milliseconds))
            return 1;
        // Posted: what the click opens must not hold this program up.
        ::PostMessageW(::GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
        return 0;
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0)
        return 1;
    ::GetExitCodeProcess(process, &code);
    Print(std::to_wstring(code));
    return 0;
}
