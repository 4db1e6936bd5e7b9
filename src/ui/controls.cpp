#include "ui/controls.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <tuple>

#include "base/error.h"
#include "base/handles.h"
#include "ui/app_cursor.h"
#include "ui/glyphs.h"
#include "ui/paint.h"
#include "ui/skin.h"
#include "ui/skinned_control.h"
#include "ui/skinned_controls.h"

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

void PaintPanel(HWND panel, HDC dc) {
    RECT area;
    ::GetClientRect(panel, &area);
    const wchar_t* own = StyleClassOf(panel);
    const Skin& skin = ActiveSkin();
    const std::wstring_view styleClass = own ? own : L"";
    if (styleClass == StyleGauge || styleClass == StyleAlphaEdit) {
        // A card: rounded, on whatever it lies on.
        const PanelStyle card =
            styleClass == StyleGauge
                ? PanelStyle{skin.gauge.surface, skin.gauge.border, skin.gauge.radius}
                : skin.alphaEdit;
        PaintParentBackground(panel, dc);
        FillRounded(dc, area, card.radius, card.surface.background, card.border, 1);
        return;
    }
    FillSolid(dc, area, skin.SurfaceOf(EffectiveStyleClass(panel)).background);
    if (styleClass == StyleStatusBar)
        FillSolid(dc, {0, 0, area.right, 1}, skin.statusBar.border); // apart from what is above
}

LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT routed = 0;
    if (RouteSkinMessage(message, wParam, lParam, routed))
        return routed;
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    case WM_SETCURSOR:
        if (HandleSetCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        BufferedPaint paint(window);
        PaintPanel(window, paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintPanel(window, reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HBITMAP PictureOf(HWND window) {
    const auto* owned = static_cast<UniqueBitmap*>(::GetPropW(window, kPictureProperty));
    return owned ? owned->Get() : nullptr;
}

void PaintPicture(HWND window, HDC dc) {
    RECT area;
    ::GetClientRect(window, &area);
    PaintParentBackground(window, dc);
    BITMAP info{};
    const HBITMAP picture = PictureOf(window);
    if (!picture || !::GetObjectW(picture, sizeof(info), &info))
        return;
    DrawPicture(dc, picture, (area.right - info.bmWidth) / 2, (area.bottom - info.bmHeight) / 2);
}

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A picture may carry labels and buttons of its own, like a panel.
    LRESULT routed = 0;
    if (RouteSkinMessage(message, wParam, lParam, routed))
        return routed;
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    case WM_SETCURSOR:
        if (HandleSetCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_PAINT: {
        BufferedPaint paint(window);
        PaintPicture(window, paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintPicture(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_NCDESTROY:
        delete static_cast<UniqueBitmap*>(::RemovePropW(window, kPictureProperty));
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The size of `text` on one line in `font`, in the screen's pixels.
SIZE MeasureInFont(HFONT font, const std::wstring& text) {
    WindowDc screen(nullptr);
    SelectedObject selected(screen.Get(), font);
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
    const SIZE size = MeasureInFont(GetFont(font), text);
    return {bounds.x, bounds.y, ::MulDiv(size.cx, 96, ScreenDpi()) + 1,
            ::MulDiv(size.cy, 96, ScreenDpi())};
}

} // namespace

void RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register a control class.");
}

int Scale(int pixels) {
    return ::MulDiv(pixels, ScreenDpi(), 96);
}

HFONT CreateFontAt(const FontSpec& wanted, int dpi) {
    LOGFONTW logFont{};
    logFont.lfHeight = -::MulDiv(wanted.height, dpi, 96); // negative: character height
    logFont.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfUnderline = wanted.underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(logFont.lfFaceName, wanted.face, _TRUNCATE);
    return ::CreateFontIndirectW(&logFont);
}

HFONT GetFont(const FontSpec& wanted) {
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, UniqueFont> fonts;
    const Key key{wanted.face, wanted.height, wanted.bold, wanted.underline};
    auto found = fonts.find(key);
    if (found != fonts.end())
        return found->second.Get();
    UniqueFont font(CreateFontAt(wanted, ScreenDpi()));
    if (!font)
        throw Error(L"Cannot create the font " + std::wstring(wanted.face) + L".");
    return fonts.emplace(key, std::move(font)).first->second.Get();
}

void RegisterControlClasses(HINSTANCE instance) {
    RegisterControlClass(instance, kPanelClass, &PanelProcedure);
    RegisterControlClass(instance, kPictureClass, &PictureProcedure);
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

void MarkHandCursor(HWND control) {
    ::SetPropW(control, kHandCursorProperty, reinterpret_cast<HANDLE>(1));
}

void SetLabelText(HWND label, const std::wstring& text) {
    ::SetWindowTextW(label, text.c_str());
    WindowDc dc(label);
    SelectedObject font(dc.Get(),
                        reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT box{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SetWindowPos(label, nullptr, 0, 0, box.right + 1, box.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
                 const FontSpec& font, DWORD extraStyle, std::optional<COLORREF> fixedColor) {
    const HWND label = CreateControl({.parent = parent,
                                      .id = id,
                                      .windowClass = L"STATIC",
                                      .text = text,
                                      .style = SS_LEFT | SS_NOPREFIX | extraStyle,
                                      .bounds = SizedToText(bounds, text, font),
                                      .font = font});
    SkinLabel(label, fixedColor);
    return label;
}

HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                     int fontHeight) {
    const FontSpec font{.height = fontHeight, .bold = true, .underline = true};
    const HWND link = CreateControl({.parent = parent,
                                     .id = id,
                                     .windowClass = L"STATIC",
                                     .text = text,
                                     .style = SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                                     .bounds = SizedToText(bounds, text, font),
                                     .font = font,
                                     .handCursor = true});
    SkinLabel(link);
    return link;
}

HWND CreateButton(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                  const wchar_t* styleClass, bool isDefault, const FontSpec& font) {
    // Owner-drawn: the skin draws every state, which the system's themes would not let it.
    const HWND button = CreateControl({.parent = parent,
                                       .id = id,
                                       .windowClass = L"BUTTON",
                                       .text = text,
                                       .style = WS_TABSTOP | BS_OWNERDRAW,
                                       .bounds = bounds,
                                       .font = font,
                                       .styleClass = styleClass,
                                       .handCursor = true});
    SkinButton(button, isDefault);
    return button;
}

HWND CreateCheckBox(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                    const wchar_t* styleClass) {
    const HWND box = CreateControl({.parent = parent,
                                    .id = id,
                                    .windowClass = L"BUTTON",
                                    .text = text,
                                    .style = WS_TABSTOP | BS_AUTOCHECKBOX,
                                    .bounds = bounds,
                                    .styleClass = styleClass});
    SkinCheckBox(box);
    return box;
}

HWND CreateListBox(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass) {
    const HWND list =
        CreateControl({.parent = parent,
                       .id = id,
                       .windowClass = L"LISTBOX",
                       .style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | WS_BORDER | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                       .bounds = bounds,
                       .styleClass = styleClass});
    SkinListBox(list);
    return list;
}

HWND CreateProgressBar(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass) {
    const HWND bar = CreateControl({.parent = parent,
                                    .id = id,
                                    .windowClass = PROGRESS_CLASSW,
                                    .style = PBS_SMOOTH,
                                    .bounds = bounds,
                                    .styleClass = styleClass});
    SkinProgressBar(bar);
    return bar;
}

HWND CreatePicture(HWND parent, int id, const Bounds& bounds, UniqueBitmap picture) {
    const HWND control = CreateControl({.parent = parent,
                                        .id = id,
                                        .windowClass = kPictureClass,
                                        .style = WS_CLIPCHILDREN,
                                        .exStyle = WS_EX_CONTROLPARENT,
                                        .bounds = bounds});
    SetPicture(control, std::move(picture));
    return control;
}

void SetPicture(HWND control, UniqueBitmap picture) {
    // The control owns its bitmap from here to WM_NCDESTROY.
    auto owned = std::make_unique<UniqueBitmap>(std::move(picture));
    delete static_cast<UniqueBitmap*>(::RemovePropW(control, kPictureProperty));
    ::SetPropW(control, kPictureProperty, owned.release());
    ::InvalidateRect(control, nullptr, FALSE);
}

void MoveControl(HWND control, const Bounds& bounds) {
    ::MoveWindow(control, Scale(bounds.x), Scale(bounds.y), Scale(bounds.width),
                 Scale(bounds.height), TRUE);
}

} // namespace vexlor::ui
