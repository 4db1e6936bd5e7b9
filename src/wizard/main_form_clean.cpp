// The deletion run, driven from the main window; the work itself is in wipe/.
#include "wizard/main_form.h"

#include <commctrl.h>

#include "platform/session.h"
#include "platform/taskbar.h"
#include "ui/app_cursor.h"
#include "ui/app_message.h"
#include "ui/controls.h"
#include "ui/message_pump.h"
#include "wipe/overwrite.h"
#include "wizard/finish_report.h"

namespace vexlor::wizard {

void TMainForm::StartClean() {
    wipe::RunDeletion(*this);
}

bool TMainForm::DoCleanFile(const std::wstring& path) {
    return wipe::OverwriteAndDelete(path, *this);
}

void TMainForm::CleanFile(const std::wstring& path, wipe::FinishQueue& finishing) {
    wipe::OverwriteAndHandOver(path, *this, finishing);
}

void TMainForm::RunClean() {
    struct Running {
        TMainForm& form;
        explicit Running(TMainForm& f) : form(f) {
            form.cleaning_ = true;
            ::EnableMenuItem(form.MainMenu1, IdMenuFreeSpace, MF_BYCOMMAND | MF_GRAYED);
            ui::SetLabelText(form.sLabel4, L"Операция завершена.");
        }
        ~Running() {
            form.ShowProgressNow(); // the bars end on their true last values, also after an error
            form.cleaning_ = false;
            ::EnableMenuItem(form.MainMenu1, IdMenuFreeSpace, MF_BYCOMMAND | MF_ENABLED);
            platform::TaskbarProgressApi(form.Handle(), platform::TaskbarState::None, 0, 0);
            // A run that ends behind other windows calls the user back.
            if (::GetForegroundWindow() != form.Handle())
                platform::FlashWindowApi(form.Handle());
        }
    } running(*this);
    // Logging off now would end the program in the middle of a file.
    const platform::ShutdownBlock noLogOff(Handle(), L"Идет удаление файлов");
    StartClean();
}

void TMainForm::ProcessMessages() {
    overallBar_.ShowIfDue();
    fileBar_.ShowIfDue();
    ui::ProcessMessages();
}

void TMainForm::ResetFileBar(int maximum) {
    fileBar_.Reset(maximum);
}

void TMainForm::SetFileBarPosition(int position) {
    fileBar_.SetPosition(position);
}

void TMainForm::ResetOverallBar(int maximum) {
    overallBar_.Reset(maximum);
}

void TMainForm::SetOverallBarPosition(int position) {
    overallBar_.SetPosition(position);
}

void TMainForm::ShowBusy(bool busy) {
    if (busy)
        ui::SetAppCursor(IDC_WAIT);
    else
        ui::ClearAppCursor();
}

void TMainForm::Warn(const std::wstring& text) {
    const int done = static_cast<int>(::SendMessageW(ProgressBar, PBM_GETPOS, 0, 0));
    const int total = static_cast<int>(::SendMessageW(ProgressBar, PBM_GETRANGE, FALSE, 0));
    platform::TaskbarProgressApi(Handle(), platform::TaskbarState::Error,
                                 static_cast<std::uint64_t>(done),
                                 static_cast<std::uint64_t>(total));
    ui::ShowAppMessage(text, MB_ICONWARNING);
}

void TMainForm::Report(std::vector<wipe::Outcome> outcomes) {
    ShowNotDestroyed(outcomes);
}

void TMainForm::ShowNotDestroyed(const std::vector<wipe::Outcome>& outcomes) {
    notDestroyed_.Clear();
    notDestroyed_.Append(OutcomeLines(outcomes));
    LayOutFinishPage();
}

void TMainForm::ShowProgressNow() {
    overallBar_.ShowNow();
    fileBar_.ShowNow();
}

} // namespace vexlor::wizard
