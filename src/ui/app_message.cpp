#include "ui/app_message.h"

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/error_box.h"

namespace vexlor::ui {

int ShowAppMessage(const std::wstring& text, UINT flags) {
    const Application& application = Application::Get();
    const HWND active = application.ActiveWindow();
    // Without any window of ours alive the box has no owner and no title.
    const std::wstring title = active ? TextOf(active) : std::wstring();
    const HWND owner = active && active == application.MainWindow() ? application.Handle() : active;
    return ShowModalMessageBox(owner, text, title, flags);
}

bool AskYesNo(const std::wstring& question, const std::wstring& caption) {
    return ShowModalMessageBox(Application::Get().Handle(), question, caption,
                               MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

} // namespace vexlor::ui
