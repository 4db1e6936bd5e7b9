// Entry point of the in-process tests: the application object exists as in the program, and
// no test may reach a real message box, the open-file dialog or the real shell.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "base/product.h"
#include "fakes.h"
#include "platform/common_controls.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "skin/window_skin.h"
#include "ui/application.h"

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    vexlor::platform::InitCommonControls(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
    vexlor::ui::Application::Get().Initialize(::GetModuleHandleW(nullptr),
                                              vexlor::ApplicationTitle);
    vexlor::skin::SkinEveryWindow();
    // A forgotten fake fails the test instead of waiting for a person or opening a browser.
    vexlor::platform::MessageBoxApi.Replace(
        [](HWND, const std::wstring& text, const std::wstring&, UINT) {
            ADD_FAILURE() << "unexpected message box";
            (void)text;
            return 0;
        });
    vexlor::platform::ShellExecuteApi.Replace([](const vexlor::platform::ShellRequest&) {
        ADD_FAILURE() << "unexpected shell call";
        return std::intptr_t{0};
    });
    vexlor::platform::ShowOpenDialogApi.Replace([](const vexlor::platform::OpenDialogRequest&) {
        ADD_FAILURE() << "unexpected open-file dialog";
        return std::optional<std::vector<std::wstring>>{};
    });
    vexlor::testing::Time(); // no test depends on how fast the machine runs
    return RUN_ALL_TESTS();
}
