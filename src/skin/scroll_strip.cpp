#include "skin/scroll_strip.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "base/error.h"
#include "skin/paint.h"
#include "skin/skin.h"
#include "ui/controls.h"
#include "ui/dispatch.h"

namespace vexlor::skin {
namespace {

constexpr wchar_t kStripClass[] = L"VexlorScrollStrip";
constexpr int kMinimumThumb = 16; // 96-dpi pixels
constexpr int kThumbInset = 3;

struct Strip {
    HWND list;
    int bar;
    bool hot = false;
    bool dragging = false;
    int grip = 0; // where in the thumb the mouse took hold
    RECT shownAt{};
    SCROLLINFO shown{};
};

Strip* StripOf(HWND window) {
    return reinterpret_cast<Strip*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool Vertical(const Strip& strip) {
    return strip.bar == SB_VERT;
}

SCROLLINFO InfoOf(const Strip& strip) {
    SCROLLINFO info{sizeof(info), SIF_ALL};
    ::GetScrollInfo(strip.list, strip.bar, &info);
    return info;
}

// Thumb and track along the strip, in pixels: where the thumb starts and how long it is.
struct Thumb {
    int start;
    int length;
    int track;
};

Thumb ThumbOf(const SCROLLINFO& info, int track, int minimumThumb) {
    const long long range = std::max<long long>(1LL + info.nMax - info.nMin, 1);
    const long long page = std::clamp<long long>(info.nPage, 1, range);
    const int length =
        std::min(track, std::max(minimumThumb, static_cast<int>(track * page / range)));
    const long long movable = std::max<long long>(range - page, 1);
    const long long offset = std::clamp<long long>(info.nPos - info.nMin, 0, movable);
    return {static_cast<int>((track - length) * offset / movable), length, track};
}

int TrackLength(HWND window, const Strip& strip) {
    RECT area;
    ::GetClientRect(window, &area);
    return Vertical(strip) ? area.bottom : area.right;
}

void Paint(HWND window, HDC dc) {
    const Strip& strip = *StripOf(window);
    const EditStyle& style = ActiveSkin().edit;
    RECT area;
    ::GetClientRect(window, &area);
    FillSolid(dc, area, style.scrollTrack);
    const Thumb thumb =
        ThumbOf(InfoOf(strip), TrackLength(window, strip), ui::Scale(window, kMinimumThumb));
    const int inset = ui::Scale(window, kThumbInset);
    RECT box = Vertical(strip)
                   ? RECT{inset, thumb.start, area.right - inset, thumb.start + thumb.length}
                   : RECT{thumb.start, inset, thumb.start + thumb.length, area.bottom - inset};
    const int thickness = Vertical(strip) ? area.right - 2 * inset : area.bottom - 2 * inset;
    FillRounded(dc, box, thickness / 2,
                strip.hot || strip.dragging ? style.scrollThumbHot : style.scrollThumb);
}

void Scroll(const Strip& strip, int code, int position = 0) {
    ::SendMessageW(strip.list, Vertical(strip) ? WM_VSCROLL : WM_HSCROLL,
                   MAKEWPARAM(code, position), 0);
}

int Along(const Strip& strip, LPARAM point) {
    return Vertical(strip) ? GET_Y_LPARAM(point) : GET_X_LPARAM(point);
}

void Drag(HWND window, Strip& strip, int at) {
    const SCROLLINFO info = InfoOf(strip);
    const Thumb thumb = ThumbOf(info, TrackLength(window, strip), ui::Scale(window, kMinimumThumb));
    const long long range = 1LL + info.nMax - info.nMin;
    const long long movable = std::max<long long>(range - std::max<long long>(info.nPage, 1), 0);
    const int room = std::max(thumb.track - thumb.length, 1);
    const long long position =
        info.nMin + std::clamp<long long>(movable * (at - strip.grip) / room, 0, movable);
    Scroll(strip, SB_THUMBTRACK, static_cast<int>(position));
}

LRESULT StripMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Strip* strip = StripOf(window);
    if (!strip)
        return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        BufferedPaint paint(window);
        Paint(window, paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN: {
        const Thumb thumb =
            ThumbOf(InfoOf(*strip), TrackLength(window, *strip), ui::Scale(window, kMinimumThumb));
        const int at = Along(*strip, lParam);
        if (at < thumb.start || at >= thumb.start + thumb.length) {
            Scroll(*strip, at < thumb.start ? SB_PAGEUP : SB_PAGEDOWN);
        } else {
            strip->dragging = true;
            strip->grip = at - thumb.start;
            ::SetCapture(window);
        }
        SyncScrollStrip(window);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (strip->dragging) {
            Drag(window, *strip, Along(*strip, lParam));
        } else if (!strip->hot) {
            strip->hot = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            ::TrackMouseEvent(&track);
        }
        SyncScrollStrip(window);
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (strip->dragging) {
            strip->dragging = false;
            if (message == WM_LBUTTONUP)
                ::ReleaseCapture();
            Scroll(*strip, SB_ENDSCROLL);
            SyncScrollStrip(window);
        }
        return 0;
    case WM_MOUSELEAVE:
        strip->hot = false;
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return ::SendMessageW(strip->list, message, wParam, lParam);
    case WM_NCDESTROY:
        delete strip;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK StripProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ui::GuardOr([&] { return StripMessage(window, message, wParam, lParam); },
                       [&] { return ::DefWindowProcW(window, message, wParam, lParam); });
}

} // namespace

HWND CreateScrollStrip(HWND list, int bar) {
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(list, GWLP_HINSTANCE));
    ui::RegisterWindowClass(instance, kStripClass, &StripProcedure);
    const HWND strip = ::CreateWindowExW(0, kStripClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                         0, 0, ::GetParent(list), nullptr, instance, nullptr);
    if (!strip)
        ThrowLastError(L"Cannot create a scroll bar.");
    ::SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Strip{list, bar}));
    return strip;
}

void SyncScrollStrip(HWND window) {
    Strip* strip = StripOf(window);
    if (!strip || !::IsWindow(strip->list))
        return;
    SCROLLBARINFO bar{sizeof(bar)};
    const bool shown =
        ::GetScrollBarInfo(strip->list, Vertical(*strip) ? OBJID_VSCROLL : OBJID_HSCROLL, &bar) &&
        !(bar.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) &&
        ::IsWindowVisible(strip->list);
    if (!shown) {
        ::ShowWindow(window, SW_HIDE);
        return;
    }
    RECT place = bar.rcScrollBar;
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    if (!::EqualRect(&place, &strip->shownAt) || !::IsWindowVisible(window)) {
        strip->shownAt = place;
        ::SetWindowPos(window, HWND_TOP, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    const SCROLLINFO info = InfoOf(*strip);
    if (info.nPos != strip->shown.nPos || info.nPage != strip->shown.nPage ||
        info.nMax != strip->shown.nMax || info.nMin != strip->shown.nMin) {
        strip->shown = info;
        ::InvalidateRect(window, nullptr, FALSE);
    }
}

} // namespace vexlor::skin
