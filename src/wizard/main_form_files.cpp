// Page 1: the list of files to destroy.
#include "wizard/main_form.h"

#include <commctrl.h>

#include "platform/file_dialog.h"
#include "ui/dispatch.h"
#include "base/error.h"

namespace vexlor::wizard {
namespace {

constexpr UINT_PTR kListBoxSubclassId = 1;

bool IsMouseButtonDown(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

int ListCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
}

void AppendEntries(HWND list, const std::vector<std::wstring>& paths) {
    // One repaint for the whole batch, however many files were chosen.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring& path : paths) {
        const LRESULT index =
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        if (index == LB_ERR || index == LB_ERRSPACE) {
            ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            throw Error(L"Не удалось добавить файл в список: " + path);
        }
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

} // namespace

void TMainForm::BtnAddFilesClick() {
    if (ActivePage() == PageWelcome)
        BtnNextClick();
    try {
        if (const auto chosen = platform::ChooseFiles(Handle(), L"Все файлы", L"*.*"))
            AppendEntries(ListBoxFiles, *chosen);
    } catch (...) {
        UpdateListState(); // some entries may be in already: the buttons follow the list
        throw;
    }
    UpdateListState(); // also after a cancel; the delete button keeps its state
}

void TMainForm::BtnDeleteClick() {
    const LRESULT selected = ::SendMessageW(ListBoxFiles, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR)
        ::SendMessageW(ListBoxFiles, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    UpdateDeleteButton();
    UpdateListState();
}

void TMainForm::BtnCleanFilesClick() {
    ::SendMessageW(ListBoxFiles, LB_RESETCONTENT, 0, 0);
    UpdateDeleteButton();
    UpdateListState();
}

void TMainForm::ListBoxFilesMouseDown() {
    UpdateDeleteButton();
}

void TMainForm::UpdateDeleteButton() {
    const bool selected = ::SendMessageW(ListBoxFiles, LB_GETCURSEL, 0, 0) != LB_ERR;
    ::EnableWindow(BtnDelete, selected);
}

void TMainForm::UpdateListState() {
    const bool hasEntries = ListCount(ListBoxFiles) > 0;
    ::EnableWindow(BtnCleanFiles, hasEntries);
    ::EnableMenuItem(MainMenu1, IdMenuClean, MF_BYCOMMAND | (hasEntries ? MF_ENABLED : MF_GRAYED));
    ::EnableWindow(BtnNext, hasEntries);
    ::ShowWindow(PanelAddFilesHint, hasEntries ? SW_HIDE : SW_SHOW);
}

// The list reports no mouse presses of its own; a subclass sees them. The list handles the
// press first, so a left click has already selected the entry under the pointer.
void TMainForm::WatchListBoxMouse() {
    ::SetWindowSubclass(ListBoxFiles, &TMainForm::ListBoxMouseSubclass, kListBoxSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TMainForm::ListBoxMouseSubclass(HWND list, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR id, DWORD_PTR form) {
    const LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
    if (IsMouseButtonDown(message))
        ui::Guard([form] { reinterpret_cast<TMainForm*>(form)->ListBoxFilesMouseDown(); });
    else if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(list, &TMainForm::ListBoxMouseSubclass, id);
    return result;
}

int TMainForm::EntryCount() const {
    return ListCount(ListBoxFiles);
}

std::optional<std::wstring> TMainForm::EntryAt(int index) const {
    if (index < 0 || index >= ListCount(ListBoxFiles))
        return std::nullopt;
    const LRESULT length = ::SendMessageW(ListBoxFiles, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return std::nullopt;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(ListBoxFiles, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR)
        return std::nullopt;
    text.resize(static_cast<size_t>(copied));
    return text;
}

} // namespace vexlor::wizard
