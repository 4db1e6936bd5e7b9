// Page 1: folders added to the list, and the paths other starts of the program hand over.
#include "wizard/main_form.h"

#include <cwchar>
#include <exception>
#include <utility>

#include "base/error.h"
#include "base/start_arguments.h"
#include "platform/busy_answer.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "ui/app_cursor.h"

namespace vexlor::wizard {

void TMainForm::BtnAddFolderClick() {
    if (ActivePage() == PageWelcome)
        BtnNextClick();
    const auto chosen = platform::ChooseFolders(Handle());
    AddPaths(chosen ? *chosen : std::vector<std::wstring>{}); // a cancel updates the list too
}

// The folders are read on the window thread, which answers what is sent to it meanwhile and
// repaints; the user's input waits, so that no command runs halfway through. A folder that
// cannot be read is told of once the others are in the list.
void TMainForm::AddPaths(const std::vector<std::wstring>& paths) {
    const ui::WaitCursor hourglass;
    platform::BusyAnswer answer;
    std::vector<std::wstring> files;
    std::exception_ptr unread;
    for (const std::wstring& path : paths) {
        if (platform::ProbePath(path) != platform::PathKind::Folder) {
            files.push_back(path);
            continue;
        }
        try {
            const auto found = platform::FilesInFolderTree(path, [&answer] { answer.Tick(); });
            files.insert(files.end(), found.begin(), found.end());
            fileList_.NoteFolder(path);
        } catch (const Error&) {
            if (!unread)
                unread = std::current_exception();
        }
    }
    AddFiles(files);
    if (unread)
        std::rethrow_exception(unread);
}

void TMainForm::AddHandedPaths(const std::vector<std::wstring>& paths, bool toDestroy) {
    std::vector<std::wstring> joining;
    for (const std::wstring& path : paths)
        if (JoinsTheList(path, toDestroy))
            joining.push_back(path);
    AddJoiningPaths(joining);
}

void TMainForm::AddJoiningPaths(const std::vector<std::wstring>& paths) {
    if (paths.empty())
        return;
    if (ActivePage() == PageWelcome)
        BtnNextClick();
    AddPaths(paths);
}

// The record's memory is the sender's until this returns: the path is copied. It is added from
// a posted message, so that the sender is not held up by a folder being read, and so that a
// hand-over in the middle of filling the list waits until the list is filled.
bool TMainForm::TakeHandOver(const COPYDATASTRUCT& record) {
    const auto* text = static_cast<const wchar_t*>(record.lpData);
    std::wstring path = text ? std::wstring(text, ::wcsnlen(text, record.cbData / sizeof(wchar_t)))
                             : std::wstring();
    handOvers_.push_back({std::move(path), record.dwData == HandOverToDestroy});
    ::PostMessageW(Handle(), MessageHandedPaths, 0, 0);
    if (::IsIconic(Handle()))
        ::ShowWindow(Handle(), SW_RESTORE);
    ::SetForegroundWindow(Handle());
    return true;
}

// All that waits, in one go: a thousand files sent to the program at once fill the list as
// quickly as a thousand chosen in the dialog.
void TMainForm::AddWaitingHandOvers() {
    std::vector<std::wstring> joining;
    for (const HandOver& handOver : std::exchange(handOvers_, {}))
        if (JoinsTheList(handOver.path, handOver.toDestroy))
            joining.push_back(handOver.path);
    AddJoiningPaths(joining);
}

std::vector<std::wstring> TMainForm::Folders() const {
    return fileList_.Folders();
}

} // namespace vexlor::wizard
