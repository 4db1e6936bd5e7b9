#include <string>

#include "skin/paint.h"
#include "skin/painters.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "ui/controls.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {
namespace {

constexpr int kBoxSize = 16; // 96-dpi pixels
constexpr int kGap = 6;

// Messages on which the system's check box paints itself at once instead of asking for
// WM_PAINT: the skin's drawing has to follow them.
bool StockPaintsOn(UINT message) {
    switch (message) {
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
        return true;
    default:
        return false;
    }
}

class SkinnedCheckBox : public SkinnedControl {
public:
    // Wide enough for its box and its whole caption in the font it has, as labels are.
    void FitToText() const {
        RECT client;
        ::GetClientRect(Window(), &client);
        const SIZE text = ui::MeasureText(FontOf(Window()), ui::TextOf(Window()));
        const int needed = ui::Scale(Window(), kBoxSize + kGap) + text.cx + 1;
        if (client.right >= needed)
            return;
        ::SetWindowPos(Window(), nullptr, 0, 0, needed, client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT painted = 0;
        if (HandlePainting(message, wParam, painted))
            return painted;
        if (message == ui::DpiChangedAfterParent) {
            FitToText();
            return 0;
        }
        TrackHot(message);
        if (!StockPaintsOn(message))
            return Default(message, wParam, lParam);
        // The system's own drawing is skipped while the control seems hidden; then the skin's.
        const LONG_PTR style = ::GetWindowLongPtrW(Window(), GWL_STYLE);
        ::SetWindowLongPtrW(Window(), GWL_STYLE, style & ~WS_VISIBLE);
        const LRESULT result = Default(message, wParam, lParam);
        if (::IsWindow(Window())) {
            ::SetWindowLongPtrW(Window(), GWL_STYLE,
                                ::GetWindowLongPtrW(Window(), GWL_STYLE) | (style & WS_VISIBLE));
            ::InvalidateRect(Window(), nullptr, FALSE);
        }
        return result;
    }

private:
    ControlState State(LRESULT buttonState) const {
        if (!::IsWindowEnabled(Window()))
            return ControlState::Disabled;
        if (buttonState & BST_PUSHED)
            return ControlState::Pressed;
        return Hot() ? ControlState::Hot : ControlState::Normal;
    }

    bool FocusShown(LRESULT buttonState) const {
        const auto uiState = ::SendMessageW(Window(), WM_QUERYUISTATE, 0, 0);
        return (buttonState & BST_FOCUS) && !(uiState & UISF_HIDEFOCUS);
    }

    void Paint(HDC dc, const RECT& area) override {
        const CheckBoxStyle& style = ActiveSkin().checkBox;
        const LRESULT buttonState = ::SendMessageW(Window(), BM_GETSTATE, 0, 0);
        const bool checked = (buttonState & BST_CHECKED) != 0;
        const StateLook& look = style.states.In(State(buttonState));
        PaintParentBackground(Window(), dc);

        const int size = ui::Scale(Window(), kBoxSize);
        const int top = (area.bottom - size) / 2;
        const RECT box{0, top, size, top + size};
        FillRounded(dc, box, ui::Scale(Window(), style.states.radius),
                    checked ? style.checkedFace : look.face,
                    checked ? style.checkedBorder : look.border,
                    ui::Scale(Window(), style.states.borderWidth));
        if (checked)
            PaintTick(dc, box, style.tick);
        if (FocusShown(buttonState))
            PaintFocus(dc, box, style.states);

        DrawTextIn(dc, FontOf(Window()), look.text, ui::TextOf(Window()),
                   {size + ui::Scale(Window(), kGap), 0, area.right, area.bottom},
                   DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    void PaintTick(HDC dc, const RECT& box, COLORREF color) const {
        const int size = box.right - box.left;
        const POINT tick[] = {{box.left + size * 4 / 16, box.top + size * 8 / 16},
                              {box.left + size * 7 / 16, box.top + size * 11 / 16},
                              {box.left + size * 12 / 16, box.top + size * 5 / 16}};
        const UniquePen pen(::CreatePen(PS_SOLID, std::max(ui::Scale(Window(), 2), 2), color));
        SelectedObject selected(dc, pen.Get());
        ::Polyline(dc, tick, 3);
    }

    void PaintFocus(HDC dc, RECT box, const StatefulLook& states) const {
        ::InflateRect(&box, ui::Scale(Window(), 2), ui::Scale(Window(), 2));
        FrameRounded(dc, box, 2 * (ui::Scale(Window(), states.radius) + ui::Scale(Window(), 2)),
                     states.focusBorder);
    }
};

} // namespace

void SkinCheckBox(HWND checkBox) {
    auto painter = std::make_unique<SkinnedCheckBox>();
    const SkinnedCheckBox& attached = *painter;
    SkinnedControl::Attach(checkBox, std::move(painter));
    attached.FitToText();
}

} // namespace vexlor::skin
