#include "platform/shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "base/error.h"
#include "base/handles.h"

namespace vexlor::platform {
namespace {

void Check(HRESULT result, const ShortcutSpec& shortcut) {
    if (SUCCEEDED(result))
        return;
    wchar_t code[16] = {};
    swprintf_s(code, L"0x%08lX", static_cast<unsigned long>(result));
    throw Error(L"Не удалось сохранить ярлык \"" + shortcut.path + L"\" (код ошибки " +
                std::wstring(code) + L").");
}

void SaveShortcut(const ShortcutSpec& shortcut) {
    UniqueCom<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                             IID_PPV_ARGS(link.Put())),
          shortcut);
    Check(link->SetPath(shortcut.target.c_str()), shortcut);
    Check(link->SetArguments(shortcut.arguments.c_str()), shortcut);
    Check(link->SetIconLocation(shortcut.iconFile.c_str(), shortcut.iconIndex), shortcut);
    Check(link->SetDescription(shortcut.description.c_str()), shortcut);
    UniqueCom<IPersistFile> file;
    Check(link->QueryInterface(IID_PPV_ARGS(file.Put())), shortcut);
    Check(file->Save(shortcut.path.c_str(), TRUE), shortcut);
}

} // namespace

Seam<SaveShortcutSignature> SaveShortcutApi{&SaveShortcut};

} // namespace vexlor::platform
