#include "wizard/file_list.h"

#include <algorithm>

#include "base/error.h"
#include "base/handles.h"
#include "platform/busy_answer.h"
#include "skin/skinned_controls.h"
#include "ui/controls.h"

namespace vexlor::wizard {
namespace {

// Measures entries in the list's own font, one device context for a whole batch.
class EntryMeasure {
public:
    explicit EntryMeasure(HWND list)
        : dc_(list),
          font_(dc_.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0))),
          margins_(2 * ui::Scale(list, skin::ListTextMargin)) {}

    int Width(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx + margins_;
    }

private:
    WindowDc dc_;
    SelectedObject font_;
    int margins_;
};

// Adds entries through the list's own window procedure, past the subclasses that skin it and
// watch its mouse: none of them has anything to do for an entry added while drawing is off,
// and under Wine every subclass costs each message a round trip to the system (about 0.3 ms
// an entry, seconds for thousands of files chosen at once).
class EntryAdder {
public:
    explicit EntryAdder(HWND list)
        : list_(list),
          procedure_(reinterpret_cast<WNDPROC>(::GetClassLongPtrW(list, GCLP_WNDPROC))) {}

    LRESULT Add(const std::wstring& text) const {
        const auto entry = reinterpret_cast<LPARAM>(text.c_str());
        if (!procedure_)
            return ::SendMessageW(list_, LB_ADDSTRING, 0, entry);
        return ::CallWindowProcW(procedure_, list_, LB_ADDSTRING, 0, entry);
    }

private:
    HWND list_;
    WNDPROC procedure_;
};

} // namespace

void FileList::Append(const std::vector<std::wstring>& paths) {
    // Room for the whole batch at once, and one repaint for it, however many files were chosen.
    std::size_t characters = 0;
    for (const std::wstring& path : paths)
        characters += path.size() + 1;
    ::SendMessageW(list_, LB_INITSTORAGE, paths.size(), characters * sizeof(wchar_t));
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    const EntryMeasure measure(list_);
    const EntryAdder adder(list_);
    int widest = extent_;
    entries_.reserve(entries_.size() + paths.size());
    platform::BusyAnswer answer;
    for (const std::wstring& path : paths) {
        answer.Tick();
        const LRESULT index = adder.Add(path);
        if (index == LB_ERR || index == LB_ERRSPACE) {
            SetExtent(widest);
            ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
            throw Error(L"Не удалось добавить файл в список: " + path);
        }
        entries_.push_back({nextId_++, path});
        widest = std::max(widest, measure.Width(path));
    }
    SetExtent(widest);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void FileList::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    ::SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    entries_.erase(entries_.begin() + index);
    RecomputeExtent();
}

void FileList::Clear() {
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    entries_.clear();
    folders_.clear();
    SetExtent(0);
}

void FileList::NoteFolder(const std::wstring& folder) {
    const bool noted = std::any_of(folders_.begin(), folders_.end(), [&](const std::wstring& f) {
        return ::CompareStringOrdinal(f.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
    if (!noted)
        folders_.push_back(folder);
}

std::vector<wipe::EntryId> FileList::Entries() const {
    std::vector<wipe::EntryId> ids;
    ids.reserve(entries_.size());
    for (const Entry& entry : entries_)
        ids.push_back(entry.id);
    return ids;
}

std::optional<std::wstring> FileList::PathOf(wipe::EntryId entry) const {
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), entry,
                                        [](const Entry& e, wipe::EntryId id) { return e.id < id; });
    if (found == entries_.end() || found->id != entry)
        return std::nullopt;
    return found->path;
}

void FileList::SetExtent(int width) {
    extent_ = width;
    ::SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
}

void FileList::RecomputeExtent() {
    const EntryMeasure measure(list_);
    int widest = 0;
    for (const Entry& entry : entries_)
        widest = std::max(widest, measure.Width(entry.path));
    SetExtent(widest);
}

} // namespace vexlor::wizard
