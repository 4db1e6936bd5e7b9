// The panel and picture window classes of the skin.
#include <memory>

#include "skin/glyphs.h"
#include "skin/paint.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "skin/skinned_controls.h"
#include "ui/app_cursor.h"
#include "ui/dispatch.h"

namespace vexlor::skin {
namespace {

constexpr wchar_t kPanelClass[] = L"VexlorPanel";
constexpr wchar_t kPictureClass[] = L"VexlorPicture";
constexpr wchar_t kPictureProperty[] = L"Vexlor.Picture";
// A picture of the program's resources: which one, and its size at 96 dpi (packed).
constexpr wchar_t kResourceProperty[] = L"Vexlor.PictureResource";
constexpr wchar_t kResourceSizeProperty[] = L"Vexlor.PictureSize";

void LoadResourcePicture(HWND control) {
    const auto resource = reinterpret_cast<INT_PTR>(::GetPropW(control, kResourceProperty));
    if (!resource)
        return;
    const auto size = reinterpret_cast<INT_PTR>(::GetPropW(control, kResourceSizeProperty));
    SetPicture(control, LoadScaledPicture(static_cast<int>(resource), LOWORD(size), HIWORD(size),
                                          ui::DpiOf(control)));
}

void PaintPanel(HWND panel, HDC dc) {
    RECT area;
    ::GetClientRect(panel, &area);
    const Skin& skin = ActiveSkin();
    const std::optional<StyleClass> own = OwnStyleClass(panel);
    if (own == StyleClass::Gauge || own == StyleClass::AlphaEdit) {
        // A card: rounded, on whatever it lies on.
        const PanelStyle card =
            own == StyleClass::Gauge
                ? PanelStyle{skin.gauge.surface, skin.gauge.border, skin.gauge.radius}
                : skin.alphaEdit;
        PaintParentBackground(panel, dc);
        FillRounded(dc, area, ui::Scale(panel, card.radius), card.surface.background, card.border,
                    ui::Scale(panel, 1));
        return;
    }
    FillSolid(dc, area, skin.SurfaceOf(EffectiveStyleClass(panel)).background);
    if (own == StyleClass::StatusBar)
        FillSolid(dc, {0, 0, area.right, 1}, skin.statusBar.border); // apart from what is above
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

using Painter = void (*)(HWND, HDC);

// What panels and pictures share: they lie among controls, carry controls of their own and
// forward what those report, and draw their whole area at once.
LRESULT ContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Painter paint) {
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
        if (ui::HandleSetCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        BufferedPaint buffered(window);
        paint(window, buffered.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case ui::DpiChangedAfterParent:
        LoadResourcePicture(window);
        return 0;
    case WM_NCDESTROY:
        delete static_cast<UniqueBitmap*>(::RemovePropW(window, kPictureProperty));
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

template <Painter paint>
LRESULT CALLBACK ContainerProcedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    return ui::GuardOr([&] { return ContainerMessage(window, message, wParam, lParam, paint); },
                       [&] { return ::DefWindowProcW(window, message, wParam, lParam); });
}

HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

// The classes are registered once, by the first control made of them.
template <const wchar_t* name, Painter paint> const wchar_t* ContainerClass(HWND parent) {
    [[maybe_unused]] static const bool registered = [parent] {
        ui::RegisterWindowClass(InstanceOf(parent), name, &ContainerProcedure<paint>);
        return true;
    }();
    return name;
}

} // namespace

HWND CreatePanel(HWND parent, int id, const ui::Bounds& bounds,
                 std::optional<StyleClass> styleClass, const std::wstring& text) {
    return ui::CreateControl({.parent = parent,
                              .id = id,
                              .windowClass = ContainerClass<kPanelClass, &PaintPanel>(parent),
                              .text = text,
                              .style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                              .exStyle = WS_EX_CONTROLPARENT,
                              .bounds = bounds,
                              .styleClass = styleClass ? NameOf(*styleClass) : nullptr});
}

HWND CreatePicture(HWND parent, int id, const ui::Bounds& bounds, UniqueBitmap picture) {
    const HWND control =
        ui::CreateControl({.parent = parent,
                           .id = id,
                           .windowClass = ContainerClass<kPictureClass, &PaintPicture>(parent),
                           .style = WS_CLIPCHILDREN,
                           .exStyle = WS_EX_CONTROLPARENT,
                           .bounds = bounds});
    SetPicture(control, std::move(picture));
    return control;
}

HWND CreateResourcePicture(HWND parent, int id, const ui::Bounds& bounds, int resource, int width,
                           int height) {
    const HWND control = CreatePicture(parent, id, bounds);
    ::SetPropW(control, kResourceProperty,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(resource)));
    ::SetPropW(control, kResourceSizeProperty,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(MAKELONG(width, height))));
    LoadResourcePicture(control);
    return control;
}

void SetPicture(HWND control, UniqueBitmap picture) {
    // The control owns its bitmap from here to WM_NCDESTROY.
    auto owned = std::make_unique<UniqueBitmap>(std::move(picture));
    delete static_cast<UniqueBitmap*>(::RemovePropW(control, kPictureProperty));
    ::SetPropW(control, kPictureProperty, owned.release());
    ::InvalidateRect(control, nullptr, FALSE);
}

} // namespace vexlor::skin
