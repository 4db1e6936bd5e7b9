// Settings kept by the main window.
#include "wizard/main_form.h"

namespace vexlor::wizard {

void TMainForm::SaveMainSettings() {}

} // namespace vexlor::wizard
