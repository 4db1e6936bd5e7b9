#include "ui/controls.h"

#include <cstdint>
#include <vector>

#include "base/error.h"
#include "ui/app_cursor.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kStyleClassProperty[] = L"Vexlor.StyleClass";
// The control's layout, packed into window properties: no memory to free with the control.
constexpr wchar_t kBoundsProperty[] = L"Vexlor.Bounds";
constexpr wchar_t kFontProperty[] = L"Vexlor.Font";
constexpr wchar_t kFaceProperty[] = L"Vexlor.FontFace";
constexpr std::uintptr_t kBold = 1u << 16;
constexpr std::uintptr_t kUnderline = 1u << 17;
constexpr std::uintptr_t kSizedToText = 1u << 18;
constexpr std::uintptr_t kKept = 1u << 19; // so that the value is never null

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

HANDLE Packed(const Bounds& bounds) {
    const auto part = [](int value, int shift) {
        return static_cast<std::uint64_t>(static_cast<std::uint16_t>(value)) << shift;
    };
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(
        part(bounds.x, 0) | part(bounds.y, 16) | part(bounds.width, 32) | part(bounds.height, 48)));
}

Bounds Unpacked(HANDLE packed) {
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(packed));
    const auto part = [value](int shift) {
        return static_cast<int>(static_cast<std::int16_t>(value >> shift & 0xFFFF));
    };
    return {part(0), part(16), part(32), part(48)};
}

void KeepLayout(HWND control, const ControlLayout& layout) {
    ::SetPropW(control, kBoundsProperty, Packed(layout.bounds));
    const std::uintptr_t font =
        static_cast<std::uint16_t>(layout.font.height) | (layout.font.bold ? kBold : 0) |
        (layout.font.underline ? kUnderline : 0) | (layout.sizedToText ? kSizedToText : 0) | kKept;
    ::SetPropW(control, kFontProperty, reinterpret_cast<HANDLE>(font));
    ::SetPropW(control, kFaceProperty, const_cast<wchar_t*>(layout.font.face));
}

// The control's place in device pixels at `dpi`: a control sized to its text is measured.
RECT PlaceAt(const ControlLayout& layout, const std::wstring& text, int dpi) {
    const Bounds& b = layout.bounds;
    const int x = ScaleAt(dpi, b.x);
    const int y = ScaleAt(dpi, b.y);
    if (!layout.sizedToText)
        return {x, y, x + ScaleAt(dpi, b.width), y + ScaleAt(dpi, b.height)};
    // One pixel more than the ink: a label exactly as wide as its text may lose its last one.
    const SIZE size = MeasureText(GetFont(layout.font, dpi), text);
    return {x, y, x + size.cx + 1, y + size.cy};
}

} // namespace

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon,
                         HBRUSH background, HICON smallIcon) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register the window class " + std::wstring(name) + L".");
}

HWND CreateControl(const ControlSpec& wanted) {
    const ControlLayout layout{wanted.bounds, wanted.font, wanted.bounds.width == 0};
    const int dpi = DpiOf(wanted.parent);
    const RECT place = PlaceAt(layout, wanted.text, dpi);
    const HWND control = ::CreateWindowExW(
        wanted.exStyle, wanted.windowClass, wanted.text.c_str(),
        WS_CHILD | WS_VISIBLE | wanted.style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, wanted.parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(wanted.id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(wanted.parent, GWLP_HINSTANCE)), nullptr);
    if (!control)
        ThrowLastError(L"Cannot create the control \"" + wanted.text + L"\".");
    KeepLayout(control, layout);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(wanted.font, dpi)), FALSE);
    if (wanted.styleClass)
        ::SetPropW(control, kStyleClassProperty, const_cast<wchar_t*>(wanted.styleClass));
    if (wanted.handCursor)
        MarkHandCursor(control);
    return control;
}

std::optional<ControlLayout> LayoutOf(HWND control) {
    const auto font = reinterpret_cast<std::uintptr_t>(::GetPropW(control, kFontProperty));
    if (!(font & kKept))
        return std::nullopt;
    const auto* face = static_cast<const wchar_t*>(::GetPropW(control, kFaceProperty));
    return ControlLayout{
        Unpacked(::GetPropW(control, kBoundsProperty)),
        {face, static_cast<int>(font & 0xFFFF), (font & kBold) != 0, (font & kUnderline) != 0},
        (font & kSizedToText) != 0};
}

void RescaleControls(HWND root) {
    std::vector<HWND> controls;
    ::EnumChildWindows(
        root,
        [](HWND child, LPARAM list) noexcept -> BOOL {
            try {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
                return TRUE;
            } catch (...) {
                return FALSE;
            }
        },
        reinterpret_cast<LPARAM>(&controls));
    const int dpi = DpiOf(root);
    for (const HWND control : controls) {
        const std::optional<ControlLayout> layout = LayoutOf(control);
        if (!layout)
            continue;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(layout->font, dpi)),
                       FALSE);
        const RECT place = PlaceAt(*layout, TextOf(control), dpi);
        ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const HWND control : controls)
        ::SendMessageW(control, DpiChangedAfterParent, 0, 0);
    ::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SetLabelText(HWND label, const std::wstring& text) {
    ::SetWindowTextW(label, text.c_str());
    const SIZE size = MeasureText(FontOf(label), text);
    ::SetWindowPos(label, nullptr, 0, 0, size.cx + 1, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const wchar_t* StyleClassOf(HWND control) {
    return static_cast<const wchar_t*>(::GetPropW(control, kStyleClassProperty));
}

std::wstring TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

void MoveControl(HWND control, const Bounds& bounds) {
    if (std::optional<ControlLayout> layout = LayoutOf(control)) {
        layout->bounds = bounds;
        layout->sizedToText = false;
        KeepLayout(control, *layout);
    }
    ::MoveWindow(control, Scale(control, bounds.x), Scale(control, bounds.y),
                 Scale(control, bounds.width), Scale(control, bounds.height), TRUE);
}

} // namespace vexlor::ui
