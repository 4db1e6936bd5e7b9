#include "skin/skinned_control.h"

#include <commctrl.h>

#include "base/error.h"
#include "platform/common_controls.h"
#include "skin/paint.h"
#include "skin/skin.h"
#include "ui/dispatch.h"

namespace vexlor::skin {
namespace {

constexpr UINT_PTR kSubclassId = 0x5653; // "VS"
constexpr wchar_t kPainterProperty[] = L"Vexlor.Painter";

bool IsColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

} // namespace

void SkinnedControl::Attach(HWND control, std::unique_ptr<SkinnedControl> painter) {
    painter->window_ = control;
    if (!platform::SetSubclass(control, &SkinnedControl::Procedure, kSubclassId,
                               reinterpret_cast<DWORD_PTR>(painter.get())))
        throw Error(L"Cannot draw a control in the program's skin.");
    SkinnedControl* owned = painter.release(); // deleted at WM_NCDESTROY
    ::SetPropW(control, kPainterProperty, owned);
    owned->Repaint();
}

SkinnedControl* SkinnedControl::Of(HWND control) {
    return control ? static_cast<SkinnedControl*>(::GetPropW(control, kPainterProperty)) : nullptr;
}

HBRUSH SkinnedControl::Colors(HDC dc) {
    const Surface& surface = ActiveSkin().SurfaceOf(EffectiveStyleClass(window_));
    ::SetTextColor(dc, surface.text);
    ::SetBkColor(dc, surface.background);
    return SkinBrush(surface.background);
}

LRESULT SkinnedControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT SkinnedControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::DefSubclass(window_, message, wParam, lParam);
}

void SkinnedControl::Repaint() const {
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

bool SkinnedControl::HandlePainting(UINT message, WPARAM wParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_ERASEBKGND:
        result = TRUE; // the whole area is drawn at once
        return true;
    case WM_PAINT: {
        BufferedPaint paint(window_);
        Paint(paint.Dc(), paint.Area());
        return true;
    }
    case WM_PRINTCLIENT: {
        RECT area;
        ::GetClientRect(window_, &area);
        Paint(reinterpret_cast<HDC>(wParam), area);
        return true;
    }
    default:
        return false;
    }
}

void SkinnedControl::TrackHot(UINT message) {
    if (message == WM_MOUSEMOVE && !hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
        ::TrackMouseEvent(&track);
        Repaint();
    } else if (message == WM_MOUSELEAVE) {
        hot_ = false;
        Repaint();
    }
}

LRESULT CALLBACK SkinnedControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self) noexcept {
    auto* painter = reinterpret_cast<SkinnedControl*>(self);
    if (message == WM_NCDESTROY) {
        platform::RemoveSubclass(window, &SkinnedControl::Procedure, id);
        ::RemovePropW(window, kPainterProperty);
        delete painter;
        return platform::DefSubclass(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (!ui::Guard([&] { result = painter->Handle(message, wParam, lParam); }))
        result = platform::DefSubclass(window, message, wParam, lParam);
    return result;
}

bool RouteSkinMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (IsColorMessage(message)) {
        SkinnedControl* painter = SkinnedControl::Of(reinterpret_cast<HWND>(lParam));
        const HBRUSH brush = painter ? painter->Colors(reinterpret_cast<HDC>(wParam)) : nullptr;
        result = reinterpret_cast<LRESULT>(brush);
        return brush != nullptr;
    }
    if (message == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlType == ODT_MENU)
            return false; // a skinned menu answers for its own items
        SkinnedControl* painter = SkinnedControl::Of(item.hwndItem);
        if (!painter)
            return false;
        painter->DrawItem(item);
        result = TRUE;
        return true;
    }
    // WM_MEASUREITEM: a list asks before its painter is attached (the painter sets the height
    // itself), and a skinned menu answers for its own items.
    return false;
}

} // namespace vexlor::skin
