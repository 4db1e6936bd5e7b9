#include "fakes.h"

#include <shlobj.h>

#include <cstring>

namespace vexlor::testing {
namespace {

bool AnyOtherWindowEnabled(HWND except) {
    struct Search {
        HWND except;
        bool found = false;
    } search{except};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (window != s->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

RecordedMessageBoxes::RecordedMessageBoxes(int answer)
    : seam_(platform::MessageBoxApi, [this, answer](HWND owner, const std::wstring& text,
                                                    const std::wstring& caption, UINT flags) {
          calls.push_back({owner, text, caption, flags, AnyOtherWindowEnabled(owner)});
          return answer;
      }) {}

RecordedShell::RecordedShell(std::vector<std::intptr_t> results)
    : results_(std::move(results)),
      seam_(platform::ShellExecuteApi, [this](const platform::ShellRequest& request) {
          const size_t index = std::min(calls.size(), results_.size() - 1);
          calls.push_back(request);
          return results_[index];
      }) {}

TestWindow::TestWindow(const std::wstring& caption, const wchar_t* className) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
    handle_ = ::CreateWindowExW(0, className, caption.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300,
                                200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (::IsWindow(handle_))
        ::DestroyWindow(handle_);
}

void SendDrop(HWND window, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths)
        names += path + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

} // namespace vexlor::testing
