#include "platform/file_dialog.h"

#include <shobjidl.h>

#include <cwchar>

#include "base/error.h"
#include "base/handles.h"

namespace vexlor::platform {
namespace {

// Several files of the file system, each of which must exist; the names stay out of the
// user's recent items, which would keep them after the files are gone.
constexpr DWORD kOptions = FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST |
                           FOS_FORCEFILESYSTEM | FOS_DONTADDTORECENT | FOS_NOCHANGEDIR;

void Check(HRESULT result) {
    if (SUCCEEDED(result))
        return;
    wchar_t code[16] = {};
    swprintf_s(code, L"0x%08lX", static_cast<unsigned long>(result));
    throw Error(L"Не удалось показать окно выбора файлов (код ошибки " + std::wstring(code) +
                L").");
}

std::wstring PathOf(IShellItem& item) {
    wchar_t* path = nullptr;
    Check(item.GetDisplayName(SIGDN_FILESYSPATH, &path));
    std::wstring text(path);
    ::CoTaskMemFree(path);
    return text;
}

std::vector<std::wstring> PathsOf(IFileOpenDialog& dialog) {
    UniqueCom<IShellItemArray> items;
    Check(dialog.GetResults(items.Put()));
    DWORD count = 0;
    Check(items->GetCount(&count));
    std::vector<std::wstring> paths;
    paths.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        UniqueCom<IShellItem> item;
        Check(items->GetItemAt(i, item.Put()));
        paths.push_back(PathOf(*item.Get()));
    }
    return paths;
}

std::optional<std::vector<std::wstring>> ShowOpenDialog(const OpenDialogRequest& request) {
    UniqueCom<IFileOpenDialog> dialog;
    Check(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                             IID_PPV_ARGS(dialog.Put())));
    FILEOPENDIALOGOPTIONS options = 0;
    Check(dialog->GetOptions(&options));
    Check(dialog->SetOptions(options | request.options));
    const COMDLG_FILTERSPEC filter{request.filterName.c_str(), request.pattern.c_str()};
    Check(dialog->SetFileTypes(1, &filter));
    Check(dialog->SetFileTypeIndex(1));
    const HRESULT shown = dialog->Show(request.owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return std::nullopt;
    Check(shown);
    return PathsOf(*dialog.Get());
}

} // namespace

Seam<ShowOpenDialogSignature> ShowOpenDialogApi{&ShowOpenDialog};

std::optional<std::vector<std::wstring>> ChooseFiles(HWND owner, const std::wstring& filterName,
                                                     const std::wstring& pattern) {
    return ShowOpenDialogApi(OpenDialogRequest{owner, filterName, pattern, kOptions});
}

} // namespace vexlor::platform
