#include <windows.h>
#include <commctrl.h>

#include <string>

#include "skin/glyphs.h"
#include "skin/paint.h"
#include "skin/painters.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "skin/skinned_controls.h"
#include "ui/controls.h"

namespace vexlor::skin {
namespace {

constexpr int kGap = 6;        // between glyph and caption, 96-dpi pixels
constexpr int kFocusInset = 3; // the focus ring inside the face's edge

class SkinnedButton : public SkinnedControl {
public:
    explicit SkinnedButton(bool isDefault) : isDefault_(isDefault) {}

    void SetGlyph(const ButtonGlyph& glyph) {
        glyph_ = glyph;
        Repaint();
    }

    void DrawItem(const DRAWITEMSTRUCT& item) override {
        const int width = item.rcItem.right - item.rcItem.left;
        const int height = item.rcItem.bottom - item.rcItem.top;
        MemoryDc buffer(item.hDC);
        const UniqueBitmap bitmap = CreateBuffer(width, height);
        {
            SelectedObject selected(buffer.Get(), bitmap.Get());
            PaintFace(buffer.Get(), {0, 0, width, height}, item.itemState);
            ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, buffer.Get(), 0, 0,
                     SRCCOPY);
        }
    }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        TrackHot(message);
        if (message == WM_ERASEBKGND)
            return TRUE; // the whole face is drawn at once
        // An owner-drawn button says nothing of being a push button: told so, the dialog
        // manager has Enter press the focused one, and the default one otherwise.
        if (message == WM_GETDLGCODE)
            return DLGC_BUTTON | (isDefault_ || ::GetFocus() == Window() ? DLGC_DEFPUSHBUTTON
                                                                         : DLGC_UNDEFPUSHBUTTON);
        if (message == WM_ENABLE)
            ClearHot();
        return Default(message, wParam, lParam);
    }

private:
    ControlState StateOf(UINT itemState) const {
        if (itemState & ODS_DISABLED)
            return ControlState::Disabled;
        if (itemState & ODS_SELECTED)
            return ControlState::Pressed;
        return Hot() ? ControlState::Hot : ControlState::Normal;
    }

    void PaintFace(HDC dc, RECT box, UINT itemState) const {
        const ButtonStyle& style = ActiveSkin().button;
        const ControlState state = StateOf(itemState);
        const bool asDefault =
            isDefault_ && (state == ControlState::Normal || state == ControlState::Hot);
        const StateLook& look = asDefault ? style.defaultButton : style.states.In(state);
        PaintParentBackground(Window(), dc);
        FillRounded(dc, box, ui::Scale(Window(), style.states.radius), look.face, look.border,
                    ui::Scale(Window(), style.states.borderWidth));
        if ((itemState & ODS_FOCUS) && !(itemState & ODS_NOFOCUSRECT))
            PaintFocusRing(dc, box, style.states, look);
        PaintContent(dc, box, look.text, state);
    }

    // On a face of the ring's own colour (the default button's), the ring takes the caption's.
    void PaintFocusRing(HDC dc, RECT box, const StatefulLook& states, const StateLook& look) const {
        const int inset = ui::Scale(Window(), kFocusInset);
        ::InflateRect(&box, -inset + 1, -inset + 1);
        const int corner = 2 * std::max(ui::Scale(Window(), states.radius) - inset, 0);
        const COLORREF ring = look.face == states.focusBorder ? look.text : states.focusBorder;
        FrameRounded(dc, box, corner, ring, ui::Scale(Window(), 2));
    }

    void PaintContent(HDC dc, const RECT& box, COLORREF textColor, ControlState state) const {
        const bool glyphAlone = glyph_.placement == GlyphPlacement::Alone;
        const std::wstring caption = glyphAlone ? std::wstring() : ui::TextOf(Window());
        const int glyphSize = glyph_.glyphs && glyph_.index >= 0 ? glyph_.glyphs->Size() : 0;
        const HFONT font = FontOf(Window());
        const SIZE text = caption.empty() ? SIZE{0, 0} : ui::MeasureText(font, caption);
        const int gap = glyphSize && text.cx ? ui::Scale(Window(), kGap) : 0;
        const int shift = state == ControlState::Pressed ? 1 : 0;
        int x = (box.left + box.right - glyphSize - gap - text.cx) / 2 + shift;
        const int middle = (box.top + box.bottom) / 2 + shift;
        const bool dimmed = state == ControlState::Disabled;
        const auto drawGlyph = [&](int left) {
            if (glyphSize)
                glyph_.glyphs->Draw(dc, glyph_.index, left, middle - glyphSize / 2, dimmed);
        };
        const auto drawCaption = [&](int left) {
            const int top = middle - text.cy / 2;
            DrawTextIn(dc, font, textColor, caption, {left, top, left + text.cx, top + text.cy},
                       DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        };
        if (glyph_.placement == GlyphPlacement::AfterText) {
            drawCaption(x);
            drawGlyph(x + text.cx + gap);
        } else {
            drawGlyph(x);
            drawCaption(x + glyphSize + gap);
        }
    }

    bool isDefault_;
    ButtonGlyph glyph_;
};

} // namespace

void SkinButton(HWND button, bool isDefault) {
    SkinnedControl::Attach(button, std::make_unique<SkinnedButton>(isDefault));
}

void SetButtonGlyph(HWND button, const ButtonGlyph& glyph) {
    if (auto* painter = dynamic_cast<SkinnedButton*>(SkinnedControl::Of(button)))
        painter->SetGlyph(glyph);
}

} // namespace vexlor::skin
