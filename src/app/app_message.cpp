#include "app/app_message.h"

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/error_box.h"

namespace vexlor::app {

int ShowAppMessage(const std::wstring& text, UINT flags) {
    const ui::Application& application = ui::Application::Get();
    const HWND active = application.ActiveWindow();
    // Without any window of ours alive the box has no owner and no title.
    const std::wstring title = active ? ui::TextOf(active) : std::wstring();
    const HWND owner = active && active == application.MainWindow() ? application.Handle() : active;
    return ui::ShowModalMessageBox(owner, text, title, flags);
}

} // namespace vexlor::app
