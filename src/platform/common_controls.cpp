#include "platform/common_controls.h"

#include "platform/system_library.h"

namespace vexlor::platform {
namespace {

struct CommonControls {
    decltype(&::InitCommonControlsEx) initialize = nullptr;
    decltype(&::SetWindowSubclass) setSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeSubclass = nullptr;
};

const CommonControls& Functions() {
    static const CommonControls functions = [] {
        constexpr wchar_t kDll[] = L"comctl32.dll";
        return CommonControls{
            SystemFunction<decltype(&::InitCommonControlsEx)>(kDll, "InitCommonControlsEx"),
            SystemFunction<decltype(&::SetWindowSubclass)>(kDll, "SetWindowSubclass"),
            SystemFunction<decltype(&::DefSubclassProc)>(kDll, "DefSubclassProc"),
            SystemFunction<decltype(&::RemoveWindowSubclass)>(kDll, "RemoveWindowSubclass")};
    }();
    return functions;
}

} // namespace

bool InitCommonControls(DWORD classes) {
    const INITCOMMONCONTROLSEX wanted{sizeof(wanted), classes};
    return Functions().initialize && Functions().initialize(&wanted);
}

bool SetSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    return Functions().setSubclass && Functions().setSubclass(window, procedure, id, data);
}

LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Functions().defSubclass)
        return Functions().defSubclass(window, message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    return Functions().removeSubclass && Functions().removeSubclass(window, procedure, id);
}

} // namespace vexlor::platform
