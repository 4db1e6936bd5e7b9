#include "skin/paint.h"
#include "skin/painters.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "ui/controls.h"

namespace vexlor::skin {
namespace {

UINT DrawTextFlags(LONG_PTR style) {
    UINT flags = DT_EXPANDTABS;
    if (style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        flags |= DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        flags |= DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        flags |= DT_SINGLELINE;
        break;
    default:
        flags |= DT_WORDBREAK;
        break;
    }
    if (style & SS_CENTERIMAGE)
        flags = (flags & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    return flags;
}

class SkinnedLabel : public SkinnedControl {
public:
    explicit SkinnedLabel(std::optional<COLORREF> fixedColor) : fixedColor_(fixedColor) {}

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT painted = 0;
        if (HandlePainting(message, wParam, painted))
            return painted;
        switch (message) {
        case WM_SETTEXT:
        case WM_ENABLE:
        case WM_SETFONT: {
            const LRESULT result = Default(message, wParam, lParam);
            Repaint();
            return result;
        }
        default:
            return Default(message, wParam, lParam);
        }
    }

    void Paint(HDC dc, const RECT& drawn) override {
        RECT area = drawn;
        PaintParentBackground(Window(), dc);
        const HWND parent = ::GetParent(Window());
        const COLORREF color =
            fixedColor_.value_or(ActiveSkin().SurfaceOf(EffectiveStyleClass(parent)).text);
        DrawTextIn(dc, FontOf(Window()), color, ui::TextOf(Window()), area,
                   DrawTextFlags(::GetWindowLongPtrW(Window(), GWL_STYLE)));
    }

private:
    std::optional<COLORREF> fixedColor_;
};

} // namespace

void SkinLabel(HWND label, std::optional<COLORREF> fixedColor) {
    SkinnedControl::Attach(label, std::make_unique<SkinnedLabel>(fixedColor));
}

} // namespace vexlor::skin
