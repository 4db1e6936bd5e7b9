// The deletion run, driven from the main window.
#include "wizard/main_form.h"

namespace vexlor::wizard {

void TMainForm::StartClean() {}

bool TMainForm::DoCleanFile(const std::wstring&) {
    return false;
}

} // namespace vexlor::wizard
