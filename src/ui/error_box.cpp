#include "ui/error_box.h"

#include <exception>
#include <vector>

#include "platform/message_box.h"
#include "ui/application.h"
#include "ui/dispatch.h"
#include "base/error.h"

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
    static BOOL CALLBACK Collect(HWND window, LPARAM self) {
        auto* that = reinterpret_cast<ThreadWindowsDisabled*>(self);
        if (window != that->keep_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
            that->disabled_.push_back(window);
        return TRUE;
    }

    HWND keep_;
    HWND active_;
    std::vector<HWND> disabled_;
};

std::wstring Widen(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

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
        return Widen(error.what());
    } catch (...) {
        return L"Unknown error";
    }
}

void ReportCurrentException() noexcept {
    try {
        ShowErrorBox(CurrentExceptionText());
    } catch (...) {
        // Nothing is left to tell the user with; the program goes on.
    }
}

} // namespace vexlor::ui
