#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/controls.h"
#include "ui/glyphs.h"
#include "ui/paint.h"
#include "ui/skin.h"
#include "ui/skinned_control.h"
#include "ui/skinned_controls.h"

namespace vexlor::ui {
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
            Paint(buffer.Get(), {0, 0, width, height}, item.itemState);
            ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, buffer.Get(), 0, 0,
                     SRCCOPY);
        }
    }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        TrackHot(message);
        if (message == WM_ERASEBKGND)
            return TRUE; // the whole face is drawn at once
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

    void Paint(HDC dc, RECT box, UINT itemState) const {
        const ButtonStyle& style = ActiveSkin().button;
        const ControlState state = StateOf(itemState);
        const bool asDefault =
            isDefault_ && (state == ControlState::Normal || state == ControlState::Hot);
        const StateLook& look = asDefault ? style.defaultButton : style.states.In(state);
        PaintParentBackground(Window(), dc);
        FillRounded(dc, box, style.states.radius, look.face, look.border, style.states.borderWidth);
        if ((itemState & ODS_FOCUS) && !(itemState & ODS_NOFOCUSRECT))
            PaintFocusRing(dc, box, style.states);
        PaintContent(dc, box, look.text, state);
    }

    static void PaintFocusRing(HDC dc, RECT box, const StatefulLook& states) {
        ::InflateRect(&box, -Scale(kFocusInset) + 1, -Scale(kFocusInset) + 1);
        const UniquePen pen(::CreatePen(PS_SOLID, Scale(2), states.focusBorder));
        SelectedObject selectedPen(dc, pen.Get());
        SelectedObject noFill(dc, ::GetStockObject(NULL_BRUSH));
        const int corner = 2 * std::max(Scale(states.radius) - Scale(kFocusInset), 0);
        ::RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
    }

    void PaintContent(HDC dc, const RECT& box, COLORREF textColor, ControlState state) const {
        const bool glyphAlone = glyph_.placement == GlyphPlacement::Alone;
        const std::wstring caption = glyphAlone ? std::wstring() : TextOf(Window());
        const int glyphSize = glyph_.glyphs && glyph_.index >= 0 ? glyph_.glyphs->Size() : 0;
        SelectedObject font(dc,
                            reinterpret_cast<HGDIOBJ>(::SendMessageW(Window(), WM_GETFONT, 0, 0)));
        SIZE text{0, 0};
        if (!caption.empty())
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        const int gap = glyphSize && text.cx ? Scale(kGap) : 0;
        const int shift = state == ControlState::Pressed ? 1 : 0;
        int x = (box.left + box.right - glyphSize - gap - text.cx) / 2 + shift;
        const int middle = (box.top + box.bottom) / 2 + shift;
        const bool dimmed = state == ControlState::Disabled;
        const auto drawGlyph = [&](int left) {
            if (glyphSize)
                glyph_.glyphs->Draw(dc, glyph_.index, left, middle - glyphSize / 2, dimmed);
        };
        const auto drawCaption = [&](int left) {
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, textColor);
            ::TextOutW(dc, left, middle - text.cy / 2, caption.c_str(),
                       static_cast<int>(caption.size()));
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

} // namespace vexlor::ui
