// The deletion run, driven from the main window; the work itself is in wipe/.
#include "wizard/main_form.h"

#include <commctrl.h>

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

void TMainForm::ProcessMessages() {
    ui::ProcessMessages();
}

void TMainForm::ResetFileBar(int maximum) {
    ::SendMessageW(ProgressBarCurrentFile, PBM_SETPOS, 0, 0);
    ::SendMessageW(ProgressBarCurrentFile, PBM_SETRANGE32, 0, maximum);
}

void TMainForm::SetFileBarPosition(int position) {
    ::SendMessageW(ProgressBarCurrentFile, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TMainForm::ResetOverallBar(int maximum) {
    ::SendMessageW(ProgressBar, PBM_SETPOS, 0, 0);
    ::SendMessageW(ProgressBar, PBM_SETRANGE32, 0, maximum);
}

void TMainForm::SetOverallBarPosition(int position) {
    ::SendMessageW(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

} // namespace vexlor::wizard
