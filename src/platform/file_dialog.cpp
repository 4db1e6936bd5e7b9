#include "platform/file_dialog.h"

#include <cderr.h>
#include <commctrl.h>

#include <list>

#include "base/error.h"
#include "platform/common_controls.h"
#include "platform/system_library.h"

namespace vexlor::platform {
namespace {

// Enough for a few hundred files before the buffer has to grow at all.
constexpr std::size_t kInitialCharacters = 32 * 1024;
constexpr UINT_PTR kSubclassId = 1;

// Owns the dialog's result buffer. GetOpenFileNameW has no way to return more than nMaxFile
// characters, so the buffer is made larger while the dialog is still open, before the dialog
// writes its result: lpstrFile and nMaxFile are read again when the user confirms.
class ResultBuffer {
public:
    explicit ResultBuffer(OPENFILENAMEW& dialog) : dialog_(dialog) {
        buffers_.emplace_back(kInitialCharacters, L'\0');
        Attach();
    }

    // Never throws: it runs inside the dialog's window procedure. Without room the dialog
    // reports FNERR_BUFFERTOOSMALL, which ChooseFiles turns into an error.
    void EnsureRoom(std::size_t characters) noexcept {
        if (characters <= buffers_.back().size())
            return;
        try {
            // The old buffer stays alive until the dialog has ended, in case the dialog still
            // holds a pointer into it.
            buffers_.emplace_back(characters + characters / 2, L'\0');
            Attach();
        } catch (...) {
        }
    }

private:
    void Attach() {
        dialog_.lpstrFile = buffers_.back().data();
        dialog_.nMaxFile = static_cast<DWORD>(buffers_.back().size());
    }

    OPENFILENAMEW& dialog_;
    std::list<std::vector<wchar_t>> buffers_;
};

// The room the current selection or typed names need: the folder once, then the names, each
// ending in a NUL. The names' text with its quotes is longer than the names alone; a path's
// worth more covers a single name that the dialog joins to the folder.
std::size_t NeededCharacters(HWND dialog) {
    const LRESULT names = ::SendMessageW(dialog, CDM_GETSPEC, 0, 0);
    const LRESULT folder = ::SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (names < 0 || folder < 0)
        return 0;
    return static_cast<std::size_t>(names) + static_cast<std::size_t>(folder) + MAX_PATH;
}

ResultBuffer* BufferOf(const OPENFILENAMEW* dialog) {
    return reinterpret_cast<ResultBuffer*>(dialog->lCustData);
}

// Names typed into the file-name box reach the dialog without a selection change: the buffer
// is checked once more when the user confirms, before the dialog handles the command.
LRESULT CALLBACK ConfirmSubclass(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR data) noexcept {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        reinterpret_cast<ResultBuffer*>(data)->EnsureRoom(NeededCharacters(dialog));
    else if (message == WM_NCDESTROY)
        RemoveSubclass(dialog, &ConfirmSubclass, id);
    return DefSubclass(dialog, message, wParam, lParam);
}

// The hook's window is a child of the dialog; the dialog itself is its parent.
UINT_PTR CALLBACK DialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        const auto* dialog = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        SetSubclass(::GetParent(hook), &ConfirmSubclass, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(BufferOf(dialog)));
    } else if (message == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
        if (notify->hdr.code == CDN_SELCHANGE)
            BufferOf(notify->lpOFN)->EnsureRoom(NeededCharacters(::GetParent(hook)));
    }
    return 0;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\')
        return folder + name;
    return folder + L'\\' + name;
}

[[noreturn]] void ThrowDialogError(DWORD error) {
    if (error == FNERR_BUFFERTOOSMALL)
        throw Error(L"Выбрано слишком много файлов сразу. Добавьте их в несколько приёмов.");
    throw Error(L"Не удалось показать окно выбора файлов (код ошибки " + std::to_wstring(error) +
                L").");
}

} // namespace

Seam<GetOpenFileNameSignature> GetOpenFileNameApi{[](OPENFILENAMEW& dialog) {
    // The common dialogs import the common controls, which load further DLLs as they start:
    // taken from the system at the first dialog, not found beside the program at its start.
    static const auto open =
        SystemFunction<decltype(&::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    static const auto lastError =
        SystemFunction<decltype(&::CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
    OpenFileNameResult result;
    if (!open || !lastError) {
        result.error = CDERR_INITIALIZATION;
        return result;
    }
    result.confirmed = open(&dialog) != FALSE;
    if (!result.confirmed)
        result.error = lastError();
    return result;
}};

std::vector<std::wstring> ParseOpenFileNames(const wchar_t* buffer, std::size_t size) {
    std::vector<std::wstring> strings;
    std::size_t start = 0;
    while (start < size && buffer[start] != L'\0') {
        std::size_t end = start;
        while (end < size && buffer[end] != L'\0')
            ++end;
        strings.emplace_back(buffer + start, end - start);
        start = end + 1;
    }
    if (strings.size() <= 1)
        return strings; // one full path, or nothing
    std::vector<std::wstring> paths;
    paths.reserve(strings.size() - 1);
    for (std::size_t i = 1; i < strings.size(); ++i)
        paths.push_back(JoinPath(strings[0], strings[i]));
    return paths;
}

std::optional<std::vector<std::wstring>> ChooseFiles(HWND owner, const std::wstring& filterName,
                                                     const std::wstring& pattern) {
    // Name and pattern each end in a NUL, and c_str() adds the NUL that ends the list.
    const std::wstring filter = filterName + L'\0' + pattern + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    // A hook makes the dialog fixed-size unless OFN_ENABLESIZING asks for it again.
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                   OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_ENABLEHOOK |
                   OFN_DONTADDTORECENT; // the Recent Items list would keep the names
    dialog.lpfnHook = &DialogHook;
    ResultBuffer buffer(dialog);
    dialog.lCustData = reinterpret_cast<LPARAM>(&buffer);

    const OpenFileNameResult result = GetOpenFileNameApi(dialog);
    if (!result.confirmed) {
        if (result.error != 0)
            ThrowDialogError(result.error);
        return std::nullopt;
    }
    return ParseOpenFileNames(dialog.lpstrFile, dialog.nMaxFile);
}

} // namespace vexlor::platform
