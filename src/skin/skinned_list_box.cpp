#include <string>

#include "skin/paint.h"
#include "skin/painters.h"
#include "skin/scroll_strip.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "skin/skinned_controls.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {
namespace {

constexpr int kItemPadding = 6; // added to the font's height, 96-dpi pixels

// Messages that cannot change what the list's scroll bars show.
bool LeavesScrollBarsAlone(UINT message) {
    switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_CTLCOLORLISTBOX:
    case LB_GETCOUNT:
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
    case LB_GETITEMDATA:
    case LB_GETCURSEL:
    case LB_GETITEMRECT:
    case LB_GETHORIZONTALEXTENT:
    case LB_GETTOPINDEX:
        return true;
    default:
        return false;
    }
}

class SkinnedListBox : public SkinnedControl {
public:
    ~SkinnedListBox() override {
        for (const HWND strip : strips_)
            if (strip && ::IsWindow(strip))
                ::ShowWindow(strip, SW_HIDE);
    }

    void AddScrollStrips() {
        strips_[0] = CreateScrollStrip(Window(), SB_VERT);
        strips_[1] = CreateScrollStrip(Window(), SB_HORZ);
        SyncStrips();
    }

    void DrawItem(const DRAWITEMSTRUCT& item) override {
        if (item.itemID == static_cast<UINT>(-1))
            return; // an empty list: nothing but the background
        const EditStyle& style = ActiveSkin().edit;
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        const bool focused = ::GetFocus() == Window();
        const StateLook& selection = focused ? style.selected : style.inactive;
        FillSolid(item.hDC, item.rcItem, selected ? selection.face : style.surface.background);

        RECT box = item.rcItem;
        box.left += ui::Scale(Window(), ListTextMargin);
        DrawTextIn(item.hDC, FontOf(Window()), selected ? selection.text : style.surface.text,
                   EntryText(item.itemID), box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if ((item.itemState & ODS_FOCUS) && !selected)
            FrameRounded(item.hDC, item.rcItem, 0, style.focusedBorder);
    }

    HBRUSH Colors(HDC dc) override {
        const Surface& surface = ActiveSkin().edit.surface;
        ::SetTextColor(dc, surface.text);
        ::SetBkColor(dc, surface.background);
        return SkinBrush(surface.background);
    }

    void FitItemHeight() {
        WindowDc dc(Window());
        SelectedObject selected(dc.Get(), FontOf(Window()));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.Get(), &metrics);
        ::SendMessageW(Window(), LB_SETITEMHEIGHT, 0,
                       metrics.tmHeight + ui::Scale(Window(), kItemPadding));
    }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        // With drawing off, the list leaves its own scroll bars alone until it is back on, and
        // so do the strips: thousands of entries added in one go move them once.
        if (message == WM_SETREDRAW)
            drawingOff_ = !wParam;
        const LRESULT result = HandleOwn(message, wParam, lParam);
        if (!drawingOff_ && !LeavesScrollBarsAlone(message))
            SyncStrips();
        return result;
    }

private:
    LRESULT HandleOwn(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_ERASEBKGND: {
            RECT area;
            ::GetClientRect(Window(), &area);
            FillSolid(reinterpret_cast<HDC>(wParam), area, ActiveSkin().edit.surface.background);
            return TRUE;
        }
        case WM_NCPAINT: {
            const LRESULT result = Default(message, wParam, lParam);
            PaintBorder();
            return result;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            // The selection changes colour with the focus, and so does the border.
            const LRESULT result = Default(message, wParam, lParam);
            ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
            return result;
        }
        case WM_SETFONT: {
            const LRESULT result = Default(message, wParam, lParam);
            FitItemHeight();
            return result;
        }
        default:
            return Default(message, wParam, lParam);
        }
    }

    void SyncStrips() const {
        for (const HWND strip : strips_)
            if (strip)
                SyncScrollStrip(strip);
    }

    bool drawingOff_ = false;

    std::wstring EntryText(UINT index) const {
        const LRESULT length = ::SendMessageW(Window(), LB_GETTEXTLEN, index, 0);
        if (length == LB_ERR)
            return {};
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied =
            ::SendMessageW(Window(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
        return text;
    }

    // Over the system's one-pixel frame, in the skin's colour.
    void PaintBorder() const {
        const EditStyle& style = ActiveSkin().edit;
        RECT frame;
        ::GetWindowRect(Window(), &frame);
        ::OffsetRect(&frame, -frame.left, -frame.top);
        const HDC dc = ::GetWindowDC(Window());
        if (!dc)
            return;
        const COLORREF color = ::GetFocus() == Window() ? style.focusedBorder : style.border;
        ::FrameRect(dc, &frame, SkinBrush(color));
        PaintSizeBoxCorner(dc);
        ::ReleaseDC(Window(), dc);
    }

    // Where both bars show, the square between them.
    void PaintSizeBoxCorner(HDC dc) const {
        SCROLLBARINFO vertical{sizeof(vertical)};
        SCROLLBARINFO horizontal{sizeof(horizontal)};
        if (!::GetScrollBarInfo(Window(), OBJID_VSCROLL, &vertical) ||
            !::GetScrollBarInfo(Window(), OBJID_HSCROLL, &horizontal) ||
            (vertical.rgstate[0] | horizontal.rgstate[0]) & STATE_SYSTEM_INVISIBLE)
            return;
        RECT frame;
        ::GetWindowRect(Window(), &frame);
        RECT corner{vertical.rcScrollBar.left, horizontal.rcScrollBar.top,
                    vertical.rcScrollBar.right, horizontal.rcScrollBar.bottom};
        ::OffsetRect(&corner, -frame.left, -frame.top);
        FillSolid(dc, corner, ActiveSkin().edit.scrollTrack);
    }

    HWND strips_[2] = {nullptr, nullptr};
};

} // namespace

void SkinListBox(HWND list) {
    auto painter = std::make_unique<SkinnedListBox>();
    SkinnedListBox& attached = *painter;
    SkinnedControl::Attach(list, std::move(painter));
    attached.FitItemHeight();
    attached.AddScrollStrips();
}

} // namespace vexlor::skin
