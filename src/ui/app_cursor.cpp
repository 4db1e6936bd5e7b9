#include "ui/app_cursor.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kHandCursorProperty[] = L"Vexlor.HandCursor";
LPCWSTR appCursor = nullptr;

} // namespace

void MarkHandCursor(HWND control) {
    ::SetPropW(control, kHandCursorProperty, reinterpret_cast<HANDLE>(1));
}

bool WantsHandCursor(HWND control) {
    return control && ::GetPropW(control, kHandCursorProperty) != nullptr;
}

void SetAppCursor(LPCWSTR systemCursor) {
    appCursor = systemCursor;
    ::SetCursor(::LoadCursorW(nullptr, systemCursor));
}

void ClearAppCursor() {
    appCursor = nullptr;
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

bool AppCursorIsWait() {
    return appCursor == IDC_WAIT;
}

bool HandleSetCursor(WPARAM wParam, LPARAM lParam) {
    if (appCursor) {
        ::SetCursor(::LoadCursorW(nullptr, appCursor));
        return true;
    }
    const auto target = reinterpret_cast<HWND>(wParam);
    if (LOWORD(lParam) == HTCLIENT && WantsHandCursor(target) && ::IsWindowEnabled(target)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    return false;
}

} // namespace vexlor::ui
