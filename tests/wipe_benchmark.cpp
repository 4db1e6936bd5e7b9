// Times the overwrite-and-delete of one file as the program does it, with the main window's
// bars and message pump in the loop. Usage: vexlor_wipe_benchmark FILE; prints the seconds.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>

#include "base/product.h"
#include "ui/application.h"
#include "base/error.h"
#include "wizard/main_form.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: vexlor_wipe_benchmark FILE\n");
        return 2;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    vexlor::ui::Application::Get().Initialize(::GetModuleHandleW(nullptr),
                                              vexlor::ApplicationTitle);
    vexlor::wizard::TMainForm form;
    form.Create();
    try {
        const auto start = std::chrono::steady_clock::now();
        const bool deleted = form.DoCleanFile(argv[1]);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::printf("%.3f\n", elapsed.count());
        return deleted ? 0 : 1;
    } catch (const vexlor::Error& error) {
        std::fwprintf(stderr, L"%ls\n", error.Text().c_str());
        return 1;
    }
}
