// Page 1: the list of files to destroy.
#include "wizard/main_form.h"

#include <commctrl.h>

#include "platform/common_controls.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "ui/app_cursor.h"
#include "ui/app_message.h"
#include "ui/dispatch.h"

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

} // namespace

void TMainForm::BtnAddFilesClick() {
    if (ActivePage() == PageWelcome)
        BtnNextClick();
    const auto chosen = platform::ChooseFiles(Handle(), L"Все файлы", L"*.*");
    AddFiles(chosen ? *chosen : std::vector<std::wstring>{}); // a cancel updates the list too
}

void TMainForm::FormDropFiles(const std::vector<std::wstring>& paths) {
    if (ActivePage() == PageWelcome)
        BtnNextClick();
    AddPaths(paths);
}

void TMainForm::AddFiles(const std::vector<std::wstring>& paths) {
    const ui::WaitCursor hourglass; // thousands of files chosen at once take a moment
    try {
        fileList_.Append(paths);
    } catch (...) {
        UpdateListState(); // some entries may be in already: the buttons follow the list
        throw;
    }
    UpdateListState(); // the delete button keeps its state
}

void TMainForm::BtnDeleteClick() {
    const LRESULT selected = ::SendMessageW(ListBoxFiles, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR)
        fileList_.RemoveAt(static_cast<int>(selected));
    UpdateDeleteButton();
    UpdateListState();
}

void TMainForm::BtnCleanFilesClick() {
    fileList_.Clear();
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
    const bool hasEntries = fileList_.Count() > 0;
    ::EnableWindow(BtnCleanFiles, hasEntries);
    ::EnableMenuItem(MainMenu1, IdMenuClean, MF_BYCOMMAND | (hasEntries ? MF_ENABLED : MF_GRAYED));
    ::EnableWindow(BtnNext, hasEntries);
    ::ShowWindow(PanelAddFilesHint, hasEntries ? SW_HIDE : SW_SHOW);
}

// The list reports no mouse presses of its own; a subclass sees them. The list handles the
// press first, so a left click has already selected the entry under the pointer.
void TMainForm::WatchListBoxMouse() {
    platform::SetSubclass(ListBoxFiles, &TMainForm::ListBoxMouseSubclass, kListBoxSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TMainForm::ListBoxMouseSubclass(HWND list, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR id,
                                                 DWORD_PTR form) noexcept {
    const LRESULT result = platform::DefSubclass(list, message, wParam, lParam);
    if (IsMouseButtonDown(message))
        ui::Guard([form] { reinterpret_cast<TMainForm*>(form)->ListBoxFilesMouseDown(); });
    else if (message == WM_NCDESTROY)
        platform::RemoveSubclass(list, &TMainForm::ListBoxMouseSubclass, id);
    return result;
}

std::vector<wipe::EntryId> TMainForm::Entries() const {
    return fileList_.Entries();
}

std::optional<std::wstring> TMainForm::PathOf(wipe::EntryId entry) const {
    return fileList_.PathOf(entry);
}

} // namespace vexlor::wizard
