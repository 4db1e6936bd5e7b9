#include "ui/controls.h"

#include <commctrl.h>

#include <map>
#include <tuple>

#include "ui/app_cursor.h"
#include "base/error.h"
#include "base/handles.h"
#include "ui/palette.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kPanelClass[] = L"VexlorPanel";
constexpr wchar_t kPictureClass[] = L"VexlorPicture";
constexpr wchar_t kStyleClassProperty[] = L"Vexlor.StyleClass";
constexpr wchar_t kHandCursorProperty[] = L"Vexlor.HandCursor";
constexpr wchar_t kPictureProperty[] = L"Vexlor.Picture";

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(ColorStatic(reinterpret_cast<HDC>(wParam)));
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<LRESULT>(ColorList(reinterpret_cast<HDC>(wParam)));
    case WM_SETCURSOR:
        if (HandleSetCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_ERASEBKGND: {
        RECT area;
        ::GetClientRect(window, &area);
        ::FillRect(reinterpret_cast<HDC>(wParam), &area, WindowBackgroundBrush());
        return TRUE;
    }
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void PaintPicture(HWND window) {
    PaintScope paint(window);
    RECT area;
    ::GetClientRect(window, &area);
    ::FillRect(paint.Dc(), &area, WindowBackgroundBrush());
    const auto picture = static_cast<HBITMAP>(::GetPropW(window, kPictureProperty));
    BITMAP info{};
    if (!picture || !::GetObjectW(picture, sizeof(info), &info))
        return;
    MemoryDc source(paint.Dc());
    SelectedObject selected(source.Get(), picture);
    const int x = (area.right - info.bmWidth) / 2;
    const int y = (area.bottom - info.bmHeight) / 2;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(paint.Dc(), x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, info.bmWidth,
                    info.bmHeight, blend);
}

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintPicture(window);
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_NCDESTROY:
        ::RemovePropW(window, kPictureProperty);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register a control class.");
}

SIZE MeasureText(const std::wstring& text, const FontSpec& font) {
    WindowDc screen(nullptr);
    SelectedObject selected(screen.Get(), GetFont(font));
    RECT box{0, 0, 0, 0};
    ::DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {box.right - box.left, box.bottom - box.top};
}

// A zero width means "as wide and high as the text": measured at screen resolution and given
// back at 96 dpi, since CreateControl scales.
Bounds SizedToText(const Bounds& bounds, const std::wstring& text, const FontSpec& font) {
    if (bounds.width != 0)
        return bounds;
    const SIZE size = MeasureText(text, font);
    return {bounds.x, bounds.y, ::MulDiv(size.cx, 96, ScreenDpi()) + 1,
            ::MulDiv(size.cy, 96, ScreenDpi())};
}

} // namespace

int Scale(int pixels) {
    return ::MulDiv(pixels, ScreenDpi(), 96);
}

HFONT GetFont(const FontSpec& wanted) {
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, UniqueFont> fonts;
    const Key key{wanted.face, wanted.height, wanted.bold, wanted.underline};
    auto found = fonts.find(key);
    if (found != fonts.end())
        return found->second.Get();
    LOGFONTW logFont{};
    logFont.lfHeight = -Scale(wanted.height); // negative: character height, not cell height
    logFont.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfUnderline = wanted.underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(logFont.lfFaceName, wanted.face, _TRUNCATE);
    UniqueFont font(::CreateFontIndirectW(&logFont));
    if (!font)
        throw Error(L"Cannot create the font " + std::wstring(wanted.face) + L".");
    return fonts.emplace(key, std::move(font)).first->second.Get();
}

void RegisterControlClasses(HINSTANCE instance) {
    RegisterClassOnce(instance, kPanelClass, &PanelProcedure);
    RegisterClassOnce(instance, kPictureClass, &PictureProcedure);
}

HWND CreateControl(const ControlSpec& wanted) {
    const HWND control = ::CreateWindowExW(
        wanted.exStyle, wanted.windowClass, wanted.text.c_str(),
        WS_CHILD | WS_VISIBLE | wanted.style, Scale(wanted.bounds.x), Scale(wanted.bounds.y),
        Scale(wanted.bounds.width), Scale(wanted.bounds.height), wanted.parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(wanted.id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(wanted.parent, GWLP_HINSTANCE)), nullptr);
    if (!control)
        ThrowLastError(L"Cannot create the control \"" + wanted.text + L"\".");
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(wanted.font)), FALSE);
    if (wanted.styleClass)
        ::SetPropW(control, kStyleClassProperty,
                   const_cast<wchar_t*>(wanted.styleClass)); // a literal: lives forever
    if (wanted.handCursor)
        ::SetPropW(control, kHandCursorProperty, reinterpret_cast<HANDLE>(1));
    return control;
}

const wchar_t* StyleClassOf(HWND control) {
    return static_cast<const wchar_t*>(::GetPropW(control, kStyleClassProperty));
}

bool WantsHandCursor(HWND control) {
    return control && ::GetPropW(control, kHandCursorProperty) != nullptr;
}

std::wstring TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

HWND CreatePanel(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass,
                 const std::wstring& text) {
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = kPanelClass,
                          .text = text,
                          .style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                          .exStyle = WS_EX_CONTROLPARENT,
                          .bounds = bounds,
                          .styleClass = styleClass});
}

HWND CreateLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                 const FontSpec& font, DWORD extraStyle) {
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = L"STATIC",
                          .text = text,
                          .style = SS_LEFT | SS_NOPREFIX | extraStyle,
                          .bounds = SizedToText(bounds, text, font),
                          .font = font});
}

HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                     int fontHeight) {
    const FontSpec font{.height = fontHeight, .bold = true, .underline = true};
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = L"STATIC",
                          .text = text,
                          .style = SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                          .bounds = SizedToText(bounds, text, font),
                          .font = font,
                          .handCursor = true});
}

HWND CreateButton(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                  const wchar_t* styleClass, DWORD extraStyle) {
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = L"BUTTON",
                          .text = text,
                          .style = WS_TABSTOP | BS_PUSHBUTTON | extraStyle,
                          .bounds = bounds,
                          .styleClass = styleClass,
                          .handCursor = true});
}

HWND CreateListBox(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass) {
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = L"LISTBOX",
                          .style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
                          .exStyle = WS_EX_CLIENTEDGE,
                          .bounds = bounds,
                          .styleClass = styleClass});
}

HWND CreateProgressBar(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass) {
    return CreateControl({.parent = parent,
                          .id = id,
                          .windowClass = PROGRESS_CLASSW,
                          .style = PBS_SMOOTH,
                          .bounds = bounds,
                          .styleClass = styleClass});
}

HWND CreatePicture(HWND parent, int id, const Bounds& bounds, HBITMAP picture) {
    const HWND control =
        CreateControl({.parent = parent, .id = id, .windowClass = kPictureClass, .bounds = bounds});
    ::SetPropW(control, kPictureProperty, picture);
    return control;
}

void MoveControl(HWND control, const Bounds& bounds) {
    ::MoveWindow(control, Scale(bounds.x), Scale(bounds.y), Scale(bounds.width),
                 Scale(bounds.height), TRUE);
}

} // namespace vexlor::ui
