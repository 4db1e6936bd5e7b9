#include "ui/error_box.h"

#include <cstdint>
#include <exception>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "ui/application.h"
#include "ui/dispatch.h"

namespace vexlor::ui {
namespace {

// Disables the enabled, visible top-level windows of this thread, except `keep`, and enables
// them again on scope exit, so that a message box is modal for the whole program.
class ThreadWindowsDisabled {
public:
    explicit ThreadWindowsDisabled(HWND keep) : keep_(keep), active_(::GetActiveWindow()) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &ThreadWindowsDisabled::Collect,
                            reinterpret_cast<LPARAM>(this));
        for (HWND window : disabled_)
            ::EnableWindow(window, FALSE);
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
    ~ThreadWindowsDisabled() {
        for (HWND window : disabled_)
            if (::IsWindow(window))
                ::EnableWindow(window, TRUE);
        if (active_ && ::IsWindow(active_))
            ::SetActiveWindow(active_);
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) noexcept {
        auto* that = reinterpret_cast<ThreadWindowsDisabled*>(self);
        if (window == that->keep_ || !::IsWindowVisible(window) || !::IsWindowEnabled(window))
            return TRUE;
        // Out of memory, the box is modal for the windows collected so far.
        try {
            that->disabled_.push_back(window);
            return TRUE;
        } catch (...) {
            return FALSE;
        }
    }

    HWND keep_;
    HWND active_;
    std::vector<HWND> disabled_;
};

} // namespace

std::wstring ErrorBoxText(const std::wstring& text) {
    if (!text.empty() && text.back() > L'.')
        return text + L".";
    return text;
}

int ShowModalMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                        UINT flags) {
    ThreadWindowsDisabled disabled(owner);
    return platform::MessageBoxApi(owner, text, caption, flags);
}

void ShowErrorBox(const std::wstring& text) {
    Application& application = Application::Get();
    HWND owner = application.ActiveWindow();
    if (!owner)
        owner = application.Handle();
    ShowModalMessageBox(owner, ErrorBoxText(text), application.Title(), MB_OK | MB_ICONSTOP);
}

std::wstring CurrentExceptionText() {
    try {
        throw;
    } catch (const Error& error) {
        return error.Text();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& error) {
        const std::string_view what = error.what(); // in the system's code page
        return platform::WidenWithSystem(
            {reinterpret_cast<const std::uint8_t*>(what.data()), what.size()}, TextEncoding::Ansi);
    } catch (...) {
        return L"Unknown error";
    }
}

void ReportCurrentException() noexcept {
    // One box at a time: a handler that fails again while the box is up (a painter, at every
    // paint beneath the box) would otherwise open boxes without end.
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    try {
        ShowErrorBox(CurrentExceptionText());
    } catch (...) {
        // Nothing is left to tell the user with; the program goes on.
    }
    showing = false;
}

} // namespace vexlor::ui
