#include "skin/window_skin.h"

#include <windows.h>

#include "skin/menu_skin.h"
#include "skin/paint.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "skin/title_bar.h"
#include "ui/window.h"

namespace vexlor::skin {
namespace {

class WindowSkin final : public ui::MessageFilter {
public:
    bool Before(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (RouteSkinMessage(message, wParam, lParam, result))
            return true;
        if (message != WM_ERASEBKGND && message != WM_PRINTCLIENT)
            return false;
        RECT area;
        ::GetClientRect(window, &area);
        FillSolid(reinterpret_cast<HDC>(wParam), area, ActiveSkin().form.surface.background);
        result = TRUE;
        return true;
    }

    void After(HWND window, UINT message, WPARAM, LPARAM) override {
        if (message == WM_CREATE && !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) {
            const FormStyle& form = ActiveSkin().form;
            UseDarkTitleBar(window, form.caption, form.captionText);
        }
        if ((message == WM_NCPAINT || message == WM_NCACTIVATE) && ::GetMenu(window))
            PaintMenuBarRest(window);
    }
};

} // namespace

void SkinEveryWindow() {
    static WindowSkin skin;
    ui::Window::SetMessageFilter(&skin);
}

} // namespace vexlor::skin
