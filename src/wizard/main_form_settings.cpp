// Settings kept by the main window.
#include "wizard/main_form.h"

#include "settings/settings.h"
#include "skin/skin.h"

namespace vexlor::wizard {

void TMainForm::SaveMainSettings() {
    // Written on every close though nothing reads it back: the skin never changes at start.
    settings::WriteSettingString(L"Skin", sSkinManager1->ActiveName());
}

} // namespace vexlor::wizard
