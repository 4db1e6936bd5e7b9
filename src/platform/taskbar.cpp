#include "platform/taskbar.h"

#include <shobjidl.h>

#include "base/handles.h"

namespace vexlor::platform {
namespace {

// Made once, at the first progress shown; the taskbar keeps its state per window.
ITaskbarList3* Taskbar() {
    static const UniqueCom<ITaskbarList3> taskbar = [] {
        UniqueCom<ITaskbarList3> made;
        if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(made.Put()))) ||
            FAILED(made->HrInit()))
            made.Reset();
        return made;
    }();
    return taskbar.Get();
}

TBPFLAG FlagOf(TaskbarState state) {
    switch (state) {
    case TaskbarState::Normal:
        return TBPF_NORMAL;
    case TaskbarState::Error:
        return TBPF_ERROR;
    case TaskbarState::None:
        break;
    }
    return TBPF_NOPROGRESS;
}

} // namespace

Seam<TaskbarProgressSignature> TaskbarProgressApi{
    [](HWND window, TaskbarState state, std::uint64_t done, std::uint64_t total) {
        ITaskbarList3* taskbar = Taskbar();
        if (!taskbar)
            return;
        taskbar->SetProgressState(window, FlagOf(state));
        if (state != TaskbarState::None)
            taskbar->SetProgressValue(window, done, total);
    }};

Seam<FlashWindowSignature> FlashWindowApi{[](HWND window) {
    FLASHWINFO flash{sizeof(flash), window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    ::FlashWindowEx(&flash);
}};

} // namespace vexlor::platform
