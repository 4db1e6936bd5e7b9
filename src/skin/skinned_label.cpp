#include <algorithm>
#include <optional>
#include <string>

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
        if (IsLink())
            if (const auto handled = HandleAsLink(message, wParam))
                return *handled;
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
        const std::wstring text = ui::TextOf(Window());
        const UINT flags = DrawTextFlags(::GetWindowLongPtrW(Window(), GWL_STYLE));
        DrawTextIn(dc, FontOf(Window()), color, text, area, flags);
        if (IsLink() && ::GetFocus() == Window())
            PaintFocusRing(dc, area, text, flags);
    }

private:
    bool IsLink() const { return (::GetWindowLongPtrW(Window(), GWL_STYLE) & SS_NOTIFY) != 0; }

    // A link takes the focus from the keyboard and is opened like a push button: Enter (which
    // the window's dialog manager turns into its command) and Space.
    std::optional<LRESULT> HandleAsLink(UINT message, WPARAM wParam) {
        switch (message) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON |
                   (::GetFocus() == Window() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case WM_KEYUP:
            if (wParam != VK_SPACE)
                return std::nullopt;
            ::SendMessageW(::GetParent(Window()), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(Window()), STN_CLICKED),
                           reinterpret_cast<LPARAM>(Window()));
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Repaint();
            return std::nullopt;
        default:
            return std::nullopt;
        }
    }

    // Around the text itself, in the colour of the skin's focus rings.
    void PaintFocusRing(HDC dc, const RECT& area, const std::wstring& text, UINT flags) const {
        RECT box{0, 0, area.right, 0};
        {
            SelectedObject font(dc, FontOf(Window()));
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags | DT_CALCRECT);
        }
        const int width = std::min<int>(box.right, area.right);
        const int left = flags & DT_CENTER  ? (area.right - width) / 2
                         : flags & DT_RIGHT ? area.right - width
                                            : 0;
        const RECT ring{left, 0, left + width, std::min<int>(box.bottom + 1, area.bottom)};
        FrameRounded(dc, ring, 0, ActiveSkin().button.states.focusBorder);
    }

    std::optional<COLORREF> fixedColor_;
};

} // namespace

void SkinLabel(HWND label, std::optional<COLORREF> fixedColor) {
    SkinnedControl::Attach(label, std::make_unique<SkinnedLabel>(fixedColor));
}

} // namespace vexlor::skin
