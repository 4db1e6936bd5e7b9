// Page 1: the list of files to destroy.
#include "wizard/main_form.h"

namespace vexlor::wizard {

void TMainForm::BtnAddFilesClick() {
    if (ActivePage() == PageWelcome)
        BtnNextClick();
}

void TMainForm::BtnDeleteClick() {}
void TMainForm::BtnCleanFilesClick() {}
void TMainForm::ListBoxFilesMouseDown() {}

} // namespace vexlor::wizard
