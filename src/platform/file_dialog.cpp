#include "platform/file_dialog.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <cwchar>
#include <utility>

#include "base/error.h"
#include "base/handles.h"
#include "platform/busy_answer.h"

namespace vexlor::platform {
namespace {

// Several files of the file system, each of which must exist; the names stay out of the
// user's recent items, which would keep them after the files are gone. A shortcut chosen is
// the shortcut file itself, as when it is dropped on the list: left to itself the dialog
// hands over the shortcut's target, which may lie anywhere and would be destroyed instead.
constexpr DWORD kOptions = FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST |
                           FOS_FORCEFILESYSTEM | FOS_DONTADDTORECENT | FOS_NOCHANGEDIR |
                           FOS_NODEREFERENCELINKS;

// Folders in place of files, each the folder itself: a shortcut is not followed here either.
constexpr DWORD kFolderOptions = FOS_PICKFOLDERS | FOS_ALLOWMULTISELECT | FOS_PATHMUSTEXIST |
                                 FOS_FORCEFILESYSTEM | FOS_DONTADDTORECENT | FOS_NOCHANGEDIR |
                                 FOS_NODEREFERENCELINKS;
// One folder of the file system; where it lies is the user's to decide, and kept from the
// recent items as the files are.
constexpr DWORD kOneFolderOptions = FOS_PICKFOLDERS | FOS_PATHMUSTEXIST | FOS_FORCEFILESYSTEM |
                                    FOS_DONTADDTORECENT | FOS_NOCHANGEDIR;

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

// An item id list the shell handed out.
class UniqueIdList {
public:
    UniqueIdList() = default;
    UniqueIdList(const UniqueIdList&) = delete;
    UniqueIdList& operator=(const UniqueIdList&) = delete;
    ~UniqueIdList() { ::CoTaskMemFree(list_); }
    PIDLIST_ABSOLUTE Get() const { return list_; }
    PIDLIST_ABSOLUTE* Put() {
        ::CoTaskMemFree(std::exchange(list_, nullptr));
        return &list_;
    }

private:
    PIDLIST_ABSOLUTE list_ = nullptr;
};

// The paths of items that lie in one folder, asked of that folder, bound once. Asked of each
// item, the shell binds its way from the desktop down to the item's folder every time, which
// under Wine takes milliseconds a file: ten thousand files chosen at once would keep the
// window from answering for half a minute.
class FolderOfItems {
public:
    explicit FolderOfItems(IShellItem& first) {
        UniqueCom<IShellItem> parent;
        if (FAILED(first.GetParent(parent.Put())) ||
            FAILED(::SHGetIDListFromObject(parent.Get(), parentList_.Put())) ||
            FAILED(parent->BindToHandler(nullptr, BHID_SFObject, IID_PPV_ARGS(folder_.Put()))))
            folder_.Reset();
    }

    // Nothing when the item lies elsewhere or the folder cannot tell.
    std::optional<std::wstring> PathOf(IShellItem& item) const {
        UniqueIdList list;
        if (!folder_ || FAILED(::SHGetIDListFromObject(&item, list.Put())) ||
            !IsDirectChild(parentList_.Get(), list.Get()))
            return std::nullopt;
        STRRET name{};
        if (FAILED(folder_->GetDisplayNameOf(::ILFindLastID(list.Get()), SHGDN_FORPARSING, &name)))
            return std::nullopt;
        if (name.uType != STRRET_WSTR) // the other forms hold no memory to free, nor full paths
            return std::nullopt;
        std::wstring path(name.pOleStr);
        ::CoTaskMemFree(name.pOleStr);
        return path;
    }

private:
    UniqueIdList parentList_;
    UniqueCom<IShellFolder> folder_;
};

// The paths of the items as the dialog returns them: a shortcut's own, for neither way of
// asking follows a link.
std::vector<std::wstring> PathsOf(IFileOpenDialog& dialog) {
    UniqueCom<IShellItemArray> items;
    Check(dialog.GetResults(items.Put()));
    DWORD count = 0;
    Check(items->GetCount(&count));
    std::vector<std::wstring> paths;
    paths.reserve(count);
    std::optional<FolderOfItems> folder;
    BusyAnswer answer; // ten thousand files take a moment even so
    for (DWORD i = 0; i < count; ++i) {
        answer.Tick();
        UniqueCom<IShellItem> item;
        Check(items->GetItemAt(i, item.Put()));
        if (!folder)
            folder.emplace(*item.Get());
        std::optional<std::wstring> path = folder->PathOf(*item.Get());
        paths.push_back(path ? std::move(*path) : PathOf(*item.Get()));
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
    if (!request.filterName.empty()) { // the folder mode takes none
        const COMDLG_FILTERSPEC filter{request.filterName.c_str(), request.pattern.c_str()};
        Check(dialog->SetFileTypes(1, &filter));
        Check(dialog->SetFileTypeIndex(1));
    }
    const HRESULT shown = dialog->Show(request.owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return std::nullopt;
    Check(shown);
    return PathsOf(*dialog.Get());
}

} // namespace

// Byte for byte: the shell's own comparison asks every id of both lists for its name, under
// Wine a registry read apiece, a quarter of a millisecond a file.
bool IsDirectChild(PCIDLIST_ABSOLUTE parent, PCIDLIST_ABSOLUTE child) {
    constexpr UINT kTerminator = sizeof(USHORT);
    if (!parent || !child)
        return false;
    const UINT parentBytes = ::ILGetSize(parent) - kTerminator;
    const UINT childBytes = ::ILGetSize(child) - kTerminator;
    if (childBytes <= parentBytes || std::memcmp(parent, child, parentBytes) != 0)
        return false;
    const auto* last =
        reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(child) + parentBytes);
    return parentBytes + last->cb == childBytes;
}

Seam<ShowOpenDialogSignature> ShowOpenDialogApi{&ShowOpenDialog};

std::optional<std::vector<std::wstring>> ChooseFiles(HWND owner, const std::wstring& filterName,
                                                     const std::wstring& pattern) {
    return ShowOpenDialogApi(OpenDialogRequest{owner, filterName, pattern, kOptions});
}

std::optional<std::vector<std::wstring>> ChooseFolders(HWND owner) {
    return ShowOpenDialogApi(OpenDialogRequest{owner, L"", L"", kFolderOptions});
}

std::optional<std::wstring> ChooseFolder(HWND owner) {
    const auto chosen = ShowOpenDialogApi(OpenDialogRequest{owner, {}, {}, kOneFolderOptions});
    if (!chosen || chosen->empty())
        return std::nullopt;
    return chosen->front();
}

} // namespace vexlor::platform
