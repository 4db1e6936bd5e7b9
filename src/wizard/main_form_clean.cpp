// The deletion run, driven from the main window; the work itself is in wipe/.
#include "wizard/main_form.h"

#include "platform/session.h"
#include "ui/app_cursor.h"
#include "ui/app_message.h"
#include "ui/message_pump.h"
#include "wipe/overwrite.h"

namespace vexlor::wizard {

void TMainForm::StartClean() {
    wipe::RunDeletion(*this);
}

bool TMainForm::DoCleanFile(const std::wstring& path) {
    return wipe::OverwriteAndDelete(path, *this);
}

bool TMainForm::CleanFile(const std::wstring& path) {
    return DoCleanFile(path);
}

void TMainForm::RunClean() {
    struct Running {
        TMainForm& form;
        explicit Running(TMainForm& f) : form(f) { form.cleaning_ = true; }
        ~Running() {
            form.ShowProgressNow(); // the bars end on their true last values, also after an error
            form.cleaning_ = false;
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
    ui::ShowAppMessage(text, MB_ICONWARNING);
}

void TMainForm::ShowProgressNow() {
    overallBar_.ShowNow();
    fileBar_.ShowNow();
}

} // namespace vexlor::wizard
