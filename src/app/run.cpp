#include "app/run.h"

#include <commctrl.h>

#include "app/single_instance.h"
#include "base/handles.h"
#include "base/product.h"
#include "platform/common_controls.h"
#include "skin/window_skin.h"
#include "ui/application.h"
#include "ui/dispatch.h"
#include "ui/message_pump.h"
#include "wizard/main_form.h"

namespace vexlor::app {
namespace {

int RunFirstInstance(HINSTANCE instance, int showCommand, const StartArguments& arguments) {
    const HANDLE windowReady = PrepareWindowReadyEvent();
    // Pictures in BMP, ICO and TIFF are read through WIC, a COM component.
    const ComInitialized com;
    platform::InitCommonControls(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
    ui::Application::Get().Initialize(instance, ApplicationTitle);
    skin::SkinEveryWindow();

    wizard::TMainForm mainForm;
    mainForm.Create();
    // The paths of this start before those that later starts hand over.
    ui::Guard([&] { mainForm.AddHandedPaths(arguments.paths, arguments.toDestroy); });
    if (windowReady)
        ::SetEvent(windowReady);
    mainForm.Show(showCommand);
    return ui::RunMessageLoop();
}

} // namespace

int Run(HINSTANCE instance, int showCommand) {
    const StartArguments arguments = ParseStartArguments(::GetCommandLineW());
    if (AnotherInstanceIsRunning()) {
        HandOverToRunningInstance(arguments);
        return 0;
    }
    int exitCode = 0;
    // Only a failure to set up the application itself can reach here.
    if (!ui::Guard([&] { exitCode = RunFirstInstance(instance, showCommand, arguments); }))
        return 1;
    return exitCode;
}

} // namespace vexlor::app
