#include "ui/dialog.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/dpi_fonts.h"
#include "ui/message_pump.h"

namespace vexlor::ui {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The frame for a client area of `client`, centred over `owner` and kept on its screen.
RECT CentredOver(HWND owner, SIZE client) {
    const int dpi = DpiOf(owner);
    RECT frame{0, 0, ScaleAt(dpi, client.cx), ScaleAt(dpi, client.cy)};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT around{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        ::GetWindowRect(owner, &around);
    MONITORINFO monitor{sizeof(monitor)};
    ::GetMonitorInfoW(::MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int x = std::clamp<int>((around.left + around.right - width) / 2, work.left,
                                  std::max<int>(work.left, work.right - width));
    const int y = std::clamp<int>((around.top + around.bottom - height) / 2, work.top,
                                  std::max<int>(work.top, work.bottom - height));
    return {x, y, x + width, y + height};
}

bool CanTakeFocus(HWND window) {
    return window && ::IsWindow(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

// Disables the owner for the modal run and enables it again, with the activation, on every
// path out, before the dialog is hidden: otherwise the system activates some other program.
// The control of the owner that had the focus gets it back, so that Enter and Tab go on from
// where they were.
class OwnerDisabled {
public:
    OwnerDisabled(HWND owner, HWND dialog) : owner_(owner), dialog_(dialog) {
        const HWND focus = ::GetFocus();
        if (owner_ && focus && ::IsChild(owner_, focus))
            focus_ = focus;
        enabled_ = owner_ && ::IsWindowEnabled(owner_);
        if (enabled_)
            ::EnableWindow(owner_, FALSE);
    }
    OwnerDisabled(const OwnerDisabled&) = delete;
    OwnerDisabled& operator=(const OwnerDisabled&) = delete;
    ~OwnerDisabled() {
        if (enabled_)
            ::EnableWindow(owner_, TRUE);
        if (::IsWindow(dialog_))
            ::ShowWindow(dialog_, SW_HIDE);
        if (owner_ && ::IsWindow(owner_)) {
            ::SetActiveWindow(owner_);
            const HWND focus = ::GetFocus();
            if (CanTakeFocus(focus_))
                ::SetFocus(focus_);
            else if (focus != owner_ && !::IsChild(owner_, focus))
                ::SetFocus(owner_);
        }
    }

private:
    HWND owner_;
    HWND dialog_;
    HWND focus_ = nullptr;
    bool enabled_ = false;
};

} // namespace

void Dialog::CreateDialogWindow(const wchar_t* className, const std::wstring& caption,
                                SIZE clientSize, HWND owner) {
    RegisterWindowClass(className, nullptr, nullptr);
    CreateWindowHandle(className, caption, kStyle, kExStyle, CentredOver(owner, clientSize), owner,
                       nullptr);
}

int Dialog::ShowModal() {
    const HWND owner = ::GetWindow(Handle(), GW_OWNER);
    const OwnerDisabled disabled(owner, Handle());
    running_ = true;
    result_ = IDCANCEL;
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    // The default button takes the focus, so that Enter does what it says; without one, the
    // first control of the tab order.
    HWND first = defaultButton_ ? FindDescendant(defaultButton_) : nullptr;
    if (!first || !::IsWindowEnabled(first))
        first = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (first)
        ::SetFocus(first);
    RunModalLoop([this] { return !running_ || !Handle(); });
    running_ = false;
    return result_;
}

HWND Dialog::FindDescendant(int id) const {
    // Controls lie in panels: GetDlgItem finds only direct children.
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    ::EnumChildWindows(
        Handle(),
        [](HWND child, LPARAM context) noexcept -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) != s->id)
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Dialog::EndModal(int result) {
    result_ = result;
    running_ = false;
}

void Dialog::OnCommand(int id, int) {
    if (id == IDCANCEL)
        EndModal(IDCANCEL);
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DM_GETDEFID:
        return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        EndModal(IDCANCEL); // the close box: the dialog's owner destroys it
        return 0;
    case WM_DPICHANGED:
        ApplyDpiChange(*reinterpret_cast<const RECT*>(lParam));
        OnDpiChanged();
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

} // namespace vexlor::ui
