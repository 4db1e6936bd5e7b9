// For scripts/test-installer.sh, inside its Wine prefix: finds a window the shell cannot tell
// by class (X sees only the executable's name), and works it as a user would. The window is
// "main" (Vexlor's main window), "installer" or "uninstaller" (their pages or message boxes).
//
//   vexlor_window_probe wait  WINDOW SECONDS [TEXT]   prints the path of the window's program,
//                                              then the texts of the window's controls; with
//                                              TEXT, waits for a window with a control showing
//                                              it (a page that has come)
//   vexlor_window_probe close WINDOW SECONDS   sends WM_CLOSE, waits for the program to end
//                                              and prints its exit code
//   vexlor_window_probe tick  WINDOW SECONDS   ticks the page's check box with a click
//   vexlor_window_probe next  WINDOW SECONDS   clicks the wizard's next button once it is enabled
//   vexlor_window_probe yes   WINDOW SECONDS   answers a question "Yes" and waits until its box
//                                              is gone
//   vexlor_window_probe no    WINDOW SECONDS   answers a question "No", waits for the program
//                                              to end and prints its exit code
//
// Exit code 0 on success, 1 when the window (or what was waited for) did not come in time.
#include <windows.h>

#include <functional>
#include <string>

namespace {

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::Sleep(100);
    }
    return true;
}

// A visible top-level window of this class whose caption starts with `caption` and that
// `wanted` accepts: a wizard's caption may go on with the page's ("Удаление Vexlor: Удаление
// файлов"), and a message box carries its program's caption too.
HWND FindVisible(const wchar_t* className, const wchar_t* caption,
                 const std::function<bool(HWND)>& wanted) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, className, nullptr))) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        if (::IsWindowVisible(window) && wcsncmp(text, caption, wcslen(caption)) == 0 &&
            wanted(window))
            return window;
    }
    return nullptr;
}

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
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

struct TextSearch {
    const wchar_t* text;
    bool found;
};

BOOL CALLBACK FindText(HWND control, LPARAM search) {
    auto& wanted = *reinterpret_cast<TextSearch*>(search);
    wchar_t text[1024] = {};
    ::GetWindowTextW(control, text, 1024);
    wanted.found = wcsstr(text, wanted.text) != nullptr;
    return !wanted.found;
}

BOOL CALLBACK FindCheckBox(HWND control, LPARAM found) {
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    if (wcscmp(name, L"Button") != 0 || (style & BS_TYPEMASK) != BS_AUTOCHECKBOX)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = control;
    return FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 && argc != 5)
        return 2;
    const std::wstring command = argv[1], which = argv[2];
    const DWORD milliseconds = static_cast<DWORD>(_wtoi(argv[3])) * 1000;
    // The window wanted: one with the question's buttons, or one showing the text asked for.
    const int button = command == L"yes" ? IDYES : command == L"no" ? IDNO : 0;
    const auto wanted = [&](HWND candidate) {
        if (button)
            return ::GetDlgItem(candidate, button) != nullptr;
        TextSearch search{argc == 5 ? argv[4] : L"", false};
        ::EnumChildWindows(candidate, FindText, reinterpret_cast<LPARAM>(&search));
        return argc == 4 || search.found;
    };
    // The pages and message boxes of the installer and the uninstaller carry their captions.
    const wchar_t* const className = which == L"main" ? L"TMainForm" : L"#32770";
    const wchar_t* const caption = which == L"main"        ? L"Vexlor"
                                   : which == L"installer" ? L"Установка Vexlor"
                                                           : L"Удаление Vexlor";
    HWND window = nullptr;
    if (!WaitUntil(
            [&] {
                window = FindVisible(className, caption, wanted);
                return window != nullptr;
            },
            milliseconds))
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
        // The page inside the wizard may come a moment after the wizard's window.
        HWND box = nullptr;
        const auto found = [&] {
            ::EnumChildWindows(window, FindCheckBox, reinterpret_cast<LPARAM>(&box));
            return box != nullptr;
        };
        if (!WaitUntil(found, milliseconds))
            return 1;
        ::SendMessageW(box, BM_CLICK, 0, 0);
        return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
    }
    if (button) {
        // The button's notification, as its click sends it (a click may miss a box that is not
        // the active window); posted, so that what the answer starts does not hold this up.
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
        if (command == L"yes")
            return WaitUntil([&] { return !::IsWindow(window); }, milliseconds) ? 0 : 1;
    }
    if (command == L"next") {
        const HWND next = ::GetDlgItem(window, IDOK);
        if (!WaitUntil([&] { return ::IsWindowEnabled(next) != 0; }, milliseconds))
            return 1;
        // Posted: what the click opens must not hold this program up.
        ::PostMessageW(next, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"close")
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0)
        return 1;
    ::GetExitCodeProcess(process, &code);
    Print(std::to_wstring(code));
    return 0;
}
