#include "ui/controls.h"
#include "ui/paint.h"
#include "ui/skin.h"
#include "ui/skinned_control.h"
#include "ui/skinned_controls.h"

namespace vexlor::ui {
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
        const int saved = ::SaveDC(dc);
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Window(), WM_GETFONT, 0, 0)));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, color);
        const std::wstring text = TextOf(Window());
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                    DrawTextFlags(::GetWindowLongPtrW(Window(), GWL_STYLE)));
        ::RestoreDC(dc, saved);
    }

private:
    std::optional<COLORREF> fixedColor_;
};

} // namespace

void SkinLabel(HWND label, std::optional<COLORREF> fixedColor) {
    SkinnedControl::Attach(label, std::make_unique<SkinnedLabel>(fixedColor));
}

} // namespace vexlor::ui
